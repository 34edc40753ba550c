#pragma once

#include "fonts/fonterror.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace toolkit {

// A font file that the checker has opened: its bytes and the families Qt names in them.
struct FontFile
{
    QByteArray data;
    QStringList families;
};

// The faces of a font file, checked in the sandboxed decoder process before the window parses it.
// The bytes are those the checker was given, for the window to register in its own font
// database without reading the file again; the families are those Qt registered them under
// there, after drawing text in each. Nothing where the file is no regular file (a folder, a
// device, a pipe are never read), is empty or larger than fonts::maxFontFileBytes, is no font
// or holds no face that opens, or where the checker fails; why (if given) receives the reason.
std::optional<FontFile> LoadFontFile(const QString &path, fonts::FontError *why = nullptr);

} // namespace toolkit
