#pragma once

#include <QByteArrayView>

namespace picture {

class ByteReader;

// The formats a picture file may hold, told apart by content alone, never by the file's name.
enum class PictureFormat { Bmp, Gif, Jpeg, Icon, Wmf, Emf, Unknown };

// The format of the file whose first bytes are head. A WMF is recognised by its placeable
// header, or by a plain header of a known version (1.0 or 3.0); an EMF by its header record
// with the " EMF" signature.
PictureFormat pictureFormatOf(QByteArrayView head);

// Whether a WMF's own header, of the version and size every writer uses, starts at offset at:
// at the start of a plain file, after the placeable header of a placeable one.
bool isWmfHeader(const ByteReader &in, qint64 at);

// The key that opens a placeable WMF, and the size of its placeable header.
inline constexpr quint32 wmfPlaceableKey = 0x9AC6CDD7;
inline constexpr qint64 wmfPlaceableSize = 22;
// The size of a WMF's own header.
inline constexpr qint64 wmfHeaderSize = 18;

} // namespace picture
