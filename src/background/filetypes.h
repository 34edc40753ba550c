#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace background {

// One entry of a dialog's file-type list: the text shown for it and the name patterns of the
// files it shows, in the form Qt's file dialog matches them.
struct FileType
{
    QString description;
    QStringList patterns;

    bool operator==(const FileType &) const = default;
};

// Every occurrence of search in source replaced by replacement, scanning on in the already
// changed text one character after the start of each match, or after the replacement where
// that is longer. An empty search text changes nothing.
QString replaceText(const QString &source, const QString &search, const QString &replacement);

// The file types of a list of description and pattern fields, each field ended by a NUL as the
// system dialogs take them (the list's last NUL may be missing). Patterns within a field are
// separated by semicolons; "*.*" matches every name, dotted or not, as it does on Windows. A
// description without a pattern field gets no patterns.
QList<FileType> fileTypesOf(const QString &nulSeparated);

// The name filter that shows a type's description alone under HideNameFilterDetails. Its
// bracket holds the catch-all pattern: the dialog matches the type's own patterns itself.
QString nameFilterOf(const FileType &type);

} // namespace background
