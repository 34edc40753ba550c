#include "e2e/form1_screen.h"
#include "e2e/pixels.h"
#include "support/inputmethod.h"
#include "support/xsession.h"

#include <QTest>

#include <memory>
#include <optional>

// A real Japanese input method (IBus with Anthy) typing into the program: a colour box keeps
// only the characters its key filter accepts, the font box takes the kana.
class TestE2eInputMethod : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup() { stopAfterTest(*m_x); }
    void cleanupTestCase();
    void colourBoxKeepsWhatTheFilterAccepts_data();
    void colourBoxKeepsWhatTheFilterAccepts();
    void fontBoxTakesKana();

private:
    // Switches Anthy on, composes romaji in hiragana, finishes with the given keys (Return commits)
    // and switches Anthy off again: Ctrl+J toggles, and the engine keeps its state across programs.
    bool compose(const QString &romaji, const QString &finish);

    std::unique_ptr<XSession> m_x;
    std::unique_ptr<InputMethodSession> m_inputMethod;
    std::optional<Form1Screen> m_form;
};

void TestE2eInputMethod::initTestCase()
{
    if (const std::optional<QString> missing = InputMethodSession::missingPrerequisite())
        QSKIP(qPrintable(*missing));
    m_x = std::make_unique<XSession>();
    QVERIFY2(m_x->start(), qPrintable(m_x->errorString()));
    m_inputMethod = std::make_unique<InputMethodSession>(*m_x);
    QVERIFY2(m_inputMethod->start(), qPrintable(m_inputMethod->errorString()));
}

void TestE2eInputMethod::init()
{
    QVERIFY(m_inputMethod->switchOn(true));
    m_form = Form1Screen::start(*m_x);
    QVERIFY2(m_form, qPrintable(m_x->errorString()));
}

void TestE2eInputMethod::cleanupTestCase()
{
    m_inputMethod.reset();
    m_x.reset();
}

bool TestE2eInputMethod::compose(const QString &romaji, const QString &finish)
{
    return m_x->key(QStringLiteral("ctrl+j")) && m_x->type(romaji) &&
           m_x->xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--delay"),
                                    QStringLiteral("100")} +
                        finish.split(u' ')) &&
           m_x->key(QStringLiteral("ctrl+j"));
}

void TestE2eInputMethod::colourBoxKeepsWhatTheFilterAccepts_data()
{
    QTest::addColumn<bool>("hexadecimal");
    QTest::addColumn<QString>("romaji");
    QTest::addColumn<QString>("finish");
    QTest::addColumn<QColor>("canvas");
    // F10 turns the composition into plain letters and digits before Return commits it.
    const auto row = [](const char *name, bool hexadecimal, const char *romaji, const char *finish,
                        const QColor &canvas) {
        QTest::newRow(name) << hexadecimal << QString::fromLatin1(romaji)
                            << QString::fromLatin1(finish) << canvas;
    };
    row("kana discarded", false, "aiu", "Return", Qt::white);
    row("full-width digits discarded", false, "12", "Return", Qt::white);
    row("digits of a commit kept", false, "ka12", "F10 Return", QColor(12, 255, 255));
    row("hexadecimal letter replaces FF", true, "a", "F10 Return", QColor(10, 255, 255));
    row("hexadecimal kana discarded", true, "ka", "Return", Qt::white);
}

void TestE2eInputMethod::colourBoxKeepsWhatTheFilterAccepts()
{
    QFETCH(bool, hexadecimal);
    QFETCH(QString, romaji);
    QFETCH(QString, finish);
    QFETCH(QColor, canvas);
    if (hexadecimal)
        QVERIFY(m_x->click(m_form->centre(layout::option4)));
    // The click's focus selects the box's whole text.
    const QRect box = m_form->rect(layout::textC(0));
    QVERIFY(m_x->click(m_form->centre(layout::textC(0))));
    const QImage selected = m_x->waitForStill(box);
    QVERIFY(compose(romaji, finish));
    const QImage shot = m_x->waitForScreen([&](const QImage &image) {
        return pixels::allNear(image, m_form->clearBand(), canvas, 0);
    });
    keepScreenshot(shot.copy(m_form->window()), QStringLiteral("input-method-colour"));
    QVERIFY2(pixels::allNear(shot, m_form->clearBand(), canvas, 0),
             qPrintable(shot.pixelColor(m_form->clearBand().center()).name()));
    // A discarded composition leaves the box as it was, whole text still selected: at most the
    // caret's blink differs.
    if (canvas == Qt::white) {
        const QImage after = m_x->waitForStill(box);
        QVERIFY2(pixels::differences(selected, after, box) <= box.height(),
                 qPrintable(QString::number(pixels::differences(selected, after, box))));
    }
}

// The face typed partly as kana, "IPAゴシック", is the same font as "IPAGothic".
void TestE2eInputMethod::fontBoxTakesKana()
{
    const QRect canvas = m_form->canvas();
    const QRect combo = m_form->rect(layout::combo1);
    const QImage start = m_x->waitForStill(canvas);
    QVERIFY(m_x->click(QPoint(combo.left() + 30, combo.center().y())));
    QVERIFY(m_x->key(QStringLiteral("ctrl+a")));
    QVERIFY(m_x->type(QStringLiteral("IPAGothic")));
    QVERIFY(m_x->click(m_form->centre(layout::command1)));
    const QImage gothic = m_x->waitForScreen(
        [&](const QImage &image) { return pixels::differences(start, image, canvas) > 200; });
    QVERIFY2(pixels::differences(start, gothic, canvas) > 200, "IPAGothic was not applied");

    // Back to the start-up face, then the kana name.
    QVERIFY(m_x->click(QPoint(combo.left() + 30, combo.center().y())));
    QVERIFY(m_x->key(QStringLiteral("ctrl+a")));
    QVERIFY(m_x->type(QStringLiteral("DejaVu Sans")));
    QVERIFY(m_x->click(m_form->centre(layout::command1)));
    QVERIFY(m_x->click(QPoint(combo.left() + 30, combo.center().y())));
    QVERIFY(m_x->key(QStringLiteral("ctrl+a")));
    QVERIFY(m_x->type(QStringLiteral("IPA")));
    QVERIFY(compose(QStringLiteral("goshikku"), QStringLiteral("F7 Return")));
    QVERIFY(m_x->click(m_form->centre(layout::command1)));
    const QImage kana = m_x->waitForScreen(
        [&](const QImage &image) { return pixels::differences(gothic, image, canvas) == 0; });
    keepScreenshot(kana.copy(m_form->window()), QStringLiteral("input-method-font"));
    QCOMPARE(pixels::differences(gothic, kana, canvas), 0);
}

QTEST_GUILESS_MAIN(TestE2eInputMethod)
#include "tst_e2e_input_method.moc"
