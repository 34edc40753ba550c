#include "toolkit/loadfont.h"

#include "fonts/familyreply.h"
#include "picture/decoderprocess.h"
#include "toolkit/regularfile.h"

using fonts::FontError;
using picture::DecoderRun;

namespace toolkit {
namespace {

constexpr picture::DecoderReasons<FontError> checkerReasons{FontError::None,
                                                            FontError::CheckerMissing,
                                                            FontError::CheckerCrashed,
                                                            FontError::MalformedReply,
                                                            FontError::TimedOut,
                                                            FontError::OverMemory,
                                                            FontError::SandboxNotApplied,
                                                            fonts::fromCheckerExitCode};

std::optional<FontFile> checkFontFile(const QString &path, FontError &why)
{
    std::optional<QByteArray> data = readRegularFile(path, fonts::maxFontFileBytes, why);
    if (data && data->isEmpty())
        why = FontError::Empty;
    if (why != FontError::None)
        return std::nullopt;
    fonts::FamilyReceiver receiver;
    std::optional<QStringList> families;
    const picture::DecoderReply reply{
        [&receiver](QByteArrayView piece) { return receiver.feed(piece); },
        [&] { return (families = receiver.families()).has_value(); }};
    const DecoderRun run = picture::runDecoder({QStringLiteral("--font")}, *data, reply, lcFonts);
    why = picture::reasonOf(run, checkerReasons);
    if (why != FontError::None)
        return std::nullopt;
    return FontFile{std::move(*data), std::move(*families)};
}

} // namespace

std::optional<FontFile> LoadFontFile(const QString &path, FontError *why)
{
    FontError error = FontError::None;
    std::optional<FontFile> font = checkFontFile(path, error);
    if (why)
        *why = error;
    if (!font)
        qCWarning(lcFonts, "Refused %s as a font file: %s", loggedName(path).constData(),
                  fonts::fontErrorName(error));
    return font;
}

} // namespace toolkit
