#include "picture/decoderprocess.h"
#include "picture/pictureloader.h"
#include "picture/picturewire.h"
#include "support/image_bytes.h"
#include "support/metafile_fixtures.h"
#include "support/resident_memory.h"
#include "support/standins.h"
#include "support/test_data.h"
#include "support/testmain.h"
#include "toolkit/loadpicture.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace {

QImage sample(QImage::Format format)
{
    QImage image(37, 23, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.fillRect(0, 0, 20, 23, QColor(200, 30, 40));
    painter.fillRect(20, 5, 17, 10, QColor(10, 120, 250, 255));
    painter.end();
    return image.convertToFormat(format);
}

// The wire form of a picture, from its header fields onwards, for tampering with.
QByteArray wire(const std::array<quint32, 6> &fields, const QList<QRgb> &colours,
                const QByteArray &pixels)
{
    QByteArray data(reinterpret_cast<const char *>(fields.data()), sizeof fields);
    data.append(reinterpret_cast<const char *>(colours.constData()),
                colours.size() * qsizetype(sizeof(QRgb)));
    return data + pixels;
}

constexpr quint32 mark = 0x31585054;
constexpr quint32 rgb32 = QImage::Format_RGB32;
constexpr quint32 indexed8 = QImage::Format_Indexed8;

} // namespace

