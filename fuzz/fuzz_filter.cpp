// The dialog's filter text: the bar-separated description and pattern fields become the file
// types the dialog offers. The text is the program's own, but the conversion must hold for
// any text: it ends, and every description and pattern is one whole field or part of one.
#include "fuzz_check.h"

#include "background/filetypes.h"

#include <QString>

#include <algorithm>
#include <cstdint>

namespace {

// The filter text as the file dialog wrapper converts it.
void checkFilter(const QString &filter)
{
    const QString nulSeparated =
        background::replaceText(filter, QStringLiteral("|"), QString(QChar(0)));
    fuzzCheck(nulSeparated == QString(filter).replace(u'|', QChar(0)), "every bar becomes a NUL");

    const QList<background::FileType> types = background::fileTypesOf(nulSeparated);
    // Both a bar and a NUL already in the text end a field.
    const qsizetype fields = filter.count(u'|') + filter.count(QChar(0)) + 1;
    fuzzCheck(types.size() <= (fields + 1) / 2, "at most one type per two fields");
    for (const background::FileType &type : types) {
        fuzzCheck(!type.description.isEmpty() && !type.description.contains(QChar(0)),
                  "a description is one whole field");
        for (const QString &pattern : type.patterns)
            fuzzCheck(!pattern.isEmpty() && !pattern.contains(u';') &&
                          !pattern.contains(QChar(0)) && pattern.trimmed() == pattern,
                      "a pattern is one trimmed, non-empty part of its field");
        const QString nameFilter = background::nameFilterOf(type);
        fuzzCheck(nameFilter.startsWith(type.description) && nameFilter.endsWith(u')'),
                  "a name filter is its description with the patterns in brackets");
    }
}

// The same replacement written out on the original text: each match is removed or replaced,
// and an empty replacement lets the scan skip the character that follows the match.
QString replacedOnOriginal(const QString &source, const QString &search, const QString &replacement)
{
    if (search.isEmpty())
        return source;
    if (!replacement.isEmpty())
        return QString(source).replace(search, replacement, Qt::CaseSensitive);
    QString result;
    qsizetype from = 0;
    for (;;) {
        const qsizetype match = source.indexOf(search, from, Qt::CaseSensitive);
        if (match < 0)
            break;
        result += QStringView(source).mid(from, match - from);
        from = std::min(source.size(), match + search.size() + 1);
        result += QStringView(source).mid(match + search.size(), from - match - search.size());
    }
    return result + source.mid(from);
}

// Any source, search and replacement, taken apart at the first two bytes 1 of the input.
void checkReplace(const QString &text)
{
    const QStringList parts = text.split(QChar(1));
    if (parts.size() < 3)
        return;
    const QString &source = parts[0];
    const QString &search = parts[1];
    const QString replacement = parts.mid(2).join(QChar(1));
    fuzzCheck(background::replaceText(source, search, replacement) ==
                  replacedOnOriginal(source, search, replacement),
              "the replacement scans on as described");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = QString::fromUtf8(bytes);
    checkFilter(text);
    checkReplace(text);
    return 0;
}
