#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>
#include <QStringList>

#include "picture/pictureerror.h"

#include <functional>
#include <optional>

class QLoggingCategory;

namespace picture {

// The decoder executable that pictures are decoded and font files checked in, apart from the
// window's own process: beside the program (a build tree), else in its private folder of the
// installation.
QString decoderPath();

// Uses another decoder executable from now on; an empty path goes back to the one beside the
// program.
void setDecoderPath(const QString &path);

// How a run of the decoder process ended, whatever it was asked to do.
enum class DecoderEnd {
    // It ended normally and sent back a whole, well-formed reply.
    Replied,
    // It ended normally with a status of its own, which tells the reason it refused the bytes.
    Refused,
    Missing,
    Crashed,
    MalformedReply,
    TimedOut,
    OverMemory,
    SandboxNotApplied,
};

struct DecoderRun
{
    DecoderEnd end = DecoderEnd::Replied;
    // The decoder's status, for a refusal.
    int exitCode = 0;
};

// The reasons of a kind of load (pictures, font files) for each way a run can fail.
template <typename Error> struct DecoderReasons
{
    Error none, missing, crashed, malformedReply, timedOut, overMemory, sandboxNotApplied;
    // The reason the decoder's own status tells.
    Error (*fromExitCode)(int);
};

template <typename Error>
Error reasonOf(const DecoderRun &run, const DecoderReasons<Error> &reasons)
{
    switch (run.end) {
    case DecoderEnd::Replied:
        break;
    case DecoderEnd::Refused:
        return reasons.fromExitCode(run.exitCode);
    case DecoderEnd::Missing:
        return reasons.missing;
    case DecoderEnd::Crashed:
        return reasons.crashed;
    case DecoderEnd::MalformedReply:
        return reasons.malformedReply;
    case DecoderEnd::TimedOut:
        return reasons.timedOut;
    case DecoderEnd::OverMemory:
        return reasons.overMemory;
    case DecoderEnd::SandboxNotApplied:
        return reasons.sandboxNotApplied;
    }
    return reasons.none;
}

// What the decoder sends back on its standard output, read as it comes: feed is false as soon
// as what came is no well-formed reply (the decoder is then ended), complete tells whether all
// that came, once the decoder has ended, is a whole reply.
struct DecoderReply
{
    std::function<bool(QByteArrayView)> feed;
    std::function<bool()> complete;
};

// A logging category, as Q_DECLARE_LOGGING_CATEGORY declares one.
using LogCategory = const QLoggingCategory &(*)();

// Runs the decoder executable with these arguments and the input on its standard input, under
// limits on memory, processor time, files and network, and within a time. The decoder's
// messages go to the category, as warnings where the run gives no reply. Returns only once the
// decoder has ended; the window handles no events meanwhile.
DecoderRun runDecoder(const QStringList &arguments, const QByteArray &input,
                      const DecoderReply &reply, LogCategory category);

// The picture in a file's bytes, decoded by the decoder executable under limits on memory,
// processor time, files and network, within maxPixels pixels. Nothing where the decoder
// cannot be started, refuses the bytes, ends abnormally, overruns its limits or its time, or
// sends back anything but one well-formed picture within the bound. Returns only once the
// decoder has ended; the window handles no events meanwhile. Where there is no picture, why
// (if given) receives the reason. The decoder's messages go to the picture logging category.
std::optional<QImage> decodeInHelper(const QByteArray &data, qint64 maxPixels,
                                     PictureError *why = nullptr);

} // namespace picture
