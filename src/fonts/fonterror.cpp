#include "fonts/fonterror.h"

Q_LOGGING_CATEGORY(lcFonts, "typorama.fonts", QtWarningMsg)

namespace fonts {
namespace {

// Apart from the picture decoder's statuses (41 to 52), so that a picture status from a decoder
// run in the wrong mode is never taken for a font's reason, and from those a crashing runtime
// or a sanitizer uses (1, 2, 127, 128 and above).
constexpr int firstExitCode = 70;
constexpr FontError lastError = FontError::UncheckedFace;

} // namespace

QString fontErrorText(FontError error)
{
    switch (error) {
    case FontError::None:
        break;
    case FontError::NotRegularFile:
        return QStringLiteral("通常のファイルではありません。");
    case FontError::Unreadable:
        return QStringLiteral("ファイルを開けませんでした。");
    case FontError::TooLarge:
        return QStringLiteral("ファイルが大きすぎます。");
    case FontError::Empty:
        return QStringLiteral("ファイルが空です。");
    case FontError::NotAFont:
        return QStringLiteral("フォントファイルではありません。");
    case FontError::NoUsableFace:
        return QStringLiteral("途中で切れているか壊れていて、使えるフォントが入っていません。");
    case FontError::UndecodableName:
        return QStringLiteral("ファイル名を読み取れません。");
    case FontError::CheckerMissing:
        return QStringLiteral("フォントを調べるプログラムを起動できませんでした。");
    case FontError::CheckerCrashed:
        return QStringLiteral("フォントを調べる途中で異常が起きました。");
    case FontError::MalformedReply:
        return QStringLiteral("フォントを調べるプログラムから正しい答えが返りませんでした。");
    case FontError::TimedOut:
        return QStringLiteral("フォントを調べるのに時間がかかりすぎました。");
    case FontError::OverMemory:
        return QStringLiteral("フォントを調べるのにメモリが足りませんでした。");
    case FontError::SandboxNotApplied:
        return QStringLiteral("フォントを安全に調べる準備ができませんでした。");
    case FontError::UncheckedFace:
        return QStringLiteral(
            "名前の読めないフォントか多すぎるフォントが入っていて、すべてを調べられません。");
    }
    return QString();
}

const char *fontErrorName(FontError error)
{
    switch (error) {
    case FontError::None:
        return "no error";
    case FontError::NotRegularFile:
        return "not a regular file";
    case FontError::Unreadable:
        return "cannot be opened";
    case FontError::TooLarge:
        return "too large";
    case FontError::Empty:
        return "empty";
    case FontError::NotAFont:
        return "not a font";
    case FontError::NoUsableFace:
        return "no usable face";
    case FontError::UndecodableName:
        return "file name not decodable";
    case FontError::CheckerMissing:
        return "checker cannot be started";
    case FontError::CheckerCrashed:
        return "checker crashed";
    case FontError::MalformedReply:
        return "checker's reply is no well-formed list of families";
    case FontError::TimedOut:
        return "checker timed out";
    case FontError::OverMemory:
        return "checker over its memory limit";
    case FontError::SandboxNotApplied:
        return "checker's confinement not applied";
    case FontError::UncheckedFace:
        return "faces the checker cannot answer for";
    }
    return "";
}

int checkerExitCode(FontError error)
{
    return error == FontError::None ? 0 : firstExitCode + int(error);
}

FontError fromCheckerExitCode(int code)
{
    if (code == 0)
        return FontError::None;
    const int value = code - firstExitCode;
    if (value <= int(FontError::None) || value > int(lastError))
        return FontError::CheckerCrashed;
    return static_cast<FontError>(value);
}

} // namespace fonts
