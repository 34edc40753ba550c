#include "picture/decoderprocess.h"

#include "picture/pictureerror.h"
#include "picture/picturewire.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define TYPORAMA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TYPORAMA_ADDRESS_SANITIZER 1
#endif
#endif

#ifndef TYPORAMA_DECODER_INSTALL_DIR
#define TYPORAMA_DECODER_INSTALL_DIR "../libexec/typorama"
#endif

namespace picture {
namespace {

const QString decoderName = QStringLiteral("typorama-decode");

// A decoder that has not finished by then is stuck; an ordinary picture takes milliseconds, and
// checking a large collection of Japanese fonts well under a second.
constexpr qint64 timeoutMs = 5000;
constexpr rlim_t cpuSeconds = 4;
// Room for the largest picture allowed, the file's bytes and the decoders' own buffers, and for
// the largest font file, the font engine's copy of its tables and the glyphs drawn from it.
constexpr qint64 memoryBytes = qint64(1) << 30;
// How often the window looks at the decoder's output, its memory and the clock.
constexpr int sliceMs = 20;
// What is kept of the decoder's messages; the rest is read and dropped.
constexpr qsizetype messageBytes = 16 * 1024;
// How the decoder's process tells the window, on its standard error, that a step of its
// confinement failed, or that it runs without a network namespace of its own.
constexpr char sandboxMark[] = "sandbox step failed: ";
constexpr char fallbackMark[] = "sandbox fallback: ";
// How the decoder's process ends when its confinement could not be set up, before the decoder
// itself runs; the decoder never ends so of its own.
const int sandboxExitCode = decoderExitCode(PictureError::SandboxNotApplied);

QString &chosenPath()
{
    static QString path;
    return path;
}

// Between fork and exec only system calls are safe: a failed step is told on standard error,
// which the window reads, as a fixed line.
void report(const char *step, const char *mark = sandboxMark)
{
    const auto put = [](const char *text) {
        [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text, std::strlen(text));
    };
    put(mark);
    put(step);
    put("\n");
}

bool limit(int resource, rlim_t value, const char *step)
{
    const rlimit bound{value, value};
    if (::setrlimit(resource, &bound) == 0)
        return true;
    report(step);
    return false;
}

// Runs in the decoder's process between fork and exec, so it makes system calls only. The
// decoder needs no files beyond the libraries and font configuration it starts with: its input
// comes on stdin, its reply goes to stdout and its messages to stderr, all three pipes to the
// window. Address-sanitized builds reserve terabytes of address space for their shadow memory, so
// there the window's watch of the decoder's resident memory is the only memory bound. A
// decoder whose limits cannot be set is not run.
void limitDecoder()
{
    bool confined = true;
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0) {
        report("prctl(PR_SET_PDEATHSIG)");
        confined = false;
    }
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
        report("prctl(PR_SET_NO_NEW_PRIVS)");
        confined = false;
    }
    const rlimit cpu{cpuSeconds, cpuSeconds + 1};
    if (::setrlimit(RLIMIT_CPU, &cpu) != 0) {
        report("setrlimit(RLIMIT_CPU)");
        confined = false;
    }
    confined &= limit(RLIMIT_FSIZE, 0, "setrlimit(RLIMIT_FSIZE)");
    confined &= limit(RLIMIT_CORE, 0, "setrlimit(RLIMIT_CORE)");
    confined &= limit(RLIMIT_NOFILE, 64, "setrlimit(RLIMIT_NOFILE)");
#ifndef TYPORAMA_ADDRESS_SANITIZER
    confined &= limit(RLIMIT_AS, rlim_t(memoryBytes), "setrlimit(RLIMIT_AS)");
#endif
    if (!confined)
        ::_exit(sandboxExitCode);
    // An empty network namespace of its own, where the system allows one to an unprivileged
    // process through a user namespace; elsewhere (containers, restricted namespaces) the
    // decoder simply makes no connections, which is no failure.
    if (::unshare(CLONE_NEWNET) != 0 && ::unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0)
        report("unshare(CLONE_NEWNET) refused, running without a network namespace", fallbackMark);
}

// The decoder's messages, kept up to a bound.
class Messages
{
public:
    // Control characters, which a hostile file could have the decoder echo to a terminal,
    // are shown as '?'.
    void take(const QByteArray &text)
    {
        QByteArray kept = text.first(std::min(text.size(), messageBytes - m_text.size()));
        std::replace_if(
            kept.begin(), kept.end(),
            [](char c) { return (quint8(c) < 0x20 && c != '\n') || quint8(c) == 0x7F; }, '?');
        m_text.append(kept);
    }
    // Failed confinement steps are warnings whatever the outcome; the fallback from a network
    // namespace is the system's and the same for every load, so it is told once a run, at
    // debug level. The rest is shown with a refusal, and otherwise only when the category's
    // debug messages are asked for.
    void log(LogCategory category, bool refused) const
    {
        static std::atomic<bool> fallbackTold = false;
        for (const QByteArray &line : m_text.split('\n')) {
            if (line.startsWith(sandboxMark)) {
                qCWarning(category, "Decoder %s", line.constData());
            } else if (line.startsWith(fallbackMark)) {
                if (!fallbackTold.exchange(true))
                    qCDebug(category, "Decoder %s", line.constData());
            } else if (!line.isEmpty() && refused) {
                qCWarning(category, "Decoder: %s", line.constData());
            } else if (!line.isEmpty()) {
                qCDebug(category, "Decoder: %s", line.constData());
            }
        }
    }

private:
    QByteArray m_text;
};

