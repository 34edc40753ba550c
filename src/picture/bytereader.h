#pragma once

#include <QByteArrayView>

namespace picture {

// Reads from a buffer whose length is checked on every read: a read that would run past the
// end yields 0, so a truncated file can only ever mislead a decoder, never read outside its
// buffer. Callers check lengths where a short record or a short file must be refused.
// Pictures are little-endian throughout, but for the big-endian fields of JPEG and PNG.
class ByteReader
{
public:
    ByteReader() = default;
    explicit ByteReader(QByteArrayView data) : m_data(data) {}

    qsizetype size() const { return m_data.size(); }
    bool has(qint64 offset, qint64 count) const;
    quint8 u8(qint64 offset) const;
    quint16 u16(qint64 offset) const;
    qint16 i16(qint64 offset) const { return static_cast<qint16>(u16(offset)); }
    quint32 u32(qint64 offset) const;
    qint32 i32(qint64 offset) const { return static_cast<qint32>(u32(offset)); }
    float f32(qint64 offset) const;
    quint16 u16be(qint64 offset) const;
    quint32 u32be(qint64 offset) const;
    // Whether the bytes at offset are those of magic.
    bool matches(qint64 offset, QByteArrayView magic) const;
    // The bytes in a range, or an empty view where the range is not inside the buffer.
    QByteArrayView bytes(qint64 offset, qint64 count) const;
    // A reader over a range of this one, empty where the range is not inside it.
    ByteReader sub(qint64 offset, qint64 count) const { return ByteReader(bytes(offset, count)); }

private:
    QByteArrayView m_data;
};

} // namespace picture
