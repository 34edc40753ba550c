#pragma once

#include <QLoggingCategory>
#include <QString>

#include <optional>

class QImage;

namespace picture {

// Why a picture could not be loaded.
enum class PictureError {
    None,
    NotRegularFile,
    Unreadable,
    TooLarge,
    Truncated,
    UnknownFormat,
    // An intact file of a known format, in a variant the decoders do not read.
    Unsupported,
    DecoderMissing,
    DecoderCrashed,
    // What the decoder sent back is no picture the window takes.
    MalformedReply,
    TimedOut,
    OverMemory,
    SandboxNotApplied,
};

// No picture, for a reason the caller learns through why where it asks.
std::optional<QImage> refuse(PictureError *why, PictureError error);

// The reason as the user is told it, one Japanese sentence.
QString pictureErrorText(PictureError error);

// The reason as the log names it.
const char *pictureErrorName(PictureError error);

// The decoder process reports a refusal through its exit status: 0 for a picture sent, these
// for the reasons it can tell; any other status is a decoder gone wrong.
int decoderExitCode(PictureError error);
PictureError fromDecoderExitCode(int code);

} // namespace picture

// Refused pictures, failed sandbox steps and, at debug level only, what the decoder printed.
// Only warnings are on by default, so a normal load prints nothing.
Q_DECLARE_LOGGING_CATEGORY(lcPicture)
