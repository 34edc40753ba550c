#include "background/filetypes.h"

#include <algorithm>

namespace background {
namespace {

// "*.*" means every name on Windows, dotted or not; Qt would want a dot.
QString qtPattern(const QString &pattern)
{
    return pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern;
}

QStringList patternsOf(const QString &field)
{
    QStringList patterns;
    for (const QString &pattern : field.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        if (!trimmed.isEmpty())
            patterns += qtPattern(trimmed);
    }
    return patterns;
}

} // namespace

QString replaceText(const QString &source, const QString &search, const QString &replacement)
{
    if (search.isEmpty())
        return source;
    QString text = source;
    qsizetype from = 0;
    for (;;) {
        const qsizetype match = text.indexOf(search, from, Qt::CaseSensitive);
        if (match < 0)
            break;
        text = text.left(match) + replacement + text.mid(match + search.size());
        // Searching on one character after the match would find the search text again inside
        // a longer replacement that holds it, and replace forever; resume after such a one.
        from = match + std::max<qsizetype>(1, replacement.size());
    }
    return text;
}

QList<FileType> fileTypesOf(const QString &nulSeparated)
{
    const QStringList fields = nulSeparated.split(QChar(0));
    QList<FileType> types;
    for (qsizetype i = 0; i < fields.size(); i += 2) {
        // An empty description is the double NUL that ends the list.
        if (fields[i].isEmpty())
            break;
        const QString patterns = i + 1 < fields.size() ? fields[i + 1] : QString();
        types += FileType{fields[i], patternsOf(patterns)};
    }
    return types;
}

QString nameFilterOf(const FileType &type)
{
    return type.description + QStringLiteral(" (*)");
}

} // namespace background
