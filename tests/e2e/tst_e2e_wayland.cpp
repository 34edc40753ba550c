#include "e2e/form1_screen.h"
#include "e2e/pixels.h"
#include "support/xsession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The program on native Wayland, under a weston of the test's own that runs inside the test's
// X display so that keys reach it: the client area shows as on X11, each title bar has only the
// buttons its window allows, a maximise request leaves either window's content as it was, and
// closing ends the program with status 0.
class TestE2eWayland : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void smoke();

private:
    std::unique_ptr<QProcess> waylandClient(const QString &program);
    QImage screenshot();
    // A request on the title bar of the active window; the answer is the window's width and
    // height and its client area's.
    QList<int> request(const QByteArray &command);

    std::unique_ptr<XSession> m_x;
    std::unique_ptr<QProcess> m_weston;
    std::unique_ptr<QProcess> m_program;
    QImage m_x11Client;
    QTemporaryDir m_shots;
};

namespace {

const QString socketName = QStringLiteral("typorama-e2e");

// The buttons on the active title bar: the first bar of the active caption's dark blue, its
// left column as high as the bar, and on it runs of button face along the row below the
// buttons' top edge, across the window's width.
int buttonsOnActiveTitleBar(const QImage &shot, int width)
{
    const QColor caption(0x00, 0x00, 0x80);
    for (int y = 0; y + 20 <= shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (!pixels::allNear(shot, QRect(x, y, 1, 20), caption, 1))
                continue;
            int buttons = 0;
            for (int i = x, run = 0; i < std::min(x + width, shot.width()); ++i) {
                run = shot.pixelColor(i, y + 4) == QColor(0xc0, 0xc0, 0xc0) ? run + 1 : 0;
                buttons += run == 10 ? 1 : 0;
            }
            return buttons;
        }
    }
    return -1;
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
    // The client area as the program shows it on X11, at start-up.
    const std::optional<Form1Screen> form = Form1Screen::start(*m_x);
    QVERIFY2(form, qPrintable(m_x->errorString()));
    m_x11Client = m_x->waitForStill(form->client()).copy(form->client());
    keepScreenshot(m_x11Client, QStringLiteral("x11-client"));
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
    // Its window has no name for xdotool's search, only a class.
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT(
        !(output = m_x->run(QStringLiteral("xdotool"),
                            {QStringLiteral("search"), QStringLiteral("--class"),
                             QStringLiteral("^Weston Compositor$")})
                       .value_or(QByteArray()))
             .isEmpty(),
        10000);
    QVERIFY2(m_x->activate(QString::fromLatin1(output.trimmed())), "weston's window has no focus");
}

void TestE2eWayland::cleanupTestCase()
{
    stopProcess(m_program.get());
    stopProcess(m_weston.get());
    m_x.reset();
}

std::unique_ptr<QProcess> TestE2eWayland::waylandClient(const QString &program)
{
    std::unique_ptr<QProcess> client = m_x->spawn(program, {});
    QProcessEnvironment environment = client->processEnvironment();
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), socketName);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    client->setProcessEnvironment(environment);
    client->setWorkingDirectory(m_shots.path());
    return client;
}

QImage TestE2eWayland::screenshot()
{
    const std::unique_ptr<QProcess> shooter = waylandClient(QStringLiteral("weston-screenshooter"));
    shooter->start();
    if (!shooter->waitForFinished(10000))
        stopProcess(shooter.get());
    QImage shot;
    const QDir folder(m_shots.path());
    for (const QString &file : folder.entryList({QStringLiteral("*.png")})) {
        shot.load(folder.filePath(file));
        QFile::remove(folder.filePath(file));
    }
    return shot.convertToFormat(QImage::Format_RGB32);
}

QList<int> TestE2eWayland::request(const QByteArray &command)
{
    QList<int> answer;
    m_program->write(command + '\n');
    if (m_program->waitForReadyRead(10000)) {
        for (const QByteArray &number : m_program->readLine().trimmed().split(' '))
            answer << number.toInt();
    }
    return answer;
}

void TestE2eWayland::smoke()
{
    m_program = waylandClient(waylandProgramPath());
    m_program->setStandardErrorFile(m_shots.filePath(QStringLiteral("program.log")));
    m_program->start();
    QVERIFY(m_program->waitForStarted());
    QImage shot;
    std::optional<QPoint> client;
    QElapsedTimer timer;
    timer.start();
    while (!client && timer.elapsed() < 30000)
        client = pixels::find(shot = screenshot(), m_x11Client);
    keepScreenshot(shot, QStringLiteral("wayland-start"));
    QVERIFY2(client, "the client area never showed as it does on X11");
    const QList<int> form = request("normal");
    const QList<int> clientSize{layout::clientWidthPx, layout::clientHeightPx};
    QCOMPARE(form.mid(2), clientSize);
    QCOMPARE(buttonsOnActiveTitleBar(shot, form[0]), 2); // minimise and close

    // Maximised, the window takes the compositor's size and the client area shows as before.
    const QList<int> maximised = request("max");
    QCOMPARE(maximised.mid(2), clientSize);
    QVERIFY(maximised[0] > form[0] && maximised[1] > form[1]);
    QVERIFY(pixels::find(screenshot(), m_x11Client));
    QCOMPARE(request("normal"), form);

    // Tab from the canvas to the red background box; 0 replaces its 255.
    QVERIFY(m_x->key(QStringLiteral("Tab")) && m_x->key(QStringLiteral("0")));
    const QPoint canvas =
        *client + QPoint(layout::picture1.left / 15 + 20,
                         (layout::picture1.top + layout::picture1.height) / 15 - 8);
    QTRY_COMPARE_WITH_TIMEOUT(screenshot().pixelColor(canvas), QColor(Qt::cyan), 10000);

    QVERIFY(m_x->key(QStringLiteral("alt+a")));
    QTest::qWait(1500);
    const QList<int> about = request("normal");
    QCOMPARE(about.size(), 4);
    QVERIFY(about != form);
    shot = screenshot();
    keepScreenshot(shot, QStringLiteral("wayland-about"));
    QCOMPARE(buttonsOnActiveTitleBar(shot, about[0]), 1); // close only
    const QList<int> aboutMaximised = request("max");
    QVERIFY(aboutMaximised.size() == 4 && aboutMaximised[0] > about[0]);
    QCOMPARE(request("normal"), about);
    QVERIFY(m_x->key(QStringLiteral("Return")));
    QTRY_COMPARE_WITH_TIMEOUT(request("normal"), form, 10000);

    m_program->write("close\n");
    QVERIFY2(m_program->waitForFinished(5000), "the program went on after its window closed");
    QCOMPARE(m_program->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program->exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestE2eWayland)
#include "tst_e2e_wayland.moc"
