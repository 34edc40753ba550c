#include "preview/tile_plan.h"

#include <QTest>

#include <cmath>
#include <limits>

using preview::Tile;
using preview::TilePosition;
using Positions = std::vector<TilePosition>;

Q_DECLARE_METATYPE(Positions)

namespace {

// The canvas inner area: 413 × 109 pixels.
constexpr float canvasWidth = 6195;
constexpr float canvasHeight = 1635;

// Column-major positions for whole tile sizes, as a plain reference to compare against.
Positions grid(int columns, int rows, float width, float height)
{
    Positions positions;
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r)
            positions.push_back({width * static_cast<float>(c), height * static_cast<float>(r)});
    }
    return positions;
}

} // namespace

namespace QTest {
template <> char *toString(const Positions &positions)
{
    QByteArray text = "[";
    for (const TilePosition &p : positions)
        text += QByteArray::number(p.left) + ',' + QByteArray::number(p.top) + ' ';
    text += ']';
    return qstrdup(text.constData());
}
} // namespace QTest

class TilePlan : public QObject
{
    Q_OBJECT
private slots:
    void positions_data();
    void positions();
    void singleCallsNeedNoTileSize();
    void columnNeedsOnlyHeight();
    void rowNeedsOnlyWidth();
    void ratioIsRoundedToSinglePrecision();
    void coordinateIsRoundedToSinglePrecision();
};

void TilePlan::positions_data()
{
    QTest::addColumn<float>("canvasW");
    QTest::addColumn<float>("canvasH");
    QTest::addColumn<float>("tileW");
    QTest::addColumn<float>("tileH");
    QTest::addColumn<Positions>("expected");

    QTest::newRow("image equal to the canvas")
        << canvasWidth << canvasHeight << canvasWidth << canvasHeight << Positions{{0, 0}};
    QTest::newRow("image larger in both directions")
        << canvasWidth << canvasHeight << 9000.0f << 3000.0f << Positions{{0, 0}};
    QTest::newRow("as wide, lower: one column") << canvasWidth << canvasHeight << canvasWidth
                                                << 600.0f << Positions{{0, 0}, {0, 600}, {0, 1200}};
    QTest::newRow("wider, lower: one column") << canvasWidth << canvasHeight << 7000.0f << 500.0f
                                              << Positions{{0, 0}, {0, 500}, {0, 1000}, {0, 1500}};
    QTest::newRow("as high, narrower: one row")
        << canvasWidth << canvasHeight << 2000.0f << canvasHeight
        << Positions{{0, 0}, {2000, 0}, {4000, 0}, {6000, 0}};
    QTest::newRow("exactly half: the last column and row at the edge")
        << 6000.0f << 1620.0f << 3000.0f << 810.0f << grid(3, 3, 3000, 810);
    QTest::newRow("non-integer ratios: 11.16 by 5.19")
        << canvasWidth << canvasHeight << 555.0f << 315.0f << grid(12, 6, 555, 315);
    QTest::newRow("a one-pixel image")
        << canvasWidth << canvasHeight << 15.0f << 15.0f << grid(414, 110, 15, 15);
    QTest::newRow("ratio just above 1 in both directions")
        << canvasWidth << canvasHeight << 6180.0f << 1620.0f << grid(2, 2, 6180, 1620);
    QTest::newRow("zero-size holder")
        << canvasWidth << canvasHeight << 0.0f << 0.0f << Positions{{0, 0}};
    QTest::newRow("zero-width holder, tiles down one column")
        << canvasWidth << canvasHeight << 0.0f << 315.0f
        << Positions{{0, 0}, {0, 315}, {0, 630}, {0, 945}, {0, 1260}, {0, 1575}};
    QTest::newRow("zero-height holder, tiles along one row")
        << 1000.0f << canvasHeight << 300.0f << 0.0f
        << Positions{{0, 0}, {300, 0}, {600, 0}, {900, 0}};
    QTest::newRow("empty canvas") << 0.0f << 0.0f << 555.0f << 315.0f << Positions{{0, 0}};
}

void TilePlan::positions()
{
    QFETCH(float, canvasW);
    QFETCH(float, canvasH);
    QFETCH(float, tileW);
    QFETCH(float, tileH);
    QFETCH(Positions, expected);
    QCOMPARE(preview::tilePlan(canvasW, canvasH, tileW, tileH), expected);
}

void TilePlan::singleCallsNeedNoTileSize()
{
    const std::vector<Tile> tiles = preview::tileOrder(canvasWidth, canvasHeight, 7000, 2000);
    QCOMPARE(tiles.size(), 1u);
    QVERIFY(!tiles.front().column);
    QVERIFY(!tiles.front().row);
}

// A single column steps down rows only: its calls read the tile height, never the width.
void TilePlan::columnNeedsOnlyHeight()
{
    const std::vector<Tile> tiles = preview::tileOrder(canvasWidth, canvasHeight, 7000, 500);
    QCOMPARE(tiles.size(), 4u);
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        QVERIFY(!tiles[i].column);
        QCOMPARE(tiles[i].row, std::optional<int>(static_cast<int>(i)));
    }
}

void TilePlan::rowNeedsOnlyWidth()
{
    const std::vector<Tile> tiles = preview::tileOrder(canvasWidth, canvasHeight, 2000, 1700);
    QCOMPARE(tiles.size(), 4u);
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        QCOMPARE(tiles[i].column, std::optional<int>(static_cast<int>(i)));
        QVERIFY(!tiles[i].row);
    }
}

// 6195 / 62.5757599 is 98.9999963 in double precision but exactly 99 in single precision,
// so the row gets a 100th tile.
void TilePlan::ratioIsRoundedToSinglePrecision()
{
    const float tileWidth = 0x1.f49b28p+5f;
    QVERIFY(6195.0 / tileWidth < 99.0);
    const std::vector<Tile> tiles = preview::tileOrder(canvasWidth, canvasHeight, tileWidth, 2000);
    QCOMPARE(tiles.size(), 100u);
    QCOMPARE(tiles.back().column, std::optional<int>(99));
}

void TilePlan::coordinateIsRoundedToSinglePrecision()
{
    // 7.5 twips: a tile of half a pixel, as a high-density image gives.
    QCOMPARE(preview::tileCoordinate(7.5f, 825), 6187.5f);
    const float tenth = 0.1f;
    QCOMPARE(preview::tileCoordinate(tenth, 3), static_cast<float>(static_cast<double>(tenth) * 3));
    QVERIFY(static_cast<double>(preview::tileCoordinate(tenth, 3)) !=
            static_cast<double>(tenth) * 3);
}

QTEST_APPLESS_MAIN(TilePlan)
#include "tst_tile_plan.moc"
