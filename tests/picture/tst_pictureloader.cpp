#include "picture/pictureloader.h"
#include "support/image_bytes.h"
#include "support/test_data.h"
#include "support/test_table.h"
#include "support/testmain.h"
#include "toolkit/loadpicture.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Eight by six pixels: red, blue in the top half's left and right, green, white below.
QByteArray gifData()
{
    return testData(QStringLiteral("gif/quarters.gif"));
}

QImage quarters(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height / 2, Qt::blue);
    return image;
}

// A JPEG whose Exif block says it is to be turned a quarter clockwise.
QByteArray rotatedJpeg(const QImage &image)
{
    QByteArray exif("Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0\0\0", 32);
    QByteArray segment("\xFF\xE1", 2);
    const int length = int(exif.size()) + 2;
    segment += char(length >> 8);
    segment += char(length & 0xFF);
    QByteArray data = encoded(image, "jpeg");
    data.insert(2, segment + exif);
    return data;
}

bool near(QRgb a, QColor b)
{
    return std::abs(qRed(a) - b.red()) < 40 && std::abs(qGreen(a) - b.green()) < 40 &&
           std::abs(qBlue(a) - b.blue()) < 40;
}

} // namespace

class TestPictureLoader : public QObject
{
    Q_OBJECT

public:
    static void initMain() { useBuiltDecoder(); }

private:
    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &data)
    {
        return writeFile(m_dir, name, data);
    }

