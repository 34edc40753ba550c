#include "e2e/e2e_test.h"
#include "e2e/form1_screen.h"
#include "e2e/pixels.h"
#include "e2e/xsession.h"

#include <QTest>

#include <memory>

// Colours typed into the channel boxes with real keys, in decimal and in hexadecimal, as they
// show on the canvas and in the sample text.
class TestE2eColours : public E2eTest
{
    Q_OBJECT

private slots:
    void typingZeroIntoRedBackgroundTurnsCanvasCyan();
    void typedChannels_data();
    void typedChannels();
    void keysThatTypeNoDigitLeave255_data();
    void keysThatTypeNoDigitLeave255();
};

namespace {

// Canvas colour and sample text colour agree with the expectation.
bool showsColours(const QImage &shot, const Form1Screen &form, const QColor &canvas,
                  const QColor &text)
{
    return pixels::allNear(shot, form.clearBand(), canvas, 0) &&
           pixels::near(pixels::dominantInk(shot, form.textBand(), canvas), text, 2);
}

QString describe(const QImage &shot, const Form1Screen &form, const QColor &canvas)
{
    return QStringLiteral("canvas %1, text %2")
        .arg(shot.pixelColor(form.clearBand().center()).name(),
             pixels::dominantInk(shot, form.textBand(), canvas).name());
}

} // namespace

void TestE2eColours::typingZeroIntoRedBackgroundTurnsCanvasCyan()
{
    // Focus selects the box's whole text, so the typed digit replaces "255".
    QVERIFY(m_x->click(m_form->centre(layout::textC(0))));
    QVERIFY(m_x->type(QStringLiteral("0")));
    const QImage shot = m_x->waitForScreen(
        [this](const QImage &image) { return showsColours(image, *m_form, Qt::cyan, Qt::black); });
    // With a margin for the window manager's frame and title bar.
    keepScreenshot(shot.copy(m_form->window().adjusted(-8, -32, 8, 8)),
                   QStringLiteral("typing-cyan"));
    QVERIFY2(showsColours(shot, *m_form, Qt::cyan, Qt::black),
             qPrintable(describe(shot, *m_form, Qt::cyan)));
}

void TestE2eColours::typedChannels_data()
{
    QTest::addColumn<bool>("hexadecimal");
    QTest::addColumn<bool>("background");
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QColor>("canvas");
    QTest::addColumn<QColor>("text");

    const auto row = [](const char *name, bool hexadecimal, bool background, int channel,
                        const char *keys, QColor canvas, QColor text) {
        QTest::newRow(name) << hexadecimal << background << channel << QString::fromLatin1(keys)
                            << canvas << text;
    };
    row("decimal background green 128", false, true, 1, "128", QColor(255, 128, 255), Qt::black);
    row("decimal letters are dropped", false, true, 0, "2a5", QColor(25, 255, 255), Qt::black);
    row("decimal text green 200", false, false, 1, "200", Qt::white, QColor(0, 200, 0));
    row("decimal text red capped", false, false, 0, "300", Qt::white, QColor(255, 0, 0));
    row("hexadecimal background blue 80", true, true, 2, "80", QColor(255, 255, 128), Qt::black);
    row("hexadecimal background green 0a", true, true, 1, "0a", QColor(255, 10, 255), Qt::black);
    row("hexadecimal text blue c8", true, false, 2, "c8", Qt::white, QColor(0, 0, 200));
    row("hexadecimal text red capped", true, false, 0, "fff", Qt::white, QColor(255, 0, 0));
    row("hexadecimal g is dropped", true, false, 1, "8g0", Qt::white, QColor(0, 128, 0));
}

void TestE2eColours::typedChannels()
{
    QFETCH(bool, hexadecimal);
    QFETCH(bool, background);
    QFETCH(int, channel);
    QFETCH(QString, keys);
    QFETCH(QColor, canvas);
    QFETCH(QColor, text);

    if (hexadecimal) {
        // The switch rewrites the boxes but leaves both colours as they were.
        const QRect blueBox = m_form->rect(layout::textC(2));
        const QImage before = m_x->waitForStill(m_form->canvas());
        QVERIFY(m_x->click(m_form->centre(layout::option4)));
        const QImage after = m_x->waitForScreen(
            [&](const QImage &image) { return pixels::differences(before, image, blueBox) > 0; });
        QVERIFY2(pixels::differences(before, after, blueBox) > 0, "255 was not rewritten");
        QCOMPARE(pixels::differences(before, after, m_form->canvas()), 0);
    }
    const Twips box = background ? layout::textC(channel) : layout::textCM(channel);
    QVERIFY(m_x->click(m_form->centre(box)));
    QVERIFY(m_x->type(keys));
    const QImage shot = m_x->waitForScreen(
        [&](const QImage &image) { return showsColours(image, *m_form, canvas, text); });
    QVERIFY2(showsColours(shot, *m_form, canvas, text),
             qPrintable(describe(shot, *m_form, canvas)));
}

// Into the red background box, whole text selected by the click: a dead key composing "é",
// Alt+X and Ctrl with keypad keys type nothing the filter takes; Ctrl+H at the end deletes one
// character.
void TestE2eColours::keysThatTypeNoDigitLeave255_data()
{
    QTest::addColumn<bool>("hexadecimal");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QColor>("canvas");
    for (const bool hexadecimal : {false, true}) {
        const char *base = hexadecimal ? "hexadecimal" : "decimal";
        QTest::addRow("%s dead acute e", base)
            << hexadecimal << QStringList{"dead_acute", "e"} << QColor(Qt::white);
        QTest::addRow("%s Alt+X, Ctrl+keypad +, Ctrl+keypad -", base)
            << hexadecimal << QStringList{"alt+x", "ctrl+KP_Add", "ctrl+KP_Subtract"}
            << QColor(Qt::white);
        QTest::addRow("%s End, Ctrl+H", base)
            << hexadecimal << QStringList{"End", "ctrl+h"}
            << (hexadecimal ? QColor(15, 255, 255) : QColor(25, 255, 255));
    }
}

void TestE2eColours::keysThatTypeNoDigitLeave255()
{
    QFETCH(bool, hexadecimal);
    QFETCH(QStringList, keys);
    QFETCH(QColor, canvas);
    if (hexadecimal)
        QVERIFY(m_x->click(m_form->centre(layout::option4)));
    QVERIFY(m_x->click(m_form->centre(layout::textC(0))));
    QVERIFY(m_x->xdotool(
        QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("100")} +
        keys));
    // Long enough for a wrong character to have changed the colour.
    QTest::qSleep(500);
    const QImage shot = m_x->waitForScreen([&](const QImage &image) {
        return pixels::allNear(image, m_form->clearBand(), canvas, 0);
    });
    QVERIFY2(pixels::allNear(shot, m_form->clearBand(), canvas, 0),
             qPrintable(shot.pixelColor(m_form->clearBand().center()).name()));
}

QTEST_GUILESS_MAIN(TestE2eColours)
#include "tst_e2e_colours.moc"
