#include "picture/sniffer.h"

#include "picture/bytereader.h"

namespace picture {
namespace {

constexpr quint32 emfSignature = 0x464D4520; // " EMF"

bool isEmf(const ByteReader &in)
{
    return in.has(0, 44) && in.u32(0) == 1 && in.u32(40) == emfSignature;
}

} // namespace

bool isWmfHeader(const ByteReader &in, qint64 at)
{
    const quint16 type = in.u16(at), words = in.u16(at + 2), version = in.u16(at + 4);
    return in.has(at, wmfHeaderSize) && (type == 1 || type == 2) && words == 9 &&
           (version == 0x0100 || version == 0x0300);
}

PictureFormat pictureFormatOf(QByteArrayView head)
{
    const ByteReader in(head);
    if (in.matches(0, "BM"))
        return PictureFormat::Bmp;
    if (in.matches(0, "GIF87a") || in.matches(0, "GIF89a"))
        return PictureFormat::Gif;
    if (in.matches(0, "\xFF\xD8\xFF"))
        return PictureFormat::Jpeg;
    if (in.matches(0, QByteArrayView("\x00\x00\x01\x00", 4)))
        return PictureFormat::Icon;
    if (isEmf(in))
        return PictureFormat::Emf;
    if ((in.has(0, 4) && in.u32(0) == wmfPlaceableKey) || isWmfHeader(in, 0))
        return PictureFormat::Wmf;
    return PictureFormat::Unknown;
}

} // namespace picture
