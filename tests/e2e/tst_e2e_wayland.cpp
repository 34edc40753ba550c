#include "e2e/form1_screen.h"
#include "e2e/pixels.h"
#include "e2e/xsession.h"

#include <QColorSpace>
#include <QDir>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The program on native Wayland, under a weston of the test's own inside the test's X display,
// where xdotool's keys and clicks reach it: the client area shows as on X11, each title bar has
// only its window's buttons, weston's maximise (Super+Shift+M) leaves either window running with
// its content as it was, and the close button ends the program with 0.
class TestE2eWayland : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { stopProcess(m_weston.get()); }
    void smoke();

private:
    // Takes weston's screen. Whether its active window (the title bar with the active
    // caption's dark blue down its left column, as wide as the gradient runs along its second
    // row) is that wide, has that many buttons (runs of button face below their top edge) and,
    // where asked, shows the client area as on X11.
    bool activeIs(int width, int buttons, bool asOnX11);
    // Below the title bar and the menu bar.
    QImage client() const
    {
        return m_shot.copy(
            QRect(m_bar.bottomLeft() + QPoint(0, 1 + m_menuBarHeight), m_x11Client.size()));
    }

    QTemporaryDir m_shots;
    std::unique_ptr<XSession> m_x;
    std::unique_ptr<QProcess> m_weston;
    QRect m_output; // weston's window on the X display
    QImage m_x11Client;
    int m_menuBarHeight = 0;
    QImage m_shot;
    QRect m_bar;
};

namespace {
const QString socketName = QStringLiteral("typorama-e2e");
} // namespace

