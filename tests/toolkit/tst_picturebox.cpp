#include "support/test_table.h"
#include "support/testmain.h"
#include "toolkit/label.h"
#include "toolkit/picturebox.h"

#include <QTest>

// The picture box's persistent drawing surface, in twips.
class PictureBoxTest : public QObject
{
    Q_OBJECT
private slots:
    void paintPictureDrawsAtTwipPositions_data();
    void paintPictureDrawsAtTwipPositions();
    void drawingSurvivesHideShowAndChildChanges();
    void backColorAndPictureEraseTheDrawing();
    void emptyPictureDrawsNothing();
    void holderTakesThePicturesSize();
};

namespace {

toolkit::Picture square(int size, QColor colour)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(colour);
    return toolkit::Picture(image);
}

} // namespace

void PictureBoxTest::paintPictureDrawsAtTwipPositions_data()
{
    QVERIFY(addTestRows(QStringLiteral("picture-box/twip-positions.json")));
}

void PictureBoxTest::paintPictureDrawsAtTwipPositions()
{
    QFETCH(double, left);
    QFETCH(double, top);
    QFETCH(int, x);
    QFETCH(int, y);
    const QPoint pixel(x, y);
    toolkit::PictureBox box;
    box.resize(104, 64); // a 2-pixel border around 100 x 60
    box.setBackColor(Qt::white);
    QCOMPARE(box.scaleWidth(), 1500.0f);
    QCOMPARE(box.scaleHeight(), 900.0f);
    QVERIFY(box.paintPicture(square(4, Qt::red), left, top));
    const QImage surface = box.surfaceImage();
    QCOMPARE(surface.pixelColor(pixel), QColor(Qt::red));
    if (pixel.x() + 4 < surface.width())
        QCOMPARE(surface.pixelColor(pixel + QPoint(4, 0)), QColor(Qt::white));
    if (pixel.x() > 0)
        QCOMPARE(surface.pixelColor(pixel - QPoint(1, 0)), QColor(Qt::white));
    // The grabbed widget shows the same, inside the border.
    const QImage shown = box.grab().toImage();
    QCOMPARE(shown.pixelColor(pixel + QPoint(2, 2)), QColor(Qt::red));
}

void PictureBoxTest::drawingSurvivesHideShowAndChildChanges()
{
    toolkit::PictureBox box;
    box.resize(104, 64);
    box.setBackColor(Qt::white);
    auto *label = new toolkit::Label(QStringLiteral("Aa"), box.surface());
    label->move(50, 2);
    label->setAutoSize(true);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    box.paintPicture(square(10, Qt::green), 0, 0);
    box.hide();
    box.show();
    label->setFontSize(30);
    label->setForeColor(Qt::magenta);
    label->setCaption(QStringLiteral("Bb"));
    const QImage shown = box.grab().toImage();
    QCOMPARE(shown.pixelColor(2 + 5, 2 + 5), QColor(Qt::green));
    QCOMPARE(box.surfaceImage().pixelColor(5, 5), QColor(Qt::green));
}

void PictureBoxTest::backColorAndPictureEraseTheDrawing()
{
    toolkit::PictureBox box;
    box.resize(104, 64);
    box.setBackColor(Qt::white);
    box.paintPicture(square(10, Qt::green), 0, 0);
    box.setBackColor(Qt::cyan);
    QCOMPARE(box.surfaceImage().pixelColor(5, 5), QColor(Qt::cyan));
    box.paintPicture(square(10, Qt::green), 0, 0);
    box.setPicture(toolkit::Picture());
    QCOMPARE(box.surfaceImage().pixelColor(5, 5), QColor(Qt::cyan));
    // A picture of the box itself shows at the corner and stays under new colours.
    box.setPicture(square(3, Qt::blue));
    box.setBackColor(Qt::yellow);
    QCOMPARE(box.surfaceImage().pixelColor(1, 1), QColor(Qt::blue));
    QCOMPARE(box.surfaceImage().pixelColor(5, 5), QColor(Qt::yellow));
}

void PictureBoxTest::emptyPictureDrawsNothing()
{
    toolkit::PictureBox box;
    box.resize(104, 64);
    box.setBackColor(Qt::white);
    QVERIFY(!box.paintPicture(toolkit::Picture(), 0, 0));
    QCOMPARE(box.surfaceImage().pixelColor(0, 0), QColor(Qt::white));
}

void PictureBoxTest::holderTakesThePicturesSize()
{
    QWidget window;
    auto *holder = new toolkit::PictureBox(&window);
    holder->resize(41, 25);
    holder->setAutoSize(true);
    holder->setVisible(false);
    holder->setPicture(square(300, Qt::red));
    QCOMPARE(holder->scaleWidth(), 4500.0f);
    QCOMPARE(holder->scaleHeight(), 4500.0f);
    window.show();
    QVERIFY(!holder->isVisible());
}

TYPORAMA_TEST_MAIN(PictureBoxTest)
#include "tst_picturebox.moc"
