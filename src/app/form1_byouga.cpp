#include "app/form1.h"

#include "preview/tile_plan.h"
#include "toolkit/picturebox.h"

// Paints the holder's picture over the canvas, once or tiled. The canvas is neither cleared
// before nor refreshed after: the tiles go onto whatever its surface holds, behind the label.
// The picture and the tile size are read from the holder again for each call, as the holder
// is the one place the image lives; an empty picture makes every call fail, so nothing shows.
void Form1::Byouga()
{
    const std::vector<preview::Tile> tiles =
        preview::tileOrder(Picture1->scaleWidth(), Picture1->scaleHeight(), Picture2->scaleWidth(),
                           Picture2->scaleHeight());
    for (const preview::Tile &tile : tiles) {
        const float left =
            tile.column ? preview::tileCoordinate(Picture2->scaleWidth(), *tile.column) : 0.0f;
        const float top =
            tile.row ? preview::tileCoordinate(Picture2->scaleHeight(), *tile.row) : 0.0f;
        Picture1->paintPicture(Picture2->picture(), left, top);
    }
}