void TestE2eWayland::initTestCase()
{
    const QString plugin = QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                           QStringLiteral("/platforms/libqwayland-generic.so");
    if (QStandardPaths::findExecutable(QStringLiteral("weston-screenshooter")).isEmpty())
        QSKIP("weston is not installed");
    if (!QFile::exists(plugin))
        QSKIP("qt6-wayland is not installed");
    m_x = std::make_unique<XSession>();
    QVERIFY2(m_x->start(), qPrintable(m_x->errorString()));
    const std::optional<Form1Screen> form = Form1Screen::start(*m_x);
    QVERIFY2(form, qPrintable(m_x->errorString()));
    m_x11Client = m_x->waitForStill(form->client()).copy(form->client());
    m_menuBarHeight = form->menuBarHeight();
    m_x->stopProgram();
    // --debug lets weston-screenshooter in.
    QString error;
    m_weston = m_x->startLogged(
        QStringLiteral("weston"),
        QStringLiteral("--backend=x11-backend.so --use-pixman --width=1200 --height=900 "
                       "--idle-time=0 --debug --socket=%1")
            .arg(socketName)
            .split(u' '),
        m_shots.filePath(QStringLiteral("weston.log")), &error);
    QVERIFY2(m_weston, qPrintable(error));
    // weston's window has a class but no name to search for.
    const QString id = QString::fromLatin1(
        m_x->run(QStringLiteral("xdotool"),
                 QStringLiteral("search --sync --class ^Weston.Compositor$").split(u' '))
            .value_or(QByteArray())
            .trimmed());
    QVERIFY2(m_x->activate(id), "weston's window did not come up");
    m_output = m_x->viewableGeometry(id).value_or(QRect());
    m_x->setClientVariable(QStringLiteral("WAYLAND_DISPLAY"), socketName);
    m_x->setClientVariable(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
}

bool TestE2eWayland::activeIs(int width, int buttons, bool asOnX11)
{
    const std::unique_ptr<QProcess> shooter =
        m_x->spawn(QStringLiteral("weston-screenshooter"), {});
    shooter->setWorkingDirectory(m_shots.path());
    shooter->start();
    if (!shooter->waitForFinished(5000))
        stopProcess(shooter.get());
    const QDir folder(m_shots.path());
    // A shot that could not be taken leaves none to judge, not the last one.
    m_shot = QImage();
    for (const QString &file : folder.entryList({QStringLiteral("wayland-screenshot*")})) {
        m_shot = QImage(folder.filePath(file)).convertToFormat(QImage::Format_RGB32);
        // weston's file names no colour space, X11's sRGB: the pixels are compared as they are.
        m_shot.setColorSpace(m_x11Client.colorSpace());
        QFile::remove(folder.filePath(file));
    }
    m_bar = QRect();
    for (int y = 0; y + 20 <= m_shot.height() && m_bar.isNull(); ++y) {
        for (int x = 0; x < m_shot.width() && m_bar.isNull(); ++x) {
            if (m_shot.pixel(x, y) != qRgb(0x00, 0x00, 0x80) ||
                !pixels::allNear(m_shot, QRect(x, y, 1, 20), QColor(0x00, 0x00, 0x80), 1))
                continue;
            int right = x;
            while (right + 1 < m_shot.width() && m_shot.pixelColor(right + 1, y + 1).blue() >= 0x80)
                ++right;
            m_bar = QRect(QPoint(x, y), QPoint(right, y + 19));
        }
    }
    int count = 0;
    for (int x = m_bar.left(), run = 0; x <= m_bar.right(); ++x) {
        run = m_shot.pixelColor(x, m_bar.top() + 4) == QColor(0xc0, 0xc0, 0xc0) ? run + 1 : 0;
        count += run == 10 ? 1 : 0;
    }
    return (width == 0 || m_bar.width() == width) && count == buttons &&
           (!asOnX11 || client() == m_x11Client);
}

void TestE2eWayland::smoke()
{
    QVERIFY2(m_x->startProgram(programPath()), qPrintable(m_x->errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(activeIs(layout::clientWidthPx, 2, true), 20000);
    keepScreenshot(m_shot, QStringLiteral("wayland-start"));

    // Maximised by weston and restored, the client area as it was; minimise and close only.
    for (int width : {m_output.width(), int(layout::clientWidthPx)}) {
        QVERIFY(m_x->key(QStringLiteral("super+shift+m")));
        QTRY_VERIFY2_WITH_TIMEOUT(activeIs(width, 2, true), qPrintable(QString::number(width)),
                                  10000);
    }

    // Tab from the canvas to the red background box, where 0 replaces 255.
    QVERIFY(m_x->key(QStringLiteral("Tab")) && m_x->key(QStringLiteral("0")));
    const QPoint canvas(layout::picture1.left / 15 + 20,
                        (layout::picture1.top + layout::picture1.height) / 15 - 8);
    QTRY_VERIFY_WITH_TIMEOUT(activeIs(0, 2, false) && client().pixelColor(canvas) == Qt::cyan,
                             10000);

    // The about window: close alone, also maximised by weston and restored.
    QVERIFY(m_x->key(QStringLiteral("alt+a")));
    QTRY_VERIFY_WITH_TIMEOUT(activeIs(0, 1, false), 10000);
    keepScreenshot(m_shot, QStringLiteral("wayland-about"));
    const int aboutWidth = m_bar.width();
    for (int width : {m_output.width(), aboutWidth}) {
        QVERIFY(m_x->key(QStringLiteral("super+shift+m")));
        QTRY_VERIFY2_WITH_TIMEOUT(activeIs(width, 1, false), qPrintable(QString::number(width)),
                                  10000);
    }

    // Enter closes it; the main window's close button ends the program.
    QVERIFY(m_x->key(QStringLiteral("Return")));
    QTRY_VERIFY_WITH_TIMEOUT(activeIs(layout::clientWidthPx, 2, false), 10000);
    // weston's X11 backend takes the pointer's position from X only as it enters weston's window
    // and moves it by the motions' differences after that, so a position it lost earlier in the
    // run (no pointer event reached the program at all, and the press landed beside the window)
    // would stay lost: the pointer comes in from outside onto the button, as a user's does, and
    // is clicked only once weston draws it there and it has come to rest.
    const QPoint close = m_output.topLeft() + m_bar.topRight() + QPoint(-10, 10);
    const QPoint outside =
        m_output.contains(QPoint(0, 0)) ? m_output.bottomRight() + QPoint(1, 1) : QPoint(0, 0);
    const QRect tip(close - m_output.topLeft(), QSize(2, 2));
    const QImage button = m_shot.copy(tip);
    QVERIFY(m_x->xdotool({QStringLiteral("mousemove"), QString::number(outside.x()),
                          QString::number(outside.y()), QStringLiteral("mousemove"),
                          QString::number(close.x()), QString::number(close.y()),
                          QStringLiteral("sleep"), QStringLiteral("0.5")}));
    QTRY_VERIFY2_WITH_TIMEOUT(activeIs(layout::clientWidthPx, 2, false) &&
                                  m_shot.copy(tip) != button,
                              "weston shows no pointer on the close button", 10000);
    QVERIFY(m_x->click(close));
    QVERIFY2(m_x->program()->waitForFinished(5000), "the program went on after its close button");
    QCOMPARE(m_x->program()->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_x->program()->exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestE2eWayland)
#include "tst_e2e_wayland.moc"
