#include "e2e/form1_screen.h"
#include "e2e/pixels.h"
#include "support/xsession.h"

#include <QColorSpace>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

// The program on native Wayland, under a weston of the test's own that runs inside the test's
// X display, where xdotool's keys and clicks reach it: the client area shows as on X11, each
// title bar has only the buttons its window allows, weston's maximise (Super+Shift+M) leaves
// either window running with its content as it was, and the close button ends it with 0.
class TestE2eWayland : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void smoke();

private:
    // weston's screen, taken until the condition holds or ten seconds have passed.
    QImage waitForShot(const std::function<bool(const QImage &)> &condition);

    std::unique_ptr<XSession> m_x;
    std::unique_ptr<QProcess> m_weston;
    QRect m_output; // weston's window on the X display
    QImage m_x11Client;
    int m_menuBarHeight = 0;
    QTemporaryDir m_shots;
};

namespace {

const QString socketName = QStringLiteral("typorama-e2e");

// The active window's title bar: the first bar of the active caption's dark blue, found by its
// left column, as wide as the gradient runs along its second row.
QRect activeTitleBar(const QImage &shot)
{
    for (int y = 0; y + 20 <= shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (!pixels::allNear(shot, QRect(x, y, 1, 20), QColor(0x00, 0x00, 0x80), 1))
                continue;
            int right = x;
            while (right + 1 < shot.width() && shot.pixelColor(right + 1, y + 1).blue() >= 0x80)
                ++right;
            return QRect(QPoint(x, y), QPoint(right, y + 19));
        }
    }
    return {};
}

// Its buttons: runs of button face along the row below their top edge.
int buttons(const QImage &shot, const QRect &bar)
{
    int count = 0;
    for (int x = bar.left(), run = 0; x <= bar.right(); ++x) {
        run = shot.pixelColor(x, bar.top() + 4) == QColor(0xc0, 0xc0, 0xc0) ? run + 1 : 0;
        count += run == 10 ? 1 : 0;
    }
    return count;
}

} // namespace

void TestE2eWayland::initTestCase()
{
    for (const char *tool : {"weston", "weston-screenshooter"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QLatin1String(tool))));
    }
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                       QStringLiteral("/platforms/libqwayland-generic.so")))
        QSKIP("Qt's Wayland platform (qt6-wayland) is not installed");
    m_x = std::make_unique<XSession>();
    QVERIFY2(m_x->start(), qPrintable(m_x->errorString()));
    // The client area as the program shows it on X11 at start-up.
    const std::optional<Form1Screen> form = Form1Screen::start(*m_x);
    QVERIFY2(form, qPrintable(m_x->errorString()));
    m_x11Client = m_x->waitForStill(form->client()).copy(form->client());
    m_menuBarHeight = form->menuBarHeight();
    m_x->stopProgram();
    // --debug lets weston-screenshooter in.
    QString error;
    m_weston =
        m_x->startLogged(QStringLiteral("weston"),
                         {QStringLiteral("--backend=x11-backend.so"),
                          QStringLiteral("--use-pixman"), QStringLiteral("--socket=") + socketName,
                          QStringLiteral("--width=1200"), QStringLiteral("--height=900"),
                          QStringLiteral("--idle-time=0"), QStringLiteral("--debug")},
                         m_shots.filePath(QStringLiteral("weston.log")), &error);
    QVERIFY2(m_weston, qPrintable(error));
    // Its window has a class but no name for xdotool to find.
    QByteArray id;
    QTRY_VERIFY_WITH_TIMEOUT(!(id = m_x->run(QStringLiteral("xdotool"),
                                             {QStringLiteral("search"), QStringLiteral("--class"),
                                              QStringLiteral("^Weston Compositor$")})
                                        .value_or(QByteArray())
                                        .trimmed())
                                  .isEmpty(),
                             10000);
    QVERIFY(m_x->activate(QString::fromLatin1(id)));
    m_output = m_x->viewableGeometry(QString::fromLatin1(id)).value_or(QRect());
}

void TestE2eWayland::cleanupTestCase()
{
    stopProcess(m_weston.get());
    m_x.reset();
}

