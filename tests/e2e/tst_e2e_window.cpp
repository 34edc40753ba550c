#include "e2e/e2e_test.h"
#include "e2e/form1_screen.h"
#include "e2e/pixels.h"
#include "support/xsession.h"

#include <QTest>

#include <memory>

// The main window as a user first sees it, and the about window opened from the keyboard.
class TestE2eWindow : public E2eTest
{
    Q_OBJECT

private slots:
    void startUpState();
    void altAOpensAboutAndEnterClosesIt();
};

namespace {

const QString aboutTitle = QStringLiteral("^バージョン情報$");
constexpr QPoint screenCentre(640, 512);
constexpr int aboutTimeoutMs = 10000;

// The about window's screen area, once it stands still.
std::optional<QRect> openAbout(XSession &x, const Form1Screen &form)
{
    if (!x.activate(form.windowId()) || !x.key(QStringLiteral("alt+a")))
        return std::nullopt;
    const std::optional<XSession::Window> about = x.findWindow(aboutTitle, aboutTimeoutMs);
    return about ? std::optional<QRect>(about->geometry) : std::nullopt;
}

bool closeAboutWithEnter(XSession &x)
{
    if (!x.key(QStringLiteral("Return")))
        return false;
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (!x.hasVisibleWindow(aboutTitle))
            return true;
        QTest::qSleep(100);
    }
    return false;
}

} // namespace

void TestE2eWindow::startUpState()
{
    QCOMPARE(m_x->windowTitle(m_form->windowId()), QStringLiteral("Typorama"));
    // A quiet start: no font warnings, no missing-family notes, nothing at all.
    QCOMPARE(m_x->programOutput(), QByteArray());
    QCOMPARE(m_form->window().width(), layout::clientWidthPx);
    QVERIFY2(m_form->menuBarHeight() >= 12 && m_form->menuBarHeight() <= 40,
             qPrintable(QStringLiteral("menu bar %1 px high").arg(m_form->menuBarHeight())));
    const QPoint offCentre = m_form->window().center() - screenCentre;
    QVERIFY2(offCentre.manhattanLength() <= 40,
             qPrintable(QStringLiteral("window centre is off by (%1, %2) px")
                            .arg(offCentre.x())
                            .arg(offCentre.y())));

    // White canvas, black sample text starting where the label stands.
    const QImage shot = m_x->waitForScreen([this](const QImage &image) {
        return pixels::allNear(image, m_form->clearBand(), Qt::white, 0);
    });
    keepScreenshot(shot, QStringLiteral("start-up"));
    QVERIFY(pixels::allNear(shot, m_form->clearBand(), Qt::white, 0));
    const QColor ink = pixels::dominantInk(shot, m_form->textBand(), Qt::white);
    QVERIFY2(pixels::near(ink, Qt::black, 0), qPrintable(ink.name()));
    QVERIFY(pixels::countNear(shot, m_form->textBand(), Qt::black, 0) > 500);
    const QRect text = pixels::inkBounds(shot, m_form->textBand(), Qt::white);
    const QPoint labelOrigin = m_form->rect(layout::label1).topLeft();
    QVERIFY2(text.left() >= labelOrigin.x() && text.left() <= labelOrigin.x() + 8,
             qPrintable(QString::number(text.left() - labelOrigin.x())));
    QVERIFY2(text.top() >= labelOrigin.y() && text.top() <= labelOrigin.y() + 20,
             qPrintable(QString::number(text.top() - labelOrigin.y())));
}

void TestE2eWindow::altAOpensAboutAndEnterClosesIt()
{
    const std::optional<QRect> first = openAbout(*m_x, *m_form);
    QVERIFY2(first, "Alt+A opened no about window");
    const QImage firstShot = m_x->waitForStill(*first);
    keepScreenshot(firstShot, QStringLiteral("about"));
    QVERIFY(pixels::inkCount(firstShot, *first, firstShot.pixelColor(first->topLeft())) > 500);
    QVERIFY2(closeAboutWithEnter(*m_x), "Enter left the about window open");

    // A second opening is laid out as the first.
    const std::optional<QRect> second = openAbout(*m_x, *m_form);
    QVERIFY2(second, "Alt+A did not open the about window again");
    QCOMPARE(second->size(), first->size());
    const QImage secondShot = m_x->waitForStill(*second);
    QCOMPARE(secondShot.copy(*second), firstShot.copy(*first));
    QVERIFY(closeAboutWithEnter(*m_x));

    // The modal loop has ended: the main window takes typing again.
    QVERIFY(m_x->click(m_form->centre(layout::textC(0))));
    QVERIFY(m_x->type(QStringLiteral("0")));
    const QImage after = m_x->waitForScreen([this](const QImage &image) {
        return pixels::allNear(image, m_form->clearBand(), Qt::cyan, 0);
    });
    QVERIFY(pixels::allNear(after, m_form->clearBand(), Qt::cyan, 0));
}

QTEST_GUILESS_MAIN(TestE2eWindow)
#include "tst_e2e_window.moc"
