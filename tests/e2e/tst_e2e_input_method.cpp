#include "e2e/e2e_test.h"
#include "e2e/inputmethod.h"
#include "e2e/pixels.h"

#include <QTest>

#include <memory>
#include <optional>

using Engine = InputMethodSession::Engine;

// Real Japanese input methods (IBus with Anthy, IBus with Mozc, Fcitx5 with Mozc) typing into
// the program: a colour box keeps only the characters its key filter accepts, also when the
// input method is asked to convert its selected text anew, the about window's read-only address
// box takes nothing, the font box takes the kana.
class TestE2eInputMethod : public E2eTest
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void init();
    // The input method ends before the X session it serves, which ends with the test object.
    void cleanupTestCase() { m_inputMethod.reset(); }
    void colourBoxKeepsWhatTheFilterAccepts_data();
    void colourBoxKeepsWhatTheFilterAccepts();
    void aboutAddressTakesNoKana();
    void fontBoxTakesKana();

private:
    // Switches hiragana on, composes romaji, which must show in the area, finishes with the given
    // keys (Return commits) and switches hiragana off again; the engine keeps its state across
    // programs.
    bool compose(const QString &romaji, const QString &finish, const QRect &area);

    std::unique_ptr<InputMethodSession> m_inputMethod;
    std::optional<Engine> m_engine;
};

// Every test runs under each input method; one session at a time, started when a test first
// needs it.
void TestE2eInputMethod::initTestCase_data()
{
    QTest::addColumn<Engine>("engine");
    QTest::newRow("IBus Anthy") << Engine::Anthy;
    QTest::newRow("IBus Mozc") << Engine::IbusMozc;
    QTest::newRow("Fcitx5 Mozc") << Engine::FcitxMozc;
}

void TestE2eInputMethod::init()
{
    QFETCH_GLOBAL(Engine, engine);
    if (m_engine != engine) {
        m_inputMethod.reset();
        m_engine.reset();
        if (const std::optional<QString> missing = InputMethodSession::missingPrerequisite(engine))
            QSKIP(qPrintable(*missing));
        m_inputMethod = std::make_unique<InputMethodSession>(*m_x, engine);
        QVERIFY2(m_inputMethod->start(), qPrintable(m_inputMethod->errorString()));
        m_engine = engine;
    }
    QVERIFY(m_inputMethod->switchOn(true));
    m_form = Form1Screen::start(*m_x);
    QVERIFY2(m_form, qPrintable(m_x->errorString()));
}

bool TestE2eInputMethod::compose(const QString &romaji, const QString &finish, const QRect &area)
{
    const QImage before = m_x->screenshot();
    if (!m_x->key(m_inputMethod->onKey()) || !m_x->type(romaji))
        return false;
    // More than a caret's blink: the composition is on show.
    const auto shown = [&](const QImage &shot) {
        return pixels::differences(before, shot, area) > area.height();
    };
    if (!romaji.isEmpty() && !shown(m_x->waitForScreen(shown))) {
        // Switched off all the same: a toggling key left on would put the next test out of step.
        m_x->key(QStringLiteral("Escape"));
        m_x->key(m_inputMethod->offKey());
        return false;
    }
    QString keys = QStringLiteral("key --delay 100 ") + finish;
    return m_x->xdotool(
               keys.replace(QStringLiteral("%1"), m_inputMethod->reconvertKey()).split(u' ')) &&
           m_x->key(m_inputMethod->offKey());
}

void TestE2eInputMethod::colourBoxKeepsWhatTheFilterAccepts_data()
{
    QTest::addColumn<bool>("hexadecimal");
    QTest::addColumn<QString>("romaji");
    QTest::addColumn<QString>("finish");
    QTest::addColumn<QColor>("canvas");
    // F10 turns the composition into plain letters and digits before Return commits it; the
    // conversion key (%1) over the selected text gives the input method nothing to take back.
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
    row("conversion, Enter", false, "", "%1 Return", Qt::white);
    row("conversion, Esc", false, "", "%1 Escape", Qt::white);
    row("hexadecimal conversion, Enter", true, "", "%1 Return", Qt::white);
    row("hexadecimal conversion, Esc", true, "", "%1 Escape", Qt::white);
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
    QVERIFY2(compose(romaji, finish, box), "no composition showed");
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

// Alt+A, Tab: the home-page address is focused and selected. Neither the composition nor its
// commit shows in the window.
void TestE2eInputMethod::aboutAddressTakesNoKana()
{
    QVERIFY(m_x->activate(m_form->windowId()) && m_x->key(QStringLiteral("alt+a")));
    const std::optional<XSession::Window> about =
        m_x->findWindow(QStringLiteral("^バージョン情報$"));
    QVERIFY2(about, qPrintable(m_x->errorString()));
    QVERIFY(m_x->key(QStringLiteral("Tab")));
    const QImage focused = m_x->waitForStill(about->geometry);
    QVERIFY(m_x->key(m_inputMethod->onKey()) && m_x->type(QStringLiteral("ka")));
    const QImage composing = m_x->waitForStill(about->geometry);
    QVERIFY(m_x->key(QStringLiteral("Return")) && m_x->key(m_inputMethod->offKey()));
    const QImage committed = m_x->waitForStill(about->geometry);
    keepScreenshot(composing.copy(about->geometry), QStringLiteral("input-method-about"));
    QCOMPARE(pixels::differences(focused, composing, about->geometry), 0);
    QCOMPARE(pixels::differences(focused, committed, about->geometry), 0);
}

// The face typed partly as kana, "IPAゴシック", is the same font as "IPAGothic".
void TestE2eInputMethod::fontBoxTakesKana()
{
    const QRect canvas = m_form->canvas();
    const QRect combo = m_form->rect(layout::combo1);
    // Over the face box's whole text; Command1 applies what it holds.
    const auto typeFace = [&](const QString &face) {
        return m_x->click(QPoint(combo.left() + 30, combo.center().y())) &&
               m_x->key(QStringLiteral("ctrl+a")) && m_x->type(face);
    };
    const auto apply = [&] { return m_x->click(m_form->centre(layout::command1)); };
    const QImage start = m_x->waitForStill(canvas);
    QVERIFY(typeFace(QStringLiteral("IPAGothic")) && apply());
    const QImage gothic = m_x->waitForScreen(
        [&](const QImage &image) { return pixels::differences(start, image, canvas) > 200; });
    QVERIFY2(pixels::differences(start, gothic, canvas) > 200, "IPAGothic was not applied");

    // Back to the start-up face, then the kana name.
    QVERIFY(typeFace(QStringLiteral("DejaVu Sans")) && apply());
    QVERIFY(typeFace(QStringLiteral("IPA")));
    QVERIFY2(compose(QStringLiteral("goshikku"), QStringLiteral("F7 Return"), combo),
             "no composition showed");
    QVERIFY(apply());
    const QImage kana = m_x->waitForScreen(
        [&](const QImage &image) { return pixels::differences(gothic, image, canvas) == 0; });
    keepScreenshot(kana.copy(m_form->window()), QStringLiteral("input-method-font"));
    QCOMPARE(pixels::differences(gothic, kana, canvas), 0);
}

QTEST_GUILESS_MAIN(TestE2eInputMethod)
#include "tst_e2e_input_method.moc"
