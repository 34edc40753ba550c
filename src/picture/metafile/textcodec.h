#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

namespace picture::metafile {

// Text stored in the code page of a font's character set, with the advance the file gives
// each byte turned into an advance for each UTF-16 unit.
struct DecodedText
{
    QString text;
    QList<double> advances;
};

// Decodes bytes in the code page GDI uses for a LOGFONT character set (SHIFTJIS_CHARSET 128
// is CP932, and so on), Windows-1252 where the set names none. Advances are kept only when
// there is one for every byte.
DecodedText decodeCharsetText(QByteArrayView bytes, int charset, const QList<double> &byteAdvances);

} // namespace picture::metafile
