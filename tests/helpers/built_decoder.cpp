// Compiled into every test executable: pictures are decoded by the decoder process of this
// build, since a test executable has no decoder beside it.
#include "picture/decoderprocess.h"

namespace {

[[maybe_unused]] const bool useBuiltDecoder = [] {
    toolkit::setDecoderPath(QStringLiteral(TYPORAMA_DECODER));
    return true;
}();

} // namespace
