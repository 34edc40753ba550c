#include "preview/tile_plan.h"
#include "support/test_table.h"

#include <QTest>

#include <cmath>
#include <limits>

using preview::Tile;
using preview::TilePosition;
using Positions = std::vector<TilePosition>;

namespace {

// The canvas inner area: 413 × 109 pixels.
constexpr float canvasWidth = 6195;
constexpr float canvasHeight = 1635;

// Column-major positions, each tile a tile size from the last, as a plain reference to compare
// against.
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
    QVERIFY(addTestRows(QStringLiteral("tile-plan/positions.json")));
}

void TilePlan::positions()
{
    QFETCH(float, canvasW);
    QFETCH(float, canvasH);
    QFETCH(float, tileW);
    QFETCH(float, tileH);
    QFETCH(int, columns);
    QFETCH(int, rows);
    QCOMPARE(preview::tilePlan(canvasW, canvasH, tileW, tileH), grid(columns, rows, tileW, tileH));
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
