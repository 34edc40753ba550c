// Every decoder the picture loader reaches from a file's bytes: BMP, GIF, JPEG and icons
// through Qt's readers behind the loader's own completeness checks, and the metafile decoder,
// which parses WMF and EMF records itself. Qt's decoders are not instrumented, so coverage
// guides the fuzzer through the loader's checks and the metafile records while the sanitizers
// still catch what a decoder does wrong with the memory it is given.
#include "fuzz_check.h"
#include "offscreen_gui.h"

#include "picture/metafile/metafile.h"
#include "picture/pictureloader.h"

#include <QByteArray>

#include <cstdint>

namespace {

// Small enough to keep each run fast, large enough for the seeds' 240 x 192 metafiles.
constexpr qint64 maxPixels = 512 * 512;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    startOffscreenGui();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // A copy the decoders may keep a reference to, as they would to a file's bytes.
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (!picture::looksLikeMetafile(bytes))
        fuzzCheck(!picture::decodeMetafile(bytes, maxPixels),
                  "only what looks like a metafile is decoded as one");
    const std::optional<QImage> image = picture::decodePicture(bytes, maxPixels);
    if (image) {
        fuzzCheck(!image->isNull(), "a decoded file is a picture");
        fuzzCheck(qint64(image->width()) * image->height() <= maxPixels,
                  "a decoded file keeps within the pixel bound");
    }
    return 0;
}
