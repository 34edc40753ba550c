// Font files opened from the command line or dropped on a colour box (which would take a dropped
// address as typed text), as the user meets them: a font file's faces join the list in its
// order and the first is shown as if chosen from it; any other file is named in one message with
// why, and leaves the box, the canvas and the colour boxes as they were. And the checker's reply,
// which is trusted in nothing.
#include "app/form1.h"
#include "fonts/familyreply.h"
#include "fonts/fonterror.h"
#include "fonts/fonts.h"
#include "picture/decoderprocess.h"
#include "support/image_bytes.h"
#include "support/loadedform.h"
#include "support/messageboxes.h"
#include "support/standins.h"
#include "support/test_fonts.h"
#include "support/testmain.h"
#include "toolkit/combobox.h"
#include "toolkit/picturebox.h"
#include "toolkit/textbox.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

#include <utility>

using fonts::FontError;
// Each file's name with the reason it is refused for, None for a font.
using Files = QList<std::pair<QByteArray, FontError>>;

class TestFontFiles : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase() { ::unlink(m_rawName.constData()); }
    void opensFontFiles_data();
    void opensFontFiles();
    void familyReceiver_data();
    void familyReceiver();
    void fileFaceOverInstalledNamesake();

private:
    static QByteArray font(const char *name) { return QFile::encodeName(testFont(name)); }
    QByteArray write(const char *name, const QByteArray &data)
    {
        return QFile::encodeName(writeFile(m_dir, QString::fromUtf8(name), data));
    }

    QTemporaryDir m_dir;
    // Named by bytes that are no UTF-8, which QTemporaryDir cannot name to remove.
    QByteArray m_rawName;
};

void TestFontFiles::opensFontFiles_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<bool>("dropped");
    QTest::addColumn<QString>("checker");
    QTest::addColumn<QStringList>("families");
    const QString built = builtDecoder();
    const QByteArray gothic = font("kanamite-gothic.ttf");
    const auto refused = [](const char *row, const QByteArray &name, FontError why,
                            const QString &checker = builtDecoder()) {
        QTest::newRow(row) << Files{{name, why}} << true << checker << QStringList();
    };
    QTest::newRow("ttf") << Files{{gothic, FontError::None}} << false << built
                         << QStringList{"Kanamite Gothic"};
    QTest::newRow("otf") << Files{{font("kanamite-gothic.otf"), FontError::None}} << true << built
                         << QStringList{"Kanamite Gothic"};
    QTest::newRow("woff") << Files{{font("kanamite-mincho.woff"), FontError::None}} << false
                          << built << QStringList{"Kanamite Mincho"};
    QTest::newRow("woff2") << Files{{font("kanamite-gothic.woff2"), FontError::None}} << true
                           << built << QStringList{"Kanamite Gothic"};
    QTest::newRow("collection among refused files")
        << Files{{write("notes.ttf", "Kanamite Gothic\n"), FontError::NotAFont},
                 {font("kanamite.ttc"), FontError::None},
                 {QFile::encodeName(m_dir.path()), FontError::NotRegularFile}}
        << true << built << QStringList{"Kanamite Gothic", "Kanamite Mincho"};
    QTest::newRow("more refused files than a box names")
        << Files(6, {gothic + ".missing", FontError::Unreadable}) + Files{{gothic, FontError::None}}
        << false << built << QStringList{"Kanamite Gothic"};
    refused("empty", write("empty.ttf", {}), FontError::Empty);
    const QByteArray fifo = QFile::encodeName(m_dir.filePath(QStringLiteral("fifo.ttf")));
    ::mkfifo(fifo.constData(), 0600);
    refused("fifo", fifo, FontError::NotRegularFile);
    refused("missing", write("gone.ttf", {}) + ".missing", FontError::Unreadable);
    QFile whole(testFont("kanamite-gothic.ttf"));
    QVERIFY(whole.open(QIODevice::ReadOnly));
    refused("cut short", write("cut.ttf", whole.read(1000)), FontError::NoUsableFace);
    const QByteArray large = write("large.ttf", {});
    QFile(QFile::decodeName(large)).resize(fonts::maxFontFileBytes + 1);
    refused("over the bound", large, FontError::TooLarge);
    // Two faces, at offsets 20 and 32, of bytes that are no table directory.
    refused("collection of garbage",
            write("garbage.ttc", QByteArray("ttcf\0\1\0\0\0\0\0\2\0\0\0\x14\0\0\0\x20", 20) +
                                     QByteArray(64, '\xAB')),
            FontError::NoUsableFace);
    // The window would offer the face the checker never drew in.
    refused("face named with a control character", font("control-name.ttc"),
            FontError::UncheckedFace);
    m_rawName = QFile::encodeName(m_dir.path()) + "/\xFF\xFE.ttf";
    QVERIFY(::symlink(gothic.constData(), m_rawName.constData()) == 0);
    refused("undecodable name", m_rawName, FontError::UndecodableName);
    refused("checker crashes", gothic, FontError::CheckerCrashed, standIn("abort_helper"));
    refused("checker hangs", gothic, FontError::TimedOut, standIn("sleep_helper"));
    refused("checker floods", gothic, FontError::MalformedReply, standIn("flood_helper"));
    refused("no checker", gothic, FontError::CheckerMissing, m_dir.filePath("none"));
}

