#include "app/form1.h"
#include "support/fakefonts.h"
#include "support/image_bytes.h"
#include "support/testmain.h"
#include "toolkit/label.h"
#include "toolkit/picture.h"
#include "toolkit/picturebox.h"
#include "toolkit/scrollbar.h"

#include <QCheckBox>
#include <QTest>

#include <functional>
#include <memory>

namespace {

const QColor corner(Qt::red);
const QColor opposite(Qt::blue);
const QColor field(Qt::green);
constexpr int tileWidth = 20;
constexpr int tileHeight = 10;

QColor patternAt(int x, int y)
{
    if (x == 0 && y == 0)
        return corner;
    if (x == tileWidth - 1 && y == tileHeight - 1)
        return opposite;
    return field;
}

// A tile whose top-left pixel is red and bottom-right pixel blue, green between.
QImage testTile()
{
    QImage image(tileWidth, tileHeight, QImage::Format_RGB32);
    for (int y = 0; y < tileHeight; ++y) {
        for (int x = 0; x < tileWidth; ++x)
            image.setPixelColor(x, y, patternAt(x, y));
    }
    return image;
}

// What the canvas shows with the label out of the way: the tile repeated from the origin.
QImage tiledCanvas(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixelColor(x, y, patternAt(x % tileWidth, y % tileHeight));
    }
    return image;
}

} // namespace

class Byouga : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void tileCornersCoverTheCanvas_data();
    void tileCornersCoverTheCanvas();
    void secondCallGivesTheSamePixels();
    void tilesSurviveLabelAndWindowChanges_data();
    void tilesSurviveLabelAndWindowChanges();
    void labelStaysInFront();
    void backColorErasesTheTiles();
    void largerImageIsClipped();
    void noPictureDrawsNothing();

private:
    // The canvas inner area as rendered, the sample text included.
    QImage canvas() const;
    // The canvas with the sample text hidden for the moment.
    QImage canvasBehindLabel() const;
    // The tile repeated from the canvas origin, around the sample text and behind it, with more
    // tile corners than given in sight beside the text.
    void verifyTiled(int cornersInSight = -1) const;

    std::unique_ptr<FakeFonts> m_fonts;
    std::unique_ptr<Form1> m_form;
};

void Byouga::initTestCase()
{
    m_fonts = std::make_unique<FakeFonts>(
        QStringList{QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif")});
}

void Byouga::init()
{
    m_form = std::make_unique<Form1>(*m_fonts);
    m_form->Form_Load();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QCOMPARE(m_form->Picture1->surface()->size(), QSize(413, 109));
}

void Byouga::cleanup()
{
    m_form.reset();
}

QImage Byouga::canvas() const
{
    return m_form->Picture1->surface()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage Byouga::canvasBehindLabel() const
{
    m_form->Label1->hide();
    const QImage image = canvas();
    m_form->Label1->show();
    return image;
}

void Byouga::verifyTiled(int cornersInSight) const
{
    const QImage shown = canvas();
    const QRect label = m_form->Label1->geometry();
    const QImage expected = tiledCanvas(shown.size());
    int corners = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            if (label.contains(x, y))
                continue;
            if (shown.pixel(x, y) != expected.pixel(x, y))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 lost its tile").arg(x).arg(y)));
            corners += x % tileWidth == 0 && y % tileHeight == 0;
        }
    }
    QVERIFY(corners > cornersInSight);
    QCOMPARE(canvasBehindLabel(), expected);
}

// Pictures come from the loader in the formats of their files: palette images (GIF, 8-bit BMP)
// and images with alpha (icons) are drawn as they are.
void Byouga::tileCornersCoverTheCanvas_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::newRow("rgb") << QImage::Format_RGB32;
    QTest::newRow("palette") << QImage::Format_Indexed8;
    QTest::newRow("alpha") << QImage::Format_ARGB32;
    QTest::newRow("24-bit") << QImage::Format_RGB888;
}

void Byouga::tileCornersCoverTheCanvas()
{
    QFETCH(QImage::Format, format);
    Form1 &form = *m_form;
    const QImage tile = testTile().convertToFormat(format);
    QCOMPARE(tile.format(), format);
    form.Picture2->setPicture(toolkit::Picture(tile));
    form.Byouga();
    verifyTiled(100);
}

