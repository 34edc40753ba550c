#include "picture/bytereader.h"

#include <cstring>

namespace picture {

bool ByteReader::has(qint64 offset, qint64 count) const
{
    return offset >= 0 && count >= 0 && offset <= m_data.size() && count <= m_data.size() - offset;
}

quint8 ByteReader::u8(qint64 offset) const
{
    return has(offset, 1) ? static_cast<quint8>(m_data[offset]) : 0;
}

quint16 ByteReader::u16(qint64 offset) const
{
    if (!has(offset, 2))
        return 0;
    return static_cast<quint16>(u8(offset) | (u8(offset + 1) << 8));
}

quint32 ByteReader::u32(qint64 offset) const
{
    if (!has(offset, 4))
        return 0;
    return static_cast<quint32>(u16(offset)) | (static_cast<quint32>(u16(offset + 2)) << 16);
}

float ByteReader::f32(qint64 offset) const
{
    const quint32 bits = u32(offset);
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

quint16 ByteReader::u16be(qint64 offset) const
{
    if (!has(offset, 2))
        return 0;
    return static_cast<quint16>((u8(offset) << 8) | u8(offset + 1));
}

quint32 ByteReader::u32be(qint64 offset) const
{
    if (!has(offset, 4))
        return 0;
    return (static_cast<quint32>(u16be(offset)) << 16) | u16be(offset + 2);
}

bool ByteReader::matches(qint64 offset, QByteArrayView magic) const
{
    return has(offset, magic.size()) && m_data.sliced(offset, magic.size()) == magic;
}

QByteArrayView ByteReader::bytes(qint64 offset, qint64 count) const
{
    if (!has(offset, count))
        return {};
    return m_data.sliced(offset, count);
}

} // namespace picture