QImage TestE2eWayland::waitForShot(const std::function<bool(const QImage &)> &condition)
{
    QElapsedTimer timer;
    timer.start();
    QImage shot;
    do {
        const std::unique_ptr<QProcess> shooter =
            m_x->spawn(QStringLiteral("weston-screenshooter"), {});
        QProcessEnvironment environment = shooter->processEnvironment();
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), socketName);
        shooter->setProcessEnvironment(environment);
        shooter->setWorkingDirectory(m_shots.path());
        shooter->start();
        if (!shooter->waitForFinished(5000))
            stopProcess(shooter.get());
        const QDir folder(m_shots.path());
        for (const QString &file : folder.entryList({QStringLiteral("wayland-screenshot*")})) {
            shot = QImage(folder.filePath(file)).convertToFormat(QImage::Format_RGB32);
            // weston's file names no colour space, X11's sRGB: the pixels are compared as they are.
            shot.setColorSpace(m_x11Client.colorSpace());
            QFile::remove(folder.filePath(file));
        }
    } while (!(!shot.isNull() && condition(shot)) && timer.elapsed() < 10000);
    return shot;
}

void TestE2eWayland::smoke()
{
    std::unique_ptr<QProcess> program = m_x->spawn(programPath(), {});
    QProcessEnvironment environment = program->processEnvironment();
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), socketName);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    program->setProcessEnvironment(environment);
    program->start();
    QVERIFY(program->waitForStarted());
    // The client area below the title bar and the menu bar: the same pixels as on X11.
    const auto client = [this](const QImage &shot) {
        const QRect bar = activeTitleBar(shot);
        return shot.copy(
            QRect(bar.bottomLeft() + QPoint(0, 1 + m_menuBarHeight), m_x11Client.size()));
    };
    const auto mainWindowAs = [&](int width) {
        return [&, width](const QImage &shot) {
            return activeTitleBar(shot).width() == width && client(shot) == m_x11Client;
        };
    };
    QImage shot = waitForShot(mainWindowAs(layout::clientWidthPx));
    keepScreenshot(shot, QStringLiteral("wayland-start"));
    QCOMPARE(client(shot), m_x11Client);
    QCOMPARE(buttons(shot, activeTitleBar(shot)), 2); // minimise and close

    // weston's maximise, and again to restore: the window spans the screen meanwhile, its
    // client area as it was.
    const QList<int> widths{m_output.width(), layout::clientWidthPx};
    for (int width : widths) {
        QVERIFY(m_x->key(QStringLiteral("super+shift+m")));
        QVERIFY2(client(waitForShot(mainWindowAs(width))) == m_x11Client,
                 qPrintable(QString::number(width)));
    }

    // Tab from the canvas to the red background box, where 0 replaces 255.
    QVERIFY(m_x->key(QStringLiteral("Tab")) && m_x->key(QStringLiteral("0")));
    const QPoint canvas(layout::picture1.left / 15 + 20,
                        (layout::picture1.top + layout::picture1.height) / 15 - 8);
    const auto cyan = [&](const QImage &image) {
        return client(image).pixelColor(canvas) == QColor(Qt::cyan);
    };
    QVERIFY(cyan(waitForShot(cyan)));

    // The about window: close alone, also after weston maximised it and restored it.
    QVERIFY(m_x->key(QStringLiteral("alt+a")));
    const auto aboutAs = [](int width) {
        return [width](const QImage &image) {
            const QRect bar = activeTitleBar(image);
            return buttons(image, bar) == 1 && (width == 0 || bar.width() == width);
        };
    };
    shot = waitForShot(aboutAs(0));
    keepScreenshot(shot, QStringLiteral("wayland-about"));
    const int aboutWidth = activeTitleBar(shot).width();
    QVERIFY2(aboutAs(0)(shot) && aboutWidth < layout::clientWidthPx, "no about window");
    for (int width : {m_output.width(), aboutWidth}) {
        QVERIFY(m_x->key(QStringLiteral("super+shift+m")));
        QVERIFY2(aboutAs(width)(waitForShot(aboutAs(width))), qPrintable(QString::number(width)));
    }
    QCOMPARE(program->state(), QProcess::Running);

    // Enter closes it; the main window's close button ends the program.
    QVERIFY(m_x->key(QStringLiteral("Return")));
    shot =
        waitForShot([](const QImage &image) { return buttons(image, activeTitleBar(image)) == 2; });
    const QRect bar = activeTitleBar(shot);
    QVERIFY(m_x->click(m_output.topLeft() + bar.topRight() + QPoint(-10, 10)));
    QVERIFY2(program->waitForFinished(5000), "the program went on after its close button");
    QCOMPARE(program->exitStatus(), QProcess::NormalExit);
    QCOMPARE(program->exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestE2eWayland)
#include "tst_e2e_wayland.moc"
