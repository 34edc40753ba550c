#include "picture/metafile/textcodec.h"

#include <QStringDecoder>

namespace picture::metafile {
namespace {

const char *codePage(int charset)
{
    switch (charset) {
    case 128:
        return "Shift_JIS";
    case 129:
        return "windows-949";
    case 134:
        return "GBK";
    case 136:
        return "Big5";
    case 161:
        return "windows-1253";
    case 162:
        return "windows-1254";
    case 163:
        return "windows-1258";
    case 177:
        return "windows-1255";
    case 178:
        return "windows-1256";
    case 186:
        return "windows-1257";
    case 204:
        return "windows-1251";
    case 222:
        return "windows-874";
    case 238:
        return "windows-1250";
    default:
        return "windows-1252";
    }
}

} // namespace

DecodedText decodeCharsetText(QByteArrayView bytes, int charset, const QList<double> &byteAdvances)
{
    QStringDecoder decoder(codePage(charset));
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Latin1);
    DecodedText out;
    if (byteAdvances.size() < bytes.size()) {
        out.text = decoder.decode(bytes);
        return out;
    }
    // Byte by byte, so that a double-byte character gets the advances of both its bytes.
    double pending = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        pending += byteAdvances[i];
        const QString part = decoder.decode(bytes.sliced(i, 1));
        for (qsizetype k = 0; k < part.size(); ++k) {
            out.text += part[k];
            out.advances << (k == 0 ? pending : 0);
        }
        if (!part.isEmpty())
            pending = 0;
    }
    return out;
}

} // namespace picture::metafile
