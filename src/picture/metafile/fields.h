#pragma once

#include "picture/bytereader.h"

#include <QColor>

namespace picture::metafile {

// A COLORREF, as both metafile formats store colours: red, green, blue and a byte of flags.
inline QColor colorRef(const ByteReader &r, qint64 at)
{
    return QColor(r.u8(at), r.u8(at + 1), r.u8(at + 2));
}

} // namespace picture::metafile
