// Whatever a user can choose in the file dialog, and whatever the decoder process does with it,
// a failed load loses nothing: the image in use, the canvas and the colour frame stay as they
// were, the user is told once, the window goes on working, and its memory does not grow.
#include "app/form1.h"
#include "background/clscomdlg.h"
#include "picture/decoderprocess.h"
#include "support/image_bytes.h"
#include "support/loadedform.h"
#include "support/messageboxes.h"
#include "support/metafile_fixtures.h"
#include "support/resident_memory.h"
#include "support/standins.h"
#include "support/test_data.h"
#include "support/testmain.h"
#include "toolkit/label.h"
#include "toolkit/picturebox.h"
#include "toolkit/textbox.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <optional>

namespace {

enum class Choice {
    Plain,      // the file is chosen and loaded as it is
    Vanishing,  // the file is deleted after the dialog has closed, before the load
    Unreadable, // the file has no read permission, even for an administrator
};

QImage sample(const QColor &colour)
{
    QImage image(40, 30, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(5, 5, 30, 20, colour);
    return image;
}

QByteArray withLe32(QByteArray data, qsizetype at, qint32 value)
{
    qToLittleEndian(value, data.data() + at);
    return data;
}

QByteArray withLe16(QByteArray data, qsizetype at, quint16 value)
{
    qToLittleEndian(value, data.data() + at);
    return data;
}

QByteArray withBe16(QByteArray data, qsizetype at, quint16 value)
{
    qToBigEndian(value, data.data() + at);
    return data;
}

// An icon holding one PNG image that claims to be the given size.
QByteArray pngIcon(quint32 width, quint32 height)
{
    QByteArray png = encoded(sample(Qt::red), "png");
    qToBigEndian(width, png.data() + 16);
    qToBigEndian(height, png.data() + 20);
    QByteArray icon = QByteArray::fromHex("000001000100") + QByteArray(16, '\0');
    icon[6] = 0;
    icon[7] = 0;
    qToLittleEndian<quint16>(1, icon.data() + 10);
    qToLittleEndian<quint16>(32, icon.data() + 12);
    qToLittleEndian<quint32>(quint32(png.size()), icon.data() + 14);
    qToLittleEndian<quint32>(22, icon.data() + 18);
    return icon + png;
}

// Takes away an administrator's power to read any file, for as long as it lives, so that a
// file without read permission is unreadable to the test even when it runs as root.
class NoReadOverride
{
public:
    NoReadOverride()
    {
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        m_header.pid = 0;
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_lowered = ::syscall(SYS_capset, &m_header, lowered) == 0;
    }
    ~NoReadOverride()
    {
        if (m_lowered)
            ::syscall(SYS_capset, &m_header, m_saved);
    }

private:
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_saved[2]{};
    bool m_lowered = false;
};

QString failureText(const QString &path, picture::PictureError reason)
{
    return QStringLiteral("「%1」を画像として読み込めませんでした。\n%2")
        .arg(path, picture::pictureErrorText(reason));
}

} // namespace

class TestBadInputs : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_tilePath;

    QString write(const QString &name, const QByteArray &data)
    {
        return writeFile(m_dir, name, data);
    }

    // Chooses the path in the next dialog and loads it, as a click on the load button does.
    static void load(Form1 &form, const QString &path, Choice choice)
    {
        form.Dlg->setDialogRunner([path, choice](QFileDialog &dialog) {
            dialog.selectFile(path);
            if (choice == Choice::Vanishing)
                QFile::remove(path);
            return true;
        });
        std::optional<NoReadOverride> noOverride;
        if (choice == Choice::Unreadable)
            noOverride.emplace();
        form.Command2_Click();
    }

    QImage canvas(Form1 &form) { return form.Picture1->surfaceImage(); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_tilePath = write(QStringLiteral("tile.bmp"), encoded(sample(Qt::blue), "bmp"));
        QVERIFY(!m_tilePath.isEmpty());
    }

    void cleanup() { picture::setDecoderPath(builtDecoder()); }

