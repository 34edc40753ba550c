#include "app/form1.h"
#include "support/loadedform.h"
#include "support/testmain.h"
#include "toolkit/label.h"
#include "toolkit/picture.h"
#include "toolkit/picturebox.h"

#include <QApplication>
#include <QTest>

// At twice the pixel density the layout doubles, and tiles and text stay sharp.
class HighDpi : public QObject
{
    Q_OBJECT
public:
    static void initMain() { qputenv("QT_SCALE_FACTOR", "2"); }

private slots:
    void initTestCase();
    void layoutDoubles();
    void tilesCoverTheCanvasPixelSharp();
    void sampleTextIsDrawnAtDeviceResolution();
};

void HighDpi::initTestCase()
{
    QCOMPARE(qApp->devicePixelRatio(), 2.0);
}

void HighDpi::layoutDoubles()
{
    LoadedForm form;
    const QImage shot = form->centralWidget()->grab().toImage();
    QCOMPARE(shot.size(), QSize(866, 642));
    QCOMPARE(form->Picture1->grab().toImage().size(), QSize(834, 226));
}

// A 3 x 3 checkered tile drawn at 2x becomes 6 x 6 device pixels per tile with no blended
// colours, and covers the canvas to its last device pixel.
void HighDpi::tilesCoverTheCanvasPixelSharp()
{
    LoadedForm form;
    QImage tile(3, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x)
            tile.setPixelColor(x, y, (x + y) % 2 ? Qt::black : Qt::yellow);
    }
    form->Label1->hide();
    form->Picture2->setPicture(toolkit::Picture(tile));
    form->Byouga();
    const QImage surface = form->Picture1->surfaceImage();
    QCOMPARE(surface.size(), QSize(826, 218));
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            const int tx = (x / 2) % 3;
            const int ty = (y / 2) % 3;
            const QColor expected = (tx + ty) % 2 ? Qt::black : Qt::yellow;
            if (surface.pixelColor(x, y) != expected)
                QFAIL(qPrintable(QStringLiteral("device pixel %1,%2").arg(x).arg(y)));
        }
    }
}

void HighDpi::sampleTextIsDrawnAtDeviceResolution()
{
    LoadedForm form;
    const QImage label = form->Label1->grab().toImage();
    QCOMPARE(label.devicePixelRatio(), 2.0);
    QCOMPARE(label.size(), form->Label1->size() * 2);
    // Antialiased glyph edges at device resolution: dark, light and greys between, with
    // single-device-pixel steps that a 2x upscale of a 1x rendering could not have.
    int oddSteps = 0;
    for (int y = 0; y < label.height(); ++y) {
        for (int x = 1; x + 1 < label.width(); x += 2) {
            if (label.pixel(x, y) != label.pixel(x - 1, y))
                ++oddSteps;
        }
    }
    QVERIFY(oddSteps > 100);
}

TYPORAMA_TEST_MAIN(HighDpi)

#include "tst_high_dpi.moc"
