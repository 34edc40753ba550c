#pragma once

#include <optional>
#include <vector>

// How the background image is laid over the canvas: once where it covers the canvas, else
// repeated column by column until the canvas is covered. All lengths are in twips.
namespace preview {

// One drawing call. A call that steps across columns needs the tile width for its left edge,
// one that steps down rows needs the tile height for its top edge; an absent index stands for
// the edge at 0 and needs no tile size at all.
struct Tile
{
    std::optional<int> column;
    std::optional<int> row;
};

struct TilePosition
{
    float left = 0;
    float top = 0;
    friend bool operator==(const TilePosition &, const TilePosition &) = default;
};

// The edge of the tile with the given index: the size times the index, rounded to single
// precision like every other length the canvas measures.
float tileCoordinate(float tileSize, int index);

// The drawing calls in their order. The limits are inclusive, so one column and one row more
// than fit whole are drawn (the last one starts at the canvas edge when the ratio is whole).
// A tile of zero size gives a ratio that counts as 0.
std::vector<Tile> tileOrder(float canvasWidth, float canvasHeight, float tileWidth,
                            float tileHeight);

TilePosition tilePosition(const Tile &tile, float tileWidth, float tileHeight);

// The positions of tileOrder, for a tile size that stays the same over the whole run.
std::vector<TilePosition> tilePlan(float canvasWidth, float canvasHeight, float tileWidth,
                                   float tileHeight);

} // namespace preview
