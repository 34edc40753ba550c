#include "e2e/e2e_test.h"
#include "e2e/form1_screen.h"
#include "e2e/pixels.h"
#include "e2e/xsession.h"

#include <QTest>

#include <memory>

// The sample text's style, size and face changed with the mouse and the keyboard.
class TestE2eStyling : public E2eTest
{
    Q_OBJECT

private slots:
    void boldBoxThickensAndThinsText();
    void sizeBarGrowsTextAndReadOut();
    void typedFaceAppliesOnlyWithSwitchButton();
    void leavingTypedFaceChangesNothing_data();
    void leavingTypedFaceChangesNothing();

private:
    // The canvas once drawing has settled.
    QImage settledCanvas();
};

QImage TestE2eStyling::settledCanvas()
{
    return m_x->waitForStill(m_form->canvas());
}

void TestE2eStyling::boldBoxThickensAndThinsText()
{
    const QRect text = m_form->textBand();
    const QImage regular = settledCanvas();
    const int regularInk = pixels::inkCount(regular, text, Qt::white);
    QVERIFY(regularInk > 500);

    QVERIFY(m_x->click(m_form->centre(layout::check1)));
    const QImage bold = m_x->waitForScreen([&](const QImage &image) {
        return pixels::inkCount(image, text, Qt::white) > regularInk * 11 / 10;
    });
    keepScreenshot(bold.copy(m_form->window()), QStringLiteral("bold"));
    const int boldInk = pixels::inkCount(bold, text, Qt::white);
    QVERIFY2(boldInk > regularInk * 11 / 10,
             qPrintable(QStringLiteral("ink %1 -> %2").arg(regularInk).arg(boldInk)));

    QVERIFY(m_x->click(m_form->centre(layout::check1)));
    const QImage again = m_x->waitForScreen([&](const QImage &image) {
        return pixels::differences(regular, image, m_form->canvas()) == 0;
    });
    QCOMPARE(pixels::differences(regular, again, m_form->canvas()), 0);
}

void TestE2eStyling::sizeBarGrowsTextAndReadOut()
{
    const QRect canvas = m_form->canvas();
    const QRect readOut = m_form->rect(layout::label8);
    const QImage before = settledCanvas();
    const QRect textBefore = pixels::inkBounds(before, canvas, Qt::white);

    // A click in the trough right of the thumb moves the bar by a page, 36 to 41.
    const QRect bar = m_form->rect(layout::hScroll1);
    QVERIFY(m_x->click(QPoint(bar.right() - 24, bar.center().y())));
    const QImage larger = m_x->waitForScreen([&](const QImage &image) {
        return pixels::inkBounds(image, canvas, Qt::white).width() > textBefore.width() &&
               pixels::differences(before, image, readOut) > 0;
    });
    const QRect textLarger = pixels::inkBounds(larger, canvas, Qt::white);
    QVERIFY2(pixels::differences(before, larger, readOut) > 0, "the size read-out stayed");
    QVERIFY2(textLarger.width() > textBefore.width() && textLarger.height() > textBefore.height(),
             qPrintable(QStringLiteral("text %1x%2 -> %3x%4")
                            .arg(textBefore.width())
                            .arg(textBefore.height())
                            .arg(textLarger.width())
                            .arg(textLarger.height())));
    // The label keeps its place and grows to the right and downwards.
    QVERIFY(qAbs(textLarger.left() - textBefore.left()) <= 2);

    // The bar took the focus with the click: End goes to 72 points, wider than the canvas,
    // and the text is cut at the canvas's right edge.
    QVERIFY(m_x->key(QStringLiteral("End")));
    const QImage largest = m_x->waitForScreen([&](const QImage &image) {
        return pixels::inkBounds(image, canvas, Qt::white).right() >= canvas.right() - 4;
    });
    keepScreenshot(largest.copy(m_form->window()), QStringLiteral("size-72"));
    const QRect textLargest = pixels::inkBounds(largest, canvas, Qt::white);
    QVERIFY2(textLargest.right() >= canvas.right() - 4,
             qPrintable(QString::number(canvas.right() - textLargest.right())));
    QVERIFY(qAbs(textLargest.left() - textBefore.left()) <= 4);
    QVERIFY(pixels::differences(larger, largest, readOut) > 0);
}