private slots:
    void readsEachFormat_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QColor>("topLeft");
        QTest::addColumn<QColor>("bottomRight");
        const QImage image = quarters(40, 30);
        QTest::newRow("bmp") << encoded(image, "bmp") << QSize(40, 30) << QColor(Qt::blue)
                             << QColor(Qt::red);
        QTest::newRow("jpeg") << encoded(image, "jpeg") << QSize(40, 30) << QColor(Qt::blue)
                              << QColor(Qt::red);
        QTest::newRow("icon") << encoded(quarters(32, 32), "ico") << QSize(32, 32)
                              << QColor(Qt::blue) << QColor(Qt::red);
        QTest::newRow("gif") << gifData() << QSize(8, 6) << QColor(Qt::red) << QColor(Qt::white);
        QTest::newRow("gif first frame of two")
            << testData(QStringLiteral("gif/quarters-then-greys.gif")) << QSize(8, 6)
            << QColor(Qt::red) << QColor(Qt::white);
        QTest::newRow("bmp run-length")
            << testData(QStringLiteral("bmp/rle8-blue-row-over-red.bmp")) << QSize(4, 2)
            << QColor(Qt::blue) << QColor(Qt::red);
        QTest::newRow("jpeg turned upright")
            << rotatedJpeg(quarters(40, 20)) << QSize(20, 40) << QColor(Qt::red) << QColor(Qt::red);
    }
    void readsEachFormat()
    {
        QFETCH(QByteArray, data);
        QFETCH(QSize, size);
        QFETCH(QColor, topLeft);
        QFETCH(QColor, bottomRight);
        // The name's extension says nothing: every file is called the same.
        const std::optional<toolkit::Picture> picture = toolkit::LoadPicture(write("p.jpg", data));
        QVERIFY(picture);
        const QImage &image = picture->image();
        QCOMPARE(image.size(), size);
        QVERIFY(near(image.pixel(0, 0), topLeft));
        QVERIFY(near(image.pixel(size.width() - 1, size.height() - 1), bottomRight));
    }

    void turnedJpegHasBlueTopRight()
    {
        const auto picture = toolkit::LoadPicture(write("r.jpeg", rotatedJpeg(quarters(40, 20))));
        QVERIFY(picture);
        QVERIFY(near(picture->image().pixel(19, 0), Qt::blue));
    }

    void iconPicksItsImage_data()
    {
        QVERIFY(addTestRows(QStringLiteral("picture-loader/icon-sizes.json")));
    }
    void iconPicksItsImage()
    {
        QFETCH(QVariantList, sizes);
        QFETCH(int, expected);
        QList<QImage> images;
        for (const QVariant &size : sizes)
            images += quarters(size.toInt(), size.toInt());
        const auto picture = toolkit::LoadPicture(write("i.ico", iconOf(images)));
        QVERIFY(picture);
        QCOMPARE(picture->image().size(), QSize(expected, expected));
    }

    void refusesNonImages_data()
    {
        QTest::addColumn<QByteArray>("data");
        const QImage image = quarters(40, 30);
        QTest::newRow("text") << QByteArray("これは画像ではありません\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("png, not offered") << encoded(image, "png");
        for (const char *format : {"bmp", "jpeg", "ico"}) {
            const QByteArray whole = encoded(image, format);
            QTest::addRow("%s cut in half", format) << whole.left(whole.size() / 2);
            QTest::addRow("%s cut short", format) << whole.left(whole.size() - 20);
            QTest::addRow("%s header only", format) << whole.left(30);
        }
        QTest::newRow("gif cut in half") << gifData().left(40);
        QTest::newRow("gif without its last data") << gifData().left(gifData().size() - 8);
        QTest::newRow("gif header only") << gifData().left(13);
        QTest::newRow("bmp run-length without its end")
            << testData(QStringLiteral("bmp/rle8-blue-row-over-red.bmp")).chopped(2);
        QTest::newRow("bmp magic alone") << QByteArray("BM");
        QTest::newRow("jpeg magic alone") << QByteArray("\xFF\xD8\xFF", 3);
        QTest::newRow("jpeg with stray bytes, without its end marker")
            << testData(QStringLiteral("jpeg/stray-bytes-between-segments.jpg")).chopped(2);
        // With no data size in its header, only the end mark shows that the runs are whole.
        QByteArray unsized = testData(QStringLiteral("bmp/rle8-data-cut-short.bmp"));
        unsized.replace(34, 4, QByteArray(4, '\0'));
        QTest::newRow("rle8 runs cut short, size not declared") << unsized;
    }
    void refusesNonImages()
    {
        QFETCH(QByteArray, data);
        // A line break in the name is escaped: the refusal stays one line of the log.
        const QString path = write("bad\n.bmp", data);
        QVERIFY(!path.isEmpty());
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral(
                                 "^Refused .*bad\\\\x0a\\.bmp as a picture: [a-z ]+$")));
        QVERIFY(!toolkit::LoadPicture(path));
    }

    // Headers that ask for more pixels than the bound are refused before decoding.
    void refusesHugePictures_data()
    {
        QTest::addColumn<QByteArray>("data");
        QByteArray bmp = encoded(quarters(8, 8), "bmp");
        qToLittleEndian<qint32>(20000, bmp.data() + 18);
        qToLittleEndian<qint32>(20000, bmp.data() + 22);
        QTest::newRow("bmp 20000 x 20000") << bmp;
        QByteArray gif = gifData();
        qToLittleEndian<quint16>(65535, gif.data() + 6);
        qToLittleEndian<quint16>(65535, gif.data() + 8);
        QTest::newRow("gif screen 65535 x 65535") << gif;
        QByteArray jpeg = encoded(quarters(8, 8), "jpeg");
        const qsizetype frame = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
        QVERIFY(frame > 0);
        qToBigEndian<quint16>(60000, jpeg.data() + frame + 5);
        qToBigEndian<quint16>(60000, jpeg.data() + frame + 7);
        QTest::newRow("jpeg 60000 x 60000") << jpeg;
    }
    void refusesHugePictures()
    {
        QFETCH(QByteArray, data);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!toolkit::LoadPicture(write("huge.bmp", data)));
        QVERIFY(timer.elapsed() < 5000);
    }

    void refusesWhatIsNoRegularFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("folder") << m_dir.path();
        QTest::newRow("device") << QStringLiteral("/dev/zero");
        QTest::newRow("missing") << m_dir.filePath(QStringLiteral("missing.bmp"));
        QTest::newRow("no path") << QString();
        const QString fifo = m_dir.filePath(QStringLiteral("pipe.bmp"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QTest::newRow("pipe with no writer") << fifo;
    }
    void refusesWhatIsNoRegularFile()
    {
        QFETCH(QString, path);
        QVERIFY(!toolkit::LoadPicture(path));
    }

    // A pipe is never read, even one holding a whole picture.
    void refusesPipeHoldingImage()
    {
        const QString fifo = m_dir.filePath(QStringLiteral("full.bmp"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const int writer = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK);
        QVERIFY(writer >= 0);
        const QByteArray data = encoded(quarters(4, 4), "bmp");
        QCOMPARE(::write(writer, data.constData(), data.size()), ssize_t(data.size()));
        QVERIFY(!toolkit::LoadPicture(fifo));
        ::close(writer);
    }

    void readsThroughLink()
    {
        const QString target = write("t.bmp", encoded(quarters(4, 4), "bmp"));
        const QString link = m_dir.filePath(QStringLiteral("link.bmp"));
        QVERIFY(QFile::link(target, link));
        QVERIFY(toolkit::LoadPicture(link));
    }

    void noPathGivesEmptyPicture() { QVERIFY(toolkit::LoadPicture().isEmpty()); }
};

QTEST_GUILESS_MAIN(TestPictureLoader)
#include "tst_pictureloader.moc"
