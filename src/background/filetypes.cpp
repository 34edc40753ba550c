#include "background/filetypes.h"

namespace background {
namespace {

// A wildcard pattern that matches the same names in any letter case: each cased letter becomes
// a bracket of its two forms, since the dialog compares names case-sensitively on some systems.
QString caseless(const QString &pattern)
{
    if (pattern == QStringLiteral("*.*"))
        return QStringLiteral("*");
    QString result;
    for (const QChar c : pattern) {
        const QChar lower = c.toLower();
        const QChar upper = c.toUpper();
        if (lower == upper)
            result += c;
        else
            result += QLatin1Char('[') + lower + upper + QLatin1Char(']');
    }
    return result;
}

QStringList patternsOf(const QString &field)
{
    QStringList patterns;
    for (const QString &pattern : field.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        if (!trimmed.isEmpty())
            patterns += caseless(trimmed);
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
        from = match + 1;
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
    return type.description + QStringLiteral(" (") + type.patterns.join(QLatin1Char(' ')) +
           QLatin1Char(')');
}

} // namespace background
