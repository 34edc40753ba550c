#pragma once

#include <QLoggingCategory>
#include <QString>

namespace fonts {

// The largest font file opened: Japanese collections reach some 120 MB.
inline constexpr qint64 maxFontFileBytes = qint64(256) * 1024 * 1024;

// Why a font file could not be opened.
enum class FontError {
    None,
    NotRegularFile,
    Unreadable,
    TooLarge,
    Empty,
    // Neither Qt nor FreeType takes the bytes as a font, and they do not begin as one does.
    NotAFont,
    // The bytes begin as a font or a collection of fonts does, but not one face in them opens
    // or is named: a font file cut short or damaged, or a collection whose faces are garbage.
    NoUsableFace,
    // A file name that is no text in the system's encoding, which cannot be opened by it.
    UndecodableName,
    CheckerMissing,
    CheckerCrashed,
    // What the checker sent back is no list of family names the window takes.
    MalformedReply,
    TimedOut,
    OverMemory,
    SandboxNotApplied,
    // Faces the checker could not draw in, since there are more than it answers for or a name it
    // cannot send: the window would offer faces no one has opened apart from it.
    UncheckedFace,
};

// The reason as the user is told it, one Japanese sentence.
QString fontErrorText(FontError error);

// The reason as the log names it.
const char *fontErrorName(FontError error);

// The checker reports a refusal through its exit status: 0 for a list of families sent, these
// for the reasons it can tell; any other status is a checker gone wrong.
int checkerExitCode(FontError error);
FontError fromCheckerExitCode(int code);

} // namespace fonts

// Refused font files and what the checker printed along with a refusal. Only warnings are on
// by default, so a normal load prints nothing.
Q_DECLARE_LOGGING_CATEGORY(lcFonts)
