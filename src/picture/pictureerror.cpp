#include "picture/pictureerror.h"

#include <QImage>

Q_LOGGING_CATEGORY(lcPicture, "typorama.picture", QtWarningMsg)

namespace picture {

std::optional<QImage> refuse(PictureError *why, PictureError error)
{
    if (why)
        *why = error;
    return std::nullopt;
}

namespace {

// Far from the statuses a crashing runtime or a sanitizer uses (1, 2, 127, 128 and above).
constexpr int firstExitCode = 40;
constexpr PictureError lastError = PictureError::SandboxNotApplied;

} // namespace

QString pictureErrorText(PictureError error)
{
    switch (error) {
    case PictureError::None:
        break;
    case PictureError::NotRegularFile:
        return QStringLiteral("通常のファイルではありません。");
    case PictureError::Unreadable:
        return QStringLiteral("ファイルを開けませんでした。");
    case PictureError::TooLarge:
        return QStringLiteral("画像が大きすぎます。");
    case PictureError::Truncated:
        return QStringLiteral("ファイルが途中で切れているか、壊れています。");
    case PictureError::UnknownFormat:
        return QStringLiteral("対応していない形式のファイルです。");
    case PictureError::Unsupported:
        return QStringLiteral("この種類の画像には対応していません。");
    case PictureError::DecoderMissing:
        return QStringLiteral("画像を読むプログラムを起動できませんでした。");
    case PictureError::DecoderCrashed:
        return QStringLiteral("画像を読む途中で異常が起きました。");
    case PictureError::MalformedReply:
        return QStringLiteral("画像を読むプログラムから正しい画像が返りませんでした。");
    case PictureError::TimedOut:
        return QStringLiteral("画像を読むのに時間がかかりすぎました。");
    case PictureError::OverMemory:
        return QStringLiteral("画像を読むのにメモリが足りませんでした。");
    case PictureError::SandboxNotApplied:
        return QStringLiteral("画像を安全に読む準備ができませんでした。");
    }
    return QString();
}

const char *pictureErrorName(PictureError error)
{
    switch (error) {
    case PictureError::None:
        return "no error";
    case PictureError::NotRegularFile:
        return "not a regular file";
    case PictureError::Unreadable:
        return "cannot be opened";
    case PictureError::TooLarge:
        return "too large";
    case PictureError::Truncated:
        return "cut short or damaged";
    case PictureError::UnknownFormat:
        return "unknown format";
    case PictureError::Unsupported:
        return "kind of picture not supported";
    case PictureError::DecoderMissing:
        return "decoder cannot be started";
    case PictureError::DecoderCrashed:
        return "decoder crashed";
    case PictureError::MalformedReply:
        return "decoder's reply is no well-formed picture";
    case PictureError::TimedOut:
        return "decoder timed out";
    case PictureError::OverMemory:
        return "decoder over its memory limit";
    case PictureError::SandboxNotApplied:
        return "decoder's confinement not applied";
    }
    return "";
}

int decoderExitCode(PictureError error)
{
    return error == PictureError::None ? 0 : firstExitCode + int(error);
}

PictureError fromDecoderExitCode(int code)
{
    if (code == 0)
        return PictureError::None;
    const int value = code - firstExitCode;
    if (value <= int(PictureError::None) || value > int(lastError))
        return PictureError::DecoderCrashed;
    return static_cast<PictureError>(value);
}

} // namespace picture