class TestDecoderProcess : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &data)
    {
        return writeFile(m_dir, name, data);
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void cleanup() { picture::setDecoderPath(builtDecoder()); }

    // The picture that comes back from the decoder process is the one the decode entry makes
    // in the window's own process: size, pixel format, colour table and every pixel.
    void sameAsDecodedHere_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("bmp, palette") << encoded(sample(QImage::Format_Indexed8), "bmp");
        QTest::newRow("bmp, 24 bit") << encoded(sample(QImage::Format_RGB888), "bmp");
        QTest::newRow("gif") << testData(QStringLiteral("gif/quarters.gif"));
        QTest::newRow("jpeg") << encoded(sample(QImage::Format_RGB32), "jpeg");
        QTest::newRow("icon") << encoded(sample(QImage::Format_ARGB32), "ico");
        QTest::newRow("mono bmp") << encoded(sample(QImage::Format_Mono), "bmp");
        QTest::newRow("emf") << fixtures::emf();
        QTest::newRow("placeable wmf") << fixtures::placeableWmf();
    }
    void sameAsDecodedHere()
    {
        QFETCH(QByteArray, data);
        const std::optional<QImage> here = picture::decodePicture(data, picture::maxPicturePixels);
        QVERIFY(here);
        const std::optional<toolkit::Picture> loaded = toolkit::LoadPicture(write("p", data));
        QVERIFY(loaded);
        const QImage &image = loaded->image();
        QCOMPARE(image.format(), here->format());
        QCOMPARE(image.colorTable(), here->colorTable());
        QCOMPARE(image, *here);
    }

    // Stand-ins for a decoder gone wrong: each is ended or given up on, in bounded time, and
    // the window's memory stays as it was.
    void misbehavingDecoderGivesNothing_data()
    {
        QTest::addColumn<QString>("decoder");
        QTest::newRow("crashes") << standIn("abort_helper");
        QTest::newRow("spins") << standIn("spin_helper");
        QTest::newRow("sleeps") << standIn("sleep_helper");
        QTest::newRow("takes memory without end") << standIn("alloc_helper");
        QTest::newRow("answers without end") << standIn("flood_helper");
        QTest::newRow("is missing") << m_dir.filePath(QStringLiteral("no-such-decoder"));
        QTest::newRow("is no program") << m_dir.path();
    }
    void misbehavingDecoderGivesNothing()
    {
        QFETCH(QString, decoder);
        // Megabytes, more than a pipe holds, so that the window is still writing when the
        // decoder has crashed or while it does not read.
        const QString path =
            write("good.bmp", encoded(sample(QImage::Format_RGB32).scaled(1000, 1000), "bmp"));
        QVERIFY(toolkit::LoadPicture(path));
        picture::setDecoderPath(decoder);
        const qint64 before = residentMemoryBytes();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!toolkit::LoadPicture(path));
        QVERIFY2(clock.elapsed() < 8000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(residentMemoryBytes() - before < 64 << 20);
    }

    // A desktop session often sends the window's standard error to a regular file; the
    // decoder's warnings (here libjpeg's about stray bytes) cost nothing there, and a
    // successful load writes nothing to it.
    void warningsWithStandardErrorInAFile()
    {
        const QString path =
            write("stray.jpg", testData(QStringLiteral("jpeg/stray-bytes-between-segments.jpg")));
        QFile log(m_dir.filePath(QStringLiteral("session-errors")));
        QVERIFY(log.open(QIODevice::ReadWrite | QIODevice::Truncate));
        std::fflush(stderr);
        const int saved = ::dup(STDERR_FILENO);
        QVERIFY(saved >= 0);
        ::dup2(log.handle(), STDERR_FILENO);
        const std::optional<toolkit::Picture> picture = toolkit::LoadPicture(path);
        std::fflush(stderr);
        ::dup2(saved, STDERR_FILENO);
        ::close(saved);
        QVERIFY(picture);
        QCOMPARE(picture->image().size(), QSize(32, 32));
        QCOMPARE(log.size(), 0);
    }

    void decoderBesideTheProgramByDefault()
    {
        picture::setDecoderPath(QString());
        QCOMPARE(QFileInfo(picture::decoderPath()).fileName(), QStringLiteral("typorama-decode"));
        QCOMPARE(QFileInfo(picture::decoderPath()).absolutePath(),
                 QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                 QStringLiteral("/../libexec/typorama")));
    }

    // What a decoder sends is trusted in nothing: each of these is refused whole.
    void receiverRefusesMalformedPictures_data()
    {
        QTest::addColumn<QByteArray>("data");
        const QByteArray four(4 * 2 * 3, '\x11');
        const QList<QRgb> grey{qRgb(1, 1, 1), qRgb(2, 2, 2)};
        QTest::newRow("wrong mark") << wire({0x12345678, 2, 3, rgb32, 8, 0}, {}, four);
        QTest::newRow("no width") << wire({mark, 0, 3, rgb32, 0, 0}, {}, {});
        QTest::newRow("100000 x 100000")
            << wire({mark, 100000, 100000, rgb32, 400000, 0}, {}, four);
        QTest::newRow("past the bound") << wire({mark, 32767, 32767, rgb32, 131068, 0}, {}, four);
        QTest::newRow("unknown format") << wire({mark, 2, 3, 999, 8, 0}, {}, four);
        QTest::newRow("invalid format") << wire({mark, 2, 3, 0, 8, 0}, {}, four);
        QTest::newRow("lines too short") << wire({mark, 2, 3, rgb32, 4, 0}, {}, four);
        QTest::newRow("colours for rgb") << wire({mark, 2, 3, rgb32, 8, 2}, grey, four);
        QTest::newRow("palette, no colours") << wire({mark, 4, 1, indexed8, 4, 0}, {}, "\0\0\0\0");
        QTest::newRow("palette, 300 colours") << wire({mark, 4, 1, indexed8, 4, 300}, {}, {});
        QTest::newRow("index past the table")
            << wire({mark, 4, 1, indexed8, 4, 2}, grey, QByteArray("\0\1\2\0", 4));
        QTest::newRow("one byte short") << wire({mark, 2, 3, rgb32, 8, 0}, {}, four.chopped(1));
        QTest::newRow("one byte over") << wire({mark, 2, 3, rgb32, 8, 0}, {}, four + 'x');
        QTest::newRow("header cut short") << QByteArray::fromRawData("TPX1\2\0\0\0", 8);
        QTest::newRow("nothing") << QByteArray();
    }
    void receiverRefusesMalformedPictures()
    {
        QFETCH(QByteArray, data);
        picture::PictureReceiver whole(picture::maxPicturePixels);
        whole.feed(data);
        QVERIFY(!whole.picture());
        picture::PictureReceiver bytewise(picture::maxPicturePixels);
        for (const char byte : data)
            bytewise.feed(QByteArrayView(&byte, 1));
        QVERIFY(!bytewise.picture());
    }

    // The header and lines the decoder writes come out as the same picture however the pipe
    // cuts them up.
    void receiverRebuildsPicture_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("piece");
        for (const QImage::Format format :
             {QImage::Format_Indexed8, QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied,
              QImage::Format_Mono}) {
            for (const int piece : {1, 7, 4096}) {
                QTest::addRow("format %d, pieces of %d", int(format), piece)
                    << sample(format) << piece;
            }
        }
    }
    void receiverRebuildsPicture()
    {
        QFETCH(QImage, image);
        QFETCH(int, piece);
        const QByteArray data =
            picture::pictureHeader(image) +
            QByteArray(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
        picture::PictureReceiver receiver(picture::maxPicturePixels);
        for (qsizetype at = 0; at < data.size(); at += piece)
            QVERIFY(receiver.feed(
                QByteArrayView(data).sliced(at, std::min<qsizetype>(piece, data.size() - at))));
        const std::optional<QImage> rebuilt = receiver.picture();
        QVERIFY(rebuilt);
        QCOMPARE(rebuilt->format(), image.format());
        QCOMPARE(rebuilt->colorTable(), image.colorTable());
        QCOMPARE(*rebuilt, image);
    }
};

TYPORAMA_TEST_MAIN(TestDecoderProcess)
#include "tst_decoder_process.moc"