// The address space and resident memory of a running process, or zeros where they cannot
// be read.
struct Memory
{
    qint64 mapped = 0;
    qint64 resident = 0;
};

Memory memoryOf(qint64 pid)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%lld/statm", static_cast<long long>(pid));
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    char text[128] = {};
    const ssize_t length = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    long long size = 0;
    long long resident = 0;
    if (length <= 0 || std::sscanf(text, "%lld %lld", &size, &resident) != 2)
        return {};
    const qint64 page = ::sysconf(_SC_PAGESIZE);
    return {size * page, resident * page};
}

void stop(QProcess &decoder)
{
    decoder.kill();
    decoder.waitForFinished(1000);
}

// Waits for the decoder in short slices without an event loop: no other handler can run and
// no input reaches the window until the decoder has ended or been ended, as when the picture
// was decoded in the window's own thread. The price is that the window is not repainted
// meanwhile: some 20 ms for an ordinary picture, at most the timeout for a stuck decoder.
// Letting paint events through would take an event loop, and with it timers, window close
// and every other posted event.
DecoderRun waitForDecoder(QProcess &decoder, const QByteArray &input, const DecoderReply &reply,
                          Messages &messages)
{
    QElapsedTimer clock;
    clock.start();
    decoder.start(QIODevice::ReadWrite);
    if (!decoder.waitForStarted(int(timeoutMs)))
        return {DecoderEnd::Missing};
    decoder.write(input);
    decoder.closeWriteChannel();

    // A decoder that ends abnormally close to its address-space limit has run out of memory.
    qint64 mapped = 0;
    while (decoder.state() != QProcess::NotRunning) {
        const qint64 left = timeoutMs - clock.elapsed();
        const Memory memory = memoryOf(decoder.processId());
        mapped = std::max(mapped, memory.mapped);
        if (left <= 0 || memory.resident > memoryBytes) {
            stop(decoder);
            return {left <= 0 ? DecoderEnd::TimedOut : DecoderEnd::OverMemory};
        }
        // Waiting for output also feeds the decoder its input; it returns after each piece of
        // output, at most a pipe's worth, so no more than that is ever held unread.
        const int slice = int(std::min<qint64>(left, sliceMs));
        if (!decoder.waitForReadyRead(slice))
            decoder.waitForFinished(slice);
        messages.take(decoder.readAllStandardError());
        if (!reply.feed(decoder.readAllStandardOutput())) {
            stop(decoder);
            return {DecoderEnd::MalformedReply};
        }
    }
    messages.take(decoder.readAllStandardError());
    if (!reply.feed(decoder.readAllStandardOutput()))
        return {DecoderEnd::MalformedReply};
    if (decoder.exitStatus() != QProcess::NormalExit) {
        // The processor-time limit ends the process with SIGXCPU, the memory limit mostly
        // with an abort from a failed allocation.
        if (decoder.exitCode() == SIGXCPU)
            return {DecoderEnd::TimedOut};
        return {mapped > memoryBytes / 4 * 3 ? DecoderEnd::OverMemory : DecoderEnd::Crashed};
    }
    if (decoder.exitCode() == sandboxExitCode)
        return {DecoderEnd::SandboxNotApplied};
    if (decoder.exitCode() != 0)
        return {DecoderEnd::Refused, decoder.exitCode()};
    if (!reply.complete())
        return {DecoderEnd::MalformedReply};
    return {DecoderEnd::Replied};
}

constexpr DecoderReasons<PictureError> pictureReasons{PictureError::None,
                                                      PictureError::DecoderMissing,
                                                      PictureError::DecoderCrashed,
                                                      PictureError::MalformedReply,
                                                      PictureError::TimedOut,
                                                      PictureError::OverMemory,
                                                      PictureError::SandboxNotApplied,
                                                      fromDecoderExitCode};

} // namespace

QString decoderPath()
{
    if (!chosenPath().isEmpty())
        return chosenPath();
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString beside = programDir.filePath(decoderName);
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QDir::cleanPath(
        programDir.filePath(QStringLiteral(TYPORAMA_DECODER_INSTALL_DIR "/") + decoderName));
}

void setDecoderPath(const QString &path)
{
    chosenPath() = path;
}

DecoderRun runDecoder(const QStringList &arguments, const QByteArray &input,
                      const DecoderReply &reply, LogCategory category)
{
    QProcess decoder;
    decoder.setProgram(decoderPath());
    decoder.setArguments(arguments);
    // The decoder's messages come back to the window, never to the window's own standard
    // error: that may be a regular file, which the decoder may not write to.
    decoder.setProcessChannelMode(QProcess::SeparateChannels);
    decoder.setChildProcessModifier(limitDecoder);
    Messages messages;
    const DecoderRun run = waitForDecoder(decoder, input, reply, messages);
    messages.log(category, run.end != DecoderEnd::Replied);
    return run;
}

std::optional<QImage> decodeInHelper(const QByteArray &data, qint64 maxPixels, PictureError *why)
{
    PictureReceiver receiver(maxPixels);
    std::optional<QImage> image;
    const DecoderReply reply{[&receiver](QByteArrayView piece) { return receiver.feed(piece); },
                             [&] { return (image = receiver.picture()).has_value(); }};
    const DecoderRun run = runDecoder({}, data, reply, lcPicture);
    if (why)
        *why = reasonOf(run, pictureReasons);
    return run.end == DecoderEnd::Replied ? image : std::nullopt;
}

} // namespace picture
