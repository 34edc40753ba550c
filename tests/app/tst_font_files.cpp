// Font files opened from the command line or dropped on the window: the good ones join the list
// in its order and the first face is shown as if chosen from it; each refused one is named in
// the message with why, and leaves the box, the canvas and the colour boxes as they were.
#include "app/form1.h"
#include "fonts/fonterror.h"
#include "fonts/fonts.h"
#include "picture/decoderprocess.h"
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

#include <utility>

using fonts::FontError;

class TestFontFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void opensFontFiles_data();
    void opensFontFiles();

private:
    QTemporaryDir m_dir;
};

namespace {

// Drops the files on a colour box, which would take a dropped address as text.
void drop(Form1 &form, const QList<QByteArray> &names)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QByteArray &name : names)
        urls << QUrl(QStringLiteral("file://") + QString::fromLatin1(name.toPercentEncoding("/")));
    data.setUrls(urls);
    QWidget *target = form.TextC[0];
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &dropped);
}

} // namespace

void TestFontFiles::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QDir dir(m_dir.path());
    QVERIFY(dir.mkdir(QStringLiteral("folder")));
    QFile notes(dir.filePath(QStringLiteral("notes.txt")));
    QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("Aaあぁアァ亜宇\n") > 0);
    QFile gothic(testFont("kanamite-gothic.ttf"));
    QFile cut(dir.filePath(QStringLiteral("cut.ttf")));
    QVERIFY(gothic.open(QIODevice::ReadOnly) && cut.open(QIODevice::WriteOnly) &&
            cut.write(gothic.read(1000)) == 1000);
    QVERIFY(gothic.copy(dir.filePath(QStringLiteral("gothic.ttf"))));
    QVERIFY(
        QFile::copy(testFont("kanamite-mincho.woff"), dir.filePath(QStringLiteral("mincho.woff"))));
    QVERIFY(QFile::copy(testFont("kanamite.ttc"), dir.filePath(QStringLiteral("both.ttc"))));
}

// Each file with the reason it is refused for, None for a font.
using Files = QList<std::pair<QByteArray, FontError>>;

void TestFontFiles::opensFontFiles_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<bool>("dropped");
    QTest::addColumn<QString>("checker");
    QTest::addColumn<QString>("shown");

    const QString none;
    QTest::newRow("command line") << Files{{"mincho.woff", FontError::None}} << false << none
                                  << QStringLiteral("Kanamite Mincho");
    QTest::newRow("dropped collection among refused files")
        << Files{{"notes.txt", FontError::NotAFont},
                 {"both.ttc", FontError::None},
                 {"folder", FontError::NotRegularFile}}
        << true << none << QStringLiteral("Kanamite Gothic");
    QTest::newRow("dropped, cut short")
        << Files{{"cut.ttf", FontError::NoUsableFace}} << true << none << none;
    QTest::newRow("dropped, name no text")
        << Files{{"\xff.ttf", FontError::UndecodableName}} << true << none << none;
    QTest::newRow("checker crashes") << Files{{"gothic.ttf", FontError::CheckerCrashed}} << true
                                     << QStringLiteral("abort_helper") << none;
    QTest::newRow("checker hangs") << Files{{"gothic.ttf", FontError::TimedOut}} << false
                                   << QStringLiteral("sleep_helper") << none;
}

void TestFontFiles::opensFontFiles()
{
    QFETCH(Files, files);
    QFETCH(bool, dropped);
    QFETCH(QString, checker);
    QFETCH(QString, shown);
    const fonts::SystemFonts installed;
    const LoadedForm form(installed);
    const QStringList colours = channelTexts(*form);
    const QString boxText = form->Combo1->text();
    const QImage canvas = form->Picture1->grab().toImage();
    if (!checker.isEmpty())
        picture::setDecoderPath(standIn(qPrintable(checker)));
    QList<QByteArray> paths;
    QStringList refusals;
    for (const auto &[name, why] : files) {
        paths << QFile::encodeName(m_dir.path()) + '/' + name;
        if (why != FontError::None)
            refusals << QStringLiteral("「%1」をフォントとして読み込めませんでした。\n%2")
                            .arg(QString::fromLocal8Bit(paths.last()), fonts::fontErrorText(why));
    }
    MessageBoxCloser closer(&*form);
    if (dropped)
        drop(*form, paths);
    else
        form->openFontFiles(paths);
    QTRY_COMPARE(closer.texts.size(), refusals.isEmpty() ? 0 : 1);
    useBuiltDecoder();
    if (!refusals.isEmpty())
        QCOMPARE(closer.texts.first(), refusals.join(QStringLiteral("\n\n")));
    QCOMPARE(channelTexts(*form), colours);
    if (shown.isEmpty()) {
        QCOMPARE(form->Combo1->text(), boxText);
        QCOMPARE(form->Picture1->grab().toImage(), canvas);
        return;
    }
    QCOMPARE(form->Combo1->text(), shown);
    QVERIFY(form->Picture1->grab().toImage() != canvas);
    // Every name the font list now has, in its order, once.
    QStringList listed;
    QStringList inBox;
    for (int i = 0; i < installed.fontCount(); ++i)
        listed << installed.font(i).value_or(QString());
    for (int i = 0; i < form->Combo1->count(); ++i)
        inBox << form->Combo1->itemText(i);
    QVERIFY(listed.contains(shown));
    QCOMPARE(inBox, listed);
}

TYPORAMA_TEST_MAIN(TestFontFiles)
#include "tst_font_files.moc"