void Byouga::secondCallGivesTheSamePixels()
{
    Form1 &form = *m_form;
    form.Picture2->setPicture(toolkit::Picture(testTile()));
    form.Byouga();
    const QImage once = canvas();
    form.Byouga();
    QCOMPARE(canvas(), once);
}

void Byouga::tilesSurviveLabelAndWindowChanges_data()
{
    QTest::addColumn<std::function<void(Form1 &)>>("change");
    QTest::newRow("size 72") << std::function<void(Form1 &)>(
        [](Form1 &form) { form.HScroll1->setValue(72); });
    QTest::newRow("size 1") << std::function<void(Form1 &)>(
        [](Form1 &form) { form.HScroll1->setValue(1); });
    QTest::newRow("text colour") << std::function<void(Form1 &)>(
        [](Form1 &form) { form.Label1->setForeColor(Qt::magenta); });
    QTest::newRow("face") << std::function<void(Form1 &)>(
        [](Form1 &form) { form.Label1->setFontName(QStringLiteral("DejaVu Serif")); });
    QTest::newRow("bold and italic") << std::function<void(Form1 &)>([](Form1 &form) {
        form.Check1->click();
        form.Check2->click();
    });
    QTest::newRow("text") << std::function<void(Form1 &)>(
        [](Form1 &form) { form.Label1->setCaption(QStringLiteral("Ag")); });
    QTest::newRow("hide and show") << std::function<void(Form1 &)>([](Form1 &form) {
        form.hide();
        QCoreApplication::processEvents();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    });
    QTest::newRow("minimise and restore") << std::function<void(Form1 &)>([](Form1 &form) {
        form.showMinimized();
        QCoreApplication::processEvents();
        form.showNormal();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    });
}

void Byouga::tilesSurviveLabelAndWindowChanges()
{
    QFETCH(std::function<void(Form1 &)>, change);
    Form1 &form = *m_form;
    form.Picture2->setPicture(toolkit::Picture(testTile()));
    form.Byouga();
    change(form);
    QCoreApplication::processEvents();
    verifyTiled();
}

// The sample text is drawn over the tiles; the label is transparent around its glyphs.
void Byouga::labelStaysInFront()
{
    Form1 &form = *m_form;
    form.Label1->setForeColor(Qt::black);
    form.Picture2->setPicture(toolkit::Picture(testTile()));
    form.Byouga();
    const QImage shown = canvas();
    const QRect label = form.Label1->geometry().intersected(shown.rect());
    int ink = 0;
    int tile = 0;
    for (int y = label.top(); y <= label.bottom(); ++y) {
        for (int x = label.left(); x <= label.right(); ++x) {
            const QColor colour = shown.pixelColor(x, y);
            ink += colour == QColor(Qt::black);
            tile += colour == field;
        }
    }
    QVERIFY(ink > 100);
    QVERIFY(tile > 100);
}

void Byouga::backColorErasesTheTiles()
{
    Form1 &form = *m_form;
    form.Picture2->setPicture(toolkit::Picture(testTile()));
    form.Byouga();
    form.Picture1->setBackColor(Qt::yellow);
    const QImage behind = canvasBehindLabel();
    QCOMPARE(behind, filled(behind.size(), Qt::yellow));
}

void Byouga::largerImageIsClipped()
{
    Form1 &form = *m_form;
    QImage large(500, 150, QImage::Format_RGB32);
    for (int y = 0; y < large.height(); ++y) {
        for (int x = 0; x < large.width(); ++x)
            large.setPixel(x, y, qRgb(x % 256, y, (x * y) % 256));
    }
    form.Picture2->setPicture(toolkit::Picture(large));
    form.Byouga();
    QCOMPARE(canvasBehindLabel(), large.copy(0, 0, 413, 109));
}

void Byouga::noPictureDrawsNothing()
{
    Form1 &form = *m_form;
    form.Byouga();
    const QImage white = filled(QSize(413, 109), Qt::white);
    QCOMPARE(canvasBehindLabel(), white);

    // A cleared holder keeps its size but has nothing to draw.
    form.Picture2->setPicture(toolkit::Picture(testTile()));
    form.Picture2->setPicture(toolkit::Picture());
    form.Byouga();
    QCOMPARE(canvasBehindLabel(), white);
}

TYPORAMA_TEST_MAIN(Byouga)
#include "tst_byouga.moc"
