#include "e2e/e2e_test.h"
#include "e2e/form1_screen.h"
#include "e2e/pixels.h"
#include "e2e/xsession.h"

#include <QMargins>
#include <QTest>

#include <memory>

// The main window as a user first sees it, and the about window opened from the keyboard.
class TestE2eWindow : public E2eTest
{
    Q_OBJECT

private slots:
    void startUpState();
    void altAOpensAboutAndEnterClosesIt();
    void frameBorderRunsAboveItsControls_data();
    void frameBorderRunsAboveItsControls();
    void outerFrameIsCentred();
    void sizeBarShowsTheFocus();
    void canvasBorderShowsOnEverySide_data();
    void canvasBorderShowsOnEverySide();
};

Q_DECLARE_METATYPE(Twips)

namespace {

const QString aboutTitle = QStringLiteral("^バージョン情報$");
constexpr QPoint screenCentre(640, 512);
constexpr int aboutTimeoutMs = 10000;
// The first row of controls in every frame starts this far below the frame's top.
constexpr int firstRowPx = 16;

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
    const QRect menuBar(m_form->window().topLeft(),
                        QSize(m_form->window().width(), m_form->menuBarHeight()));
    const QImage before = m_x->waitForStill(menuBar);
    const std::optional<QRect> first = openAbout(*m_x, *m_form);
    QVERIFY2(first, "Alt+A opened no about window");
    const QImage firstShot = m_x->waitForStill(*first);
    keepScreenshot(firstShot, QStringLiteral("about"));
    // The menu bar has let go of the item before the modal window runs: no highlight under it.
    QCOMPARE(firstShot.copy(menuBar), before.copy(menuBar));
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

void TestE2eWindow::frameBorderRunsAboveItsControls_data()
{
    QTest::addColumn<Twips>("frame");
    QTest::newRow("背景の色") << layout::frame1;
    QTest::newRow("文字の色") << layout::frame2;
    QTest::newRow("フォントネーム") << layout::frame3;
    QTest::newRow("色指定方法") << layout::frame4;
    QTest::newRow("サイズ、形") << layout::frame5;
    QTest::newRow("バック画像") << layout::frame6;
}

// Every frame's first row of controls starts 16 px below its top; the top border, with the
// caption on it, runs above them.
void TestE2eWindow::frameBorderRunsAboveItsControls()
{
    QFETCH(Twips, frame);
    const QRect area = m_form->rect(frame);
    const QImage shot = m_x->waitForStill(m_form->client());
    keepScreenshot(shot.copy(m_form->window()), QStringLiteral("frames"));
    const QColor face = shot.pixelColor(m_form->client().topLeft() + QPoint(2, 2));
    // Left of the caption, down from the frame's top to its first drawn line.
    const QRect column(area.left() + 3, area.top(), 1, firstRowPx);
    const int border = pixels::inkBounds(shot, column, face).top() - area.top();
    QVERIFY2(border >= 2 && border < firstRowPx - 1, qPrintable(QString::number(border)));
    // The line runs on right of the caption, and the caption stands across it.
    QVERIFY(!pixels::near(shot.pixelColor(area.right() - 4, area.top() + border), face));
    const QRect caption(area.left() + 8, area.top(), 24, firstRowPx);
    const QRect ink = pixels::inkBounds(shot, caption, face);
    QVERIFY2(ink.top() < area.top() + border && ink.bottom() > area.top() + border,
             qPrintable(QStringLiteral("caption rows %1 to %2, border at %3")
                            .arg(ink.top() - area.top())
                            .arg(ink.bottom() - area.top())
                            .arg(border)));
}

void TestE2eWindow::outerFrameIsCentred()
{
    const std::optional<QByteArray> extents =
        m_x->run(QStringLiteral("xprop"),
                 {QStringLiteral("-id"), m_form->windowId(), QStringLiteral("_NET_FRAME_EXTENTS")});
    QVERIFY(extents);
    const QList<QByteArray> values = extents->mid(extents->indexOf('=') + 1).split(',');
    QCOMPARE(values.size(), 4);
    const QMargins frame(values[0].trimmed().toInt(), values[2].trimmed().toInt(),
                         values[1].trimmed().toInt(), values[3].trimmed().toInt());
    QVERIFY2(frame.top() > 0, extents->constData());
    const QRect outer = m_form->window().marginsAdded(frame);
    const QPoint offCentre = outer.center() - screenCentre;
    QVERIFY2(qAbs(offCentre.x()) <= 1 && qAbs(offCentre.y()) <= 1,
             qPrintable(QStringLiteral("outer frame off by (%1, %2) px")
                            .arg(offCentre.x())
                            .arg(offCentre.y())));
}

void TestE2eWindow::sizeBarShowsTheFocus()
{
    const QRect bar = m_form->rect(layout::hScroll1);
    const QRect readOut = m_form->rect(layout::label8);
    const QImage before = m_x->waitForStill(bar);
    // One step down and one up: the size is 36 again and the bar has the focus.
    QVERIFY(m_x->click(QPoint(bar.left() + 3, bar.center().y())));
    QVERIFY(m_x->click(QPoint(bar.right() - 3, bar.center().y())));
    QVERIFY(m_x->xdotool({QStringLiteral("mousemove"), QString::number(bar.center().x()),
                          QString::number(m_form->client().bottom() + 40)}));
    const QImage focused = m_x->waitForStill(bar.united(readOut));
    keepScreenshot(focused.copy(m_form->window()), QStringLiteral("size-bar-focus"));
    QCOMPARE(pixels::differences(before, focused, readOut), 0);
    QVERIFY2(pixels::differences(before, focused, bar) > 20, "the focus does not show");

    QVERIFY(m_x->click(m_form->centre(layout::textC(0))));
    const QImage left = m_x->waitForScreen(
        [&](const QImage &image) { return pixels::differences(before, image, bar) == 0; });
    QCOMPARE(pixels::differences(before, left, bar), 0);
}

void TestE2eWindow::canvasBorderShowsOnEverySide_data()
{
    QTest::addColumn<int>("edge");
    QTest::newRow("left") << int(Qt::LeftEdge);
    QTest::newRow("top") << int(Qt::TopEdge);
    QTest::newRow("right") << int(Qt::RightEdge);
    QTest::newRow("bottom") << int(Qt::BottomEdge);
}

// Each side's inner line, next to the white canvas, stands apart from it along its whole length.
void TestE2eWindow::canvasBorderShowsOnEverySide()
{
    QFETCH(int, edge);
    const QRect ring = m_form->canvas().adjusted(-1, -1, 1, 1);
    QRect line = ring;
    if (edge == Qt::LeftEdge)
        line.setRight(ring.left());
    else if (edge == Qt::RightEdge)
        line.setLeft(ring.right());
    else if (edge == Qt::TopEdge)
        line.setBottom(ring.top());
    else
        line.setTop(ring.bottom());
    const QImage shot = m_x->waitForScreen([&](const QImage &image) {
        return pixels::allNear(image, m_form->clearBand(), Qt::white, 0);
    });
    QCOMPARE(pixels::countNear(shot, line, Qt::white, 32), 0);
}

QTEST_GUILESS_MAIN(TestE2eWindow)
#include "tst_e2e_window.moc"