void TestFontFiles::opensFontFiles()
{
    QFETCH(Files, files);
    QFETCH(bool, dropped);
    QFETCH(QString, checker);
    QFETCH(QStringList, families);
    const fonts::SystemFonts installed;
    const LoadedForm form(installed);
    const QStringList colours = channelTexts(*form);
    const QString boxText = form->Combo1->text();
    const QImage canvas = form->Picture1->grab().toImage();
    QList<QByteArray> names;
    QList<QUrl> urls;
    QStringList refusals;
    for (const auto &[name, why] : files) {
        names << name;
        urls << QUrl(QStringLiteral("file://") + QString::fromLatin1(name.toPercentEncoding("/")));
        if (why != FontError::None)
            refusals << QStringLiteral("「%1」をフォントとして読み込めませんでした。\n%2")
                            .arg(QString::fromLocal8Bit(name), fonts::fontErrorText(why));
    }
    if (refusals.size() > 5)
        refusals = refusals.first(5)
                   << QStringLiteral("ほかに1個のファイルも読み込めませんでした。");
    picture::setDecoderPath(checker);
    MessageBoxCloser closer(&*form);
    if (dropped) {
        // As file managers do, the addresses come as text too, which a box would take.
        QMimeData data;
        data.setUrls(urls);
        data.setText(QUrl::toStringList(urls).join(u'\n'));
        const QPoint at = form->TextC[0]->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(form->TextC[0], &enter);
        QApplication::sendEvent(form->TextC[0], &drop);
        // The files are read once the drop has ended.
        QCoreApplication::processEvents();
    } else {
        form->openFontFiles(names);
    }
    QTRY_COMPARE(closer.texts,
                 refusals.isEmpty() ? QStringList() : QStringList{refusals.join("\n\n")});
    useBuiltDecoder();
    QCOMPARE(channelTexts(*form), colours);
    // A refused file leaves the box and the canvas as they were.
    QCOMPARE(form->Combo1->text(), families.value(0, boxText));
    QCOMPARE(form->Picture1->grab().toImage() == canvas, families.isEmpty());
    // Every name of the font list, the new ones among them, in its order, once.
    QCOMPARE(form->Combo1->count(), installed.fontCount());
    for (int i = 0; i < installed.fontCount(); ++i)
        QCOMPARE(form->Combo1->itemText(i), installed.font(i).value_or(QString()));
    for (const QString &family : families)
        QVERIFY(form->Combo1->findText(family) >= 0);
}

// Only whole lines of well-formed UTF-8 names within the bounds are taken, however the pipe cuts
// them up; anything else is refused whole. The replies are files of tests/fonts/replies (its
// README tells how they are named).
void TestFontFiles::familyReceiver_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QStringList>("families");
    const QDir replies(QStringLiteral(TYPORAMA_FONT_REPLIES));
    const QStringList names = replies.entryList({QStringLiteral("*.reply")});
    QVERIFY(!names.isEmpty());
    for (const QString &name : names) {
        QFile file(replies.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray reply = file.readAll();
        const bool refused = name.endsWith(QStringLiteral(".refused.reply"));
        const QStringList lines = QString::fromUtf8(reply).split(u'\n', Qt::SkipEmptyParts);
        QTest::newRow(qPrintable(name)) << reply << (refused ? QStringList() : lines);
    }
    // Too large a file to keep in the repository.
    QTest::newRow("past the byte bound") << QByteArray(300000, '\n') << QStringList();
}

void TestFontFiles::familyReceiver()
{
    QFETCH(QByteArray, reply);
    QFETCH(QStringList, families);
    for (const qsizetype piece : {std::max<qsizetype>(reply.size(), 1), qsizetype(1)}) {
        fonts::FamilyReceiver receiver;
        for (qsizetype at = 0; at < reply.size(); at += piece)
            receiver.feed(QByteArrayView(reply).sliced(at, std::min(piece, reply.size() - at)));
        QCOMPARE(receiver.families().value_or(QStringList()), families);
    }
}

// A file of the family name of an installed font of another foundry (DejaVu Sans) is drawn in
// its own face: as the same outlines under a name no installed font has.
void TestFontFiles::fileFaceOverInstalledNamesake()
{
    const fonts::SystemFonts installed;
    const LoadedForm form(installed);
    form->openFontFiles({font("kanamite-gothic.ttf")});
    const QImage own = form->Picture1->grab().toImage();
    form->openFontFiles({font("dejavu-sans.ttf")});
    QCOMPARE(form->Combo1->text(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(form->Picture1->grab().toImage(), own);
}

TYPORAMA_TEST_MAIN(TestFontFiles)
#include "tst_font_files.moc"
