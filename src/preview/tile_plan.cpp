#include "preview/tile_plan.h"

#include <cmath>
#include <limits>

namespace preview {
namespace {

// Canvas over tile, rounded to single precision; 0 where it cannot be computed (a tile of
// zero or unreadable size).
float ratio(float canvas, float tile)
{
    const double quotient = static_cast<double>(canvas) / static_cast<double>(tile);
    if (!std::isfinite(quotient))
        return 0;
    return static_cast<float>(quotient);
}

// The whole part of a ratio as a loop limit; 0 where it does not fit a 32-bit counter.
int wholePart(float ratio)
{
    const double whole = std::floor(static_cast<double>(ratio));
    if (whole > std::numeric_limits<int>::max() || whole < std::numeric_limits<int>::min())
        return 0;
    return static_cast<int>(whole);
}

} // namespace

float tileCoordinate(float tileSize, int index)
{
    return static_cast<float>(static_cast<double>(tileSize) * static_cast<double>(index));
}

std::vector<Tile> tileOrder(float canvasWidth, float canvasHeight, float tileWidth,
                            float tileHeight)
{
    const float across = ratio(canvasWidth, tileWidth);
    const float down = ratio(canvasHeight, tileHeight);
    std::vector<Tile> tiles;
    if (across <= 1 && down <= 1) {
        tiles.push_back({});
        return tiles;
    }
    if (across <= 1) {
        const int lastRow = wholePart(down);
        for (int row = 0; row <= lastRow; ++row)
            tiles.push_back({std::nullopt, row});
        return tiles;
    }
    if (down <= 1) {
        const int lastColumn = wholePart(across);
        for (int column = 0; column <= lastColumn; ++column)
            tiles.push_back({column, std::nullopt});
        return tiles;
    }
    const int lastRow = wholePart(down);
    const int lastColumn = wholePart(across);
    if (lastColumn >= 0 && lastRow >= 0)
        tiles.reserve((static_cast<std::size_t>(lastColumn) + 1) *
                      (static_cast<std::size_t>(lastRow) + 1));
    for (int column = 0; column <= lastColumn; ++column) {
        for (int row = 0; row <= lastRow; ++row)
            tiles.push_back({column, row});
    }
    return tiles;
}

TilePosition tilePosition(const Tile &tile, float tileWidth, float tileHeight)
{
    return {tile.column ? tileCoordinate(tileWidth, *tile.column) : 0.0f,
            tile.row ? tileCoordinate(tileHeight, *tile.row) : 0.0f};
}

std::vector<TilePosition> tilePlan(float canvasWidth, float canvasHeight, float tileWidth,
                                   float tileHeight)
{
    std::vector<TilePosition> positions;
    for (const Tile &tile : tileOrder(canvasWidth, canvasHeight, tileWidth, tileHeight))
        positions.push_back(tilePosition(tile, tileWidth, tileHeight));
    return positions;
}

} // namespace preview