    void badInputLosesNothing_data()
    {
        using picture::PictureError;
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("imageFirst");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("decoder");
        QTest::addColumn<PictureError>("reason");
        const auto failing = [](const char *name, const QString &path, PictureError reason,
                                Choice choice = Choice::Plain) {
            QTest::newRow(name) << path << true << int(choice) << QString() << reason;
        };

        const QString fifo = m_dir.filePath(QStringLiteral("pipe.bmp"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        failing("fifo", fifo, PictureError::NotRegularFile);
        failing("/dev/zero", QStringLiteral("/dev/zero"), PictureError::NotRegularFile);
        const QString folder = m_dir.filePath(QStringLiteral("folder.jpg"));
        QVERIFY(QDir().mkpath(folder));
        failing("folder", folder, PictureError::NotRegularFile);
        const QString locked = write(QStringLiteral("locked.bmp"), encoded(sample(Qt::red), "bmp"));
        QVERIFY(QFile::setPermissions(locked, {}));
        failing("unreadable file", locked, PictureError::Unreadable, Choice::Unreadable);
        failing("file gone before the load",
                write(QStringLiteral("gone.bmp"), encoded(sample(Qt::red), "bmp")),
                PictureError::Unreadable, Choice::Vanishing);
        failing("0-byte file", write(QStringLiteral("empty.bmp"), {}), PictureError::UnknownFormat);
        failing("12-bit jpeg",
                testDataPath(QStringLiteral("jpeg/flat-12-bit-block.unsupported.jpg")),
                PictureError::Unsupported);

        const QImage image = sample(Qt::red);
        const QList<std::pair<const char *, QByteArray>> wholes{
            {"bmp", encoded(image, "bmp")},
            {"gif", testData(QStringLiteral("gif/quarters.gif"))},
            {"jpeg", encoded(image, "jpeg")},
            {"ico", encoded(image, "ico")},
            {"wmf", fixtures::placeableWmf()},
            {"plain wmf", fixtures::plainWmf()},
            {"emf", fixtures::emf()},
        };
        for (const auto &[format, whole] : wholes) {
            const QString name = QStringLiteral("cut %1").arg(QLatin1String(format));
            QTest::addRow("truncated %s", format)
                << write(name, whole.left(whole.size() / 2)) << true << int(Choice::Plain)
                << QString() << PictureError::Truncated;
        }

        // Headers that declare 100,000 x 100,000 pixels, or as near as the format can say.
        const QByteArray bmp = encoded(image, "bmp");
        failing("bmp 100000 x 100000",
                write(QStringLiteral("huge.bmp"), withLe32(withLe32(bmp, 18, 100000), 22, 100000)),
                PictureError::TooLarge);
        QByteArray gif =
            withLe16(withLe16(testData(QStringLiteral("gif/quarters.gif")), 6, 65535), 8, 65535);
        const qsizetype frame = gif.indexOf('\x2c');
        gif = withLe16(withLe16(gif, frame + 5, 65535), frame + 7, 65535);
        failing("gif 65535 x 65535, its largest", write(QStringLiteral("huge.gif"), gif),
                PictureError::TooLarge);
        const QByteArray jpeg = encoded(image, "jpeg");
        const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
        QVERIFY(sof > 0);
        failing("jpeg 65535 x 65535, its largest",
                write(QStringLiteral("huge.jpg"),
                      withBe16(withBe16(jpeg, sof + 5, 65535), sof + 7, 65535)),
                PictureError::TooLarge);
        const QByteArray ico = encoded(image, "ico");
        const qint32 dib = qFromLittleEndian<qint32>(ico.constData() + 18);
        failing("ico bitmap 100000 x 100000",
                write(QStringLiteral("huge.ico"),
                      withLe32(withLe32(ico, dib + 4, 100000), dib + 8, 200000)),
                PictureError::TooLarge);
        failing("ico png 100000 x 100000",
                write(QStringLiteral("hugepng.ico"), pngIcon(100000, 100000)),
                PictureError::TooLarge);

        // Metafile frames: EMF in hundredths of a millimetre, placeable WMF in its own units.
        const QByteArray emf = fixtures::emf();
        failing("emf frame enormous",
                write(QStringLiteral("huge.emf"),
                      withLe32(withLe32(emf, 32, 2147483647), 36, 2147483647)),
                PictureError::TooLarge);
        failing("emf frame negative",
                write(QStringLiteral("negative.emf"), withLe32(emf, 32, -1000000)),
                PictureError::Truncated);
        const QByteArray wmf = fixtures::placeableWmf();
        failing("wmf frame enormous",
                write(QStringLiteral("huge.wmf"), withLe16(withLe16(wmf, 10, 32767), 14, 1)),
                PictureError::TooLarge);
        failing("wmf frame negative",
                write(QStringLiteral("negative.wmf"), withLe16(wmf, 10, quint16(-30000))),
                PictureError::Truncated);
        // Only versions 1.0 and 3.0 of the plain header make a WMF.
        failing("plain wmf of unknown version",
                write(QStringLiteral("version.wmf"), withLe16(fixtures::plainWmf(), 4, 0x0200)),
                PictureError::UnknownFormat);

        // Decoders that crash, hang, take memory or answer without end, given a good picture.
        const QString good = write(QStringLiteral("good.bmp"), encoded(image, "bmp"));
        const QList<std::pair<const char *, PictureError>> standIns{
            {"abort_helper", PictureError::DecoderCrashed},
            {"spin_helper", PictureError::TimedOut},
            {"alloc_helper", PictureError::OverMemory},
            {"flood_helper", PictureError::MalformedReply},
        };
        for (const auto &[standInName, reason] : standIns) {
            QTest::addRow("decoder %s", standInName)
                << good << true << int(Choice::Plain) << standIn(standInName) << reason;
        }

        // Blanks and Japanese characters in a path of more than 255 bytes load as any other.
        const QString longName = QString(80, QChar(u'画')) + QStringLiteral(".bmp");
        const QString longPath =
            write(QStringLiteral("空白 の ある フォルダ/もう 一つ の フォルダ/") + longName,
                  encoded(image, "bmp"));
        QVERIFY(QFile::encodeName(longPath).size() > 255);
        QTest::newRow("long path with blanks and Japanese")
            << longPath << true << int(Choice::Plain) << QString() << PictureError::None;

        // The same with no image in use first, and again over one.
        struct File
        {
            const char *name;
            QString path;
            PictureError reason;
        };
        QList<File> files;
        files.append({"text", write(QStringLiteral("notes.bmp"), "これは画像ではありません"),
                      PictureError::UnknownFormat});
        for (const char *format : {"bmp", "jpeg", "ico"}) {
            const QByteArray whole = encoded(sample(Qt::green), format);
            files.append({format,
                          write(QStringLiteral("cut.") + QLatin1String(format),
                                whole.left(whole.size() / 2)),
                          PictureError::Truncated});
        }
        // A GIF cut off inside its picture data.
        const QByteArray cutGif = QByteArray::fromHex(
            "47494638396108000600f10000ff00000000ff00ff00ffffff2c000000000800060000021c040830");
        files.append({"gif", write(QStringLiteral("cut.gif"), cutGif), PictureError::Truncated});
        const QString pipe = m_dir.filePath(QStringLiteral("pipe.jpg"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        files.append({"pipe", pipe, PictureError::NotRegularFile});
        files.append({"device", QStringLiteral("/dev/zero"), PictureError::NotRegularFile});
        const QString bmpFolder = m_dir.filePath(QStringLiteral("folder.bmp"));
        QVERIFY(QDir().mkpath(bmpFolder));
        files.append({"folder", bmpFolder, PictureError::NotRegularFile});
        files.append(
            {"missing", m_dir.filePath(QStringLiteral("missing.bmp")), PictureError::Unreadable});
        for (const File &file : files) {
            for (const bool imageFirst : {false, true}) {
                QTest::addRow("%s, %s", file.name, imageFirst ? "image in use" : "no image")
                    << file.path << imageFirst << int(Choice::Plain) << QString() << file.reason;
            }
        }
    }
    void badInputLosesNothing()
    {
        QFETCH(QString, path);
        QFETCH(bool, imageFirst);
        QFETCH(int, choice);
        QFETCH(QString, decoder);
        QFETCH(picture::PictureError, reason);
        const bool loads = reason == picture::PictureError::None;
        QVERIFY(!path.isEmpty());
        LoadedForm form;
        if (imageFirst) {
            load(*form, m_tilePath, Choice::Plain);
            QVERIFY(!form->Picture2->picture().isEmpty());
        }
        const QImage before = canvas(*form);
        const QImage held = form->Picture2->picture().image();
        if (!decoder.isEmpty())
            picture::setDecoderPath(decoder);
        const qint64 memoryBefore = residentMemoryBytes();

        MessageBoxCloser closer(&*form);
        load(*form, path, Choice(choice));
        QCOMPARE(form->Dlg->FileName, path);
        QVERIFY(!QApplication::activeModalWidget());
        if (loads) {
            QVERIFY(closer.texts.isEmpty());
            QCOMPARE(form->Picture2->picture().image().size(), sample(Qt::red).size());
        } else {
            QCOMPARE(closer.texts, QStringList{failureText(path, reason)});
            QCOMPARE(closer.warningsOverWindow, QList<bool>{true});
            QCOMPARE(form->Picture2->picture().image(), held);
            QCOMPARE(canvas(*form), before);
        }
        // The colour frame is locked while an image is in use.
        QCOMPARE(form->Frame1->isEnabled(), !imageFirst && !loads);
        const qint64 growth = residentMemoryBytes() - memoryBefore;
        QVERIFY2(growth < 64 << 20, qPrintable(QString::number(growth)));

        // The window goes on working: a typed text colour takes effect at once.
        form->TextCM[0]->selectAll();
        QTest::keyClicks(form->TextCM[0], QStringLiteral("200"));
        QCOMPARE(form->TextCM[0]->text(), QStringLiteral("200"));
        QCOMPARE(form->Label1->foreColor(), QColor(200, 0, 0));
    }
};

TYPORAMA_TEST_MAIN(TestBadInputs)
#include "tst_bad_inputs.moc"