void TestE2eStyling::typedFaceAppliesOnlyWithSwitchButton()
{
    const QRect canvas = m_form->canvas();
    const QImage gothic = settledCanvas();

    // Into the edit field, left of the drop-down arrow; its text is replaced.
    const QRect combo = m_form->rect(layout::combo1);
    QVERIFY(m_x->click(QPoint(combo.left() + 30, combo.center().y())));
    QVERIFY(m_x->key(QStringLiteral("ctrl+a")));
    QVERIFY(m_x->type(QStringLiteral("IPAMincho")));
    const QImage typed = m_x->waitForStill(m_form->rect(layout::combo1).united(canvas));
    QVERIFY2(pixels::differences(gothic, typed, combo) > 0, "the name was not typed");
    QCOMPARE(pixels::differences(gothic, typed, canvas), 0);

    QVERIFY(m_x->click(m_form->centre(layout::command1)));
    const QImage mincho = m_x->waitForScreen(
        [&](const QImage &image) { return pixels::differences(gothic, image, canvas) > 200; });
    keepScreenshot(mincho.copy(m_form->window()), QStringLiteral("face-mincho"));
    QVERIFY2(pixels::differences(gothic, mincho, canvas) > 200, "the face stayed");
    QVERIFY(pixels::near(pixels::dominantInk(mincho, canvas, Qt::white), Qt::black, 0));

    // Pressing the button again re-applies the same face: nothing moves.
    const QImage settled = settledCanvas();
    QVERIFY(m_x->click(m_form->centre(layout::command1)));
    QTest::qSleep(300);
    QCOMPARE(pixels::differences(settled, settledCanvas(), canvas), 0);
}

void TestE2eStyling::leavingTypedFaceChangesNothing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("byTab");
    for (const bool byTab : {true, false}) {
        const char *leave = byTab ? "Tab" : "click";
        QTest::addRow("start of a name, %s", leave) << QStringLiteral("DejaVu Se") << byTab;
        QTest::addRow("listed name, %s", leave) << QStringLiteral("IPAMincho") << byTab;
        QTest::addRow("listed name in lower case, %s", leave)
            << QStringLiteral("ipamincho") << byTab;
    }
}

void TestE2eStyling::leavingTypedFaceChangesNothing()
{
    QFETCH(QString, typed);
    QFETCH(bool, byTab);
    const QRect canvas = m_form->canvas();
    const QImage gothic = settledCanvas();
    const QRect combo = m_form->rect(layout::combo1);
    QVERIFY(m_x->click(QPoint(combo.left() + 30, combo.center().y())));
    QVERIFY(m_x->key(QStringLiteral("ctrl+a")));
    QVERIFY(m_x->type(typed));
    QVERIFY(byTab ? m_x->key(QStringLiteral("Tab")) : m_x->click(m_form->centre(layout::textC(0))));
    // Long enough for a face change to have reached the screen.
    QTest::qSleep(500);
    const QImage left = m_x->waitForStill(combo.united(canvas));
    QCOMPARE(pixels::differences(gothic, left, canvas), 0);

    QVERIFY(m_x->click(m_form->centre(layout::command1)));
    if (typed.startsWith(QLatin1String("DejaVu")))
        return;
    const QImage mincho = m_x->waitForScreen(
        [&](const QImage &image) { return pixels::differences(gothic, image, canvas) > 200; });
    QVERIFY2(pixels::differences(gothic, mincho, canvas) > 200, "the typed face was not applied");
}

QTEST_GUILESS_MAIN(TestE2eStyling)
#include "tst_e2e_styling.moc"
