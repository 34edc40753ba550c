// Whatever a user can choose in the file dialog, and whatever the decoder process does with it,
// a failed load loses nothing: the image in use, the canvas and the colour frame stay as they
// were, the user is told once, the window goes on working, and its memory does not grow.
#include "app/form1.h"
#include "background/clscomdlg.h"
#include "picture/decoderprocess.h"
#include "support/image_bytes.h"
#include "support/loadedform.h"
#include "support/messageboxes.h"
#include "support/resident_memory.h"
#include "support/standins.h"
#include "support/test_data.h"
#include "support/test_table.h"
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

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <optional>
#include <tuple>

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

// A table row names the reason as the log does; a name the log never gives fails the row.
bool reasonNamed(const void *from, void *to)
{
    using picture::PictureError;
    for (int i = 0; i <= int(PictureError::SandboxNotApplied); ++i) {
        if (*static_cast<const QString *>(from) ==
            QLatin1String(pictureErrorName(PictureError(i)))) {
            *static_cast<PictureError *>(to) = PictureError(i);
            return true;
        }
    }
    return false;
}

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
        // The table's reason column finds its type by name, and reads the log's names.
        qRegisterMetaType<PictureError>();
        static const bool reasonsByName = QMetaType::registerConverterFunction(
            reasonNamed, QMetaType::fromType<QString>(), QMetaType::fromType<PictureError>());
        QVERIFY(reasonsByName);
        QVERIFY(addTestRows(QStringLiteral("bad-inputs/picture-files.json")));
        // Files that only the run can make: special files, and those it takes away.
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
        // Not committed: an empty picture file would stand for a failed fuzz seed.
        failing("0-byte file", write(QStringLiteral("empty.bmp"), {}), PictureError::UnknownFormat);

        // Decoders that crash, hang, take memory or answer without end, given a good picture.
        const QImage image = sample(Qt::red);
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
        const QString pipe = m_dir.filePath(QStringLiteral("pipe.jpg"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        const QString bmpFolder = m_dir.filePath(QStringLiteral("folder.bmp"));
        QVERIFY(QDir().mkpath(bmpFolder));
        const QList<std::tuple<const char *, QString, PictureError>> files{
            {"pipe", pipe, PictureError::NotRegularFile},
            {"device", QStringLiteral("/dev/zero"), PictureError::NotRegularFile},
            {"folder", bmpFolder, PictureError::NotRegularFile},
            {"missing", m_dir.filePath(QStringLiteral("missing.bmp")), PictureError::Unreadable},
        };
        for (const auto &[name, path, reason] : files) {
            for (const bool imageFirst : {false, true}) {
                QTest::addRow("%s, %s", name, imageFirst ? "image in use" : "no image")
                    << path << imageFirst << int(Choice::Plain) << QString() << reason;
            }
        }
    }
    void badInputLosesNothing()
    {
        QFETCH(QString, path);
        // The table's files are committed, the others made for the run.
        if (QDir::isRelativePath(path))
            path = testDataPath(path);
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
