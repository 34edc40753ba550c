#include "e2e/e2e_test.h"
#include "e2e/form1_screen.h"
#include "e2e/xclient.h"
#include "e2e/xsession.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>

// Start-up on a machine with thousands of fonts, watched on the real window: the busy pointer
// while the fonts are listed, and a close request in the middle of the listing.
class TestE2eStartup : public E2eTest
{
    Q_OBJECT

private slots:
    // Each test starts the program it watches itself.
    void init() {}
    void closeDuringListingEndsTheProgram_data();
    void closeDuringListingEndsTheProgram();
    void pointerIsBusyWhileListing();
    void withoutDisplaySaysSoInJapanese_data();
    void withoutDisplaySaysSoInJapanese();
    void startsOnAnyPlatformOfAList();

private:
    // Starts the program with the pointer over the middle of the screen, where its window
    // comes up, and waits for the window that says it is listing the fonts.
    std::optional<XSession::Window> startListing();
};

namespace {

const QString waitingTitle = QStringLiteral("^フォント読み込み中");
constexpr int closeLimitMs = 2000;

} // namespace

std::optional<XSession::Window> TestE2eStartup::startListing()
{
    if (!m_x->xdotool(QStringLiteral("mousemove 640 512").split(u' ')) ||
        !m_x->startProgram(manyFontsProgramPath()))
        return std::nullopt;
    return m_x->findWindow(waitingTitle, 20000);
}

void TestE2eStartup::closeDuringListingEndsTheProgram_data()
{
    QTest::addColumn<bool>("closeButton");
    QTest::newRow("WM_DELETE_WINDOW") << false;
    QTest::newRow("the frame's close button") << true;
}

void TestE2eStartup::closeDuringListingEndsTheProgram()
{
    QFETCH(bool, closeButton);
    const std::optional<XSession::Window> window = startListing();
    QVERIFY2(window, qPrintable(m_x->errorString()));
    QVERIFY(m_x->windowTitle(window->id).startsWith(QStringLiteral("フォント読み込み中")));
    QElapsedTimer timer;
    timer.start();
    if (closeButton) {
        // Openbox puts it at the right end of the title bar, just above the client area.
        QVERIFY(m_x->click(window->geometry.topRight() + QPoint(-10, -12)));
    } else {
        QVERIFY(xclient::requestClose(m_x->display(), window->id));
    }
    QVERIFY2(m_x->program()->waitForFinished(closeLimitMs),
             "the program went on running after its window was closed");
    qInfo("ended %lld ms after the close request", timer.elapsed());
    QCOMPARE(m_x->program()->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_x->program()->exitCode(), 0);
}

void TestE2eStartup::pointerIsBusyWhileListing()
{
    const std::optional<XSession::Window> window = startListing();
    QVERIFY2(window, qPrintable(m_x->errorString()));
    // Over the bare lower edge of the canvas, where a working window shows the arrow.
    const QPoint canvas = window->geometry.bottomLeft() + QPoint(200, -12);
    QVERIFY(m_x->xdotool(
        {QStringLiteral("mousemove"), QString::number(canvas.x()), QString::number(canvas.y())}));
    const std::optional<QImage> listing = xclient::cursorImage(m_x->display());
    // The pointer was read while the listing still ran.
    QVERIFY(m_x->windowTitle(window->id).startsWith(QStringLiteral("フォント読み込み中")));
    QVERIFY(listing);
    QVERIFY(Form1Screen::find(*m_x));
    const std::optional<QImage> ready = xclient::cursorImage(m_x->display());
    QVERIFY(ready);
    keepScreenshot(*listing, QStringLiteral("pointer-listing"));
    keepScreenshot(*ready, QStringLiteral("pointer-ready"));
    QVERIFY2(*listing != *ready, "the pointer did not change when start-up ended");
}

void TestE2eStartup::withoutDisplaySaysSoInJapanese_data()
{
    QTest::addColumn<QString>("setting");
    QTest::newRow("nothing set") << QString();
    QTest::newRow("DISPLAY pointing nowhere") << QStringLiteral("DISPLAY=:4711");
    QTest::newRow("WAYLAND_DISPLAY pointing nowhere") << QStringLiteral("WAYLAND_DISPLAY=none-0");
}

// The program where no display answers, QT_QPA_PLATFORM unset: one line of Japanese on
// standard error and status 1, not Qt's abort.
void TestE2eStartup::withoutDisplaySaysSoInJapanese()
{
    QFETCH(QString, setting);
    QProcess program;
    QStringList environment = QProcess::systemEnvironment().filter(
        QRegularExpression(QStringLiteral("^(?!(WAYLAND_)?DISPLAY=|QT_QPA_PLATFORM=)")));
    if (!setting.isEmpty())
        environment << setting;
    program.setEnvironment(environment);
    program.start(programPath(), {});
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    QCOMPARE(program.readAllStandardOutput(), QByteArray());
    const QString error = QString::fromUtf8(program.readAllStandardError());
    QVERIFY2(error.startsWith(QStringLiteral("typorama: 画面に接続できません")) &&
                 error.count(QLatin1Char('\n')) == 1,
             qPrintable(error));
}

// Qt starts on the first platform of a list whose server answers, and so does the program: here
// no compositor answers and the X server does.
void TestE2eStartup::startsOnAnyPlatformOfAList()
{
    QVERIFY(m_x->startProgram(programPath(),
                              {QStringLiteral("-platform"), QStringLiteral("wayland;xcb")}));
    QVERIFY2(Form1Screen::find(*m_x), m_x->programOutput().constData());
}

QTEST_GUILESS_MAIN(TestE2eStartup)
#include "tst_e2e_startup.moc"
