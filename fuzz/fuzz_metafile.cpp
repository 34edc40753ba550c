// The metafile decoder, which parses WMF and EMF records itself: any bytes are either refused
// or played onto a picture no larger than the bound.
#include "fuzz_check.h"
#include "offscreen_gui.h"

#include "picture/metafile/metafile.h"

#include <QByteArray>

#include <cstdint>

namespace {

// Small enough to keep each run fast, large enough for the seeds' 240 x 192 pictures.
constexpr qint64 maxPixels = 512 * 512;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    startOffscreenGui();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const bool looksLike = toolkit::looksLikeMetafile(bytes);
    const std::optional<QImage> image = toolkit::decodeMetafile(bytes, maxPixels);
    if (image) {
        fuzzCheck(looksLike, "only what looks like a metafile is decoded");
        fuzzCheck(!image->isNull(), "a decoded metafile is a picture");
        fuzzCheck(qint64(image->width()) * image->height() <= maxPixels,
                  "a decoded metafile keeps within the pixel bound");
    }
    return 0;
}
