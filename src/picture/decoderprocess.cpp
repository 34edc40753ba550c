#include "picture/decoderprocess.h"

#include "picture/picturewire.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cstdio>

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

namespace toolkit {
namespace {

const QString decoderName = QStringLiteral("typorama-decode");

// A decoder that has not finished by then is stuck; an ordinary picture takes milliseconds.
constexpr qint64 timeoutMs = 5000;
constexpr rlim_t cpuSeconds = 4;
// Room for the largest picture allowed, the file's bytes and the decoders' own buffers.
constexpr qint64 memoryBytes = qint64(1) << 30;
// How often the window looks at the decoder's output, its memory and the clock.
constexpr int sliceMs = 20;

QString &chosenPath()
{
    static QString path;
    return path;
}

void limit(int resource, rlim_t value)
{
    const rlimit bound{value, value};
    ::setrlimit(resource, &bound);
}

// Runs in the decoder's process between fork and exec, so it makes system calls only. The
// decoder needs no files beyond the libraries it starts with: its input comes on stdin and
// its picture goes to stdout. Address-sanitized builds reserve terabytes of address space for
// their shadow memory, so there the window's watch of the decoder's resident memory is the
// only memory bound.
void limitDecoder()
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
    const rlimit cpu{cpuSeconds, cpuSeconds + 1};
    ::setrlimit(RLIMIT_CPU, &cpu);
    limit(RLIMIT_FSIZE, 0);
    limit(RLIMIT_CORE, 0);
    limit(RLIMIT_NOFILE, 64);
#ifndef TYPORAMA_ADDRESS_SANITIZER
    limit(RLIMIT_AS, rlim_t(memoryBytes));
#endif
    // An empty network namespace of its own, where the system allows one to an unprivileged
    // process through a user namespace; elsewhere the decoder simply makes no connections.
    if (::unshare(CLONE_NEWNET) != 0)
        ::unshare(CLONE_NEWUSER | CLONE_NEWNET);
}

// The resident memory of a running process, or 0 where it cannot be read.
qint64 residentBytes(qint64 pid)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%lld/statm", static_cast<long long>(pid));
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[128] = {};
    const ssize_t length = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    long long size = 0;
    long long resident = 0;
    if (length <= 0 || std::sscanf(text, "%lld %lld", &size, &resident) != 2)
        return 0;
    return resident * ::sysconf(_SC_PAGESIZE);
}

void stop(QProcess &decoder)
{
    decoder.kill();
    decoder.waitForFinished(1000);
}

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

// Waits for the decoder in short slices without an event loop: no other handler can run and
// no input reaches the window until the decoder has ended or been ended, as when the picture
// was decoded in the window's own thread. The price is that the window is not repainted
// meanwhile: some 20 ms for an ordinary picture, at most the timeout for a stuck decoder.
// Letting paint events through would take an event loop, and with it timers, window close
// and every other posted event.
std::optional<QImage> decodeInHelper(const QByteArray &data, qint64 maxPixels)
{
    QProcess decoder;
    decoder.setProgram(decoderPath());
    // Decoders' warnings and sanitizer reports go where the window's own would.
    decoder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    decoder.setChildProcessModifier(limitDecoder);
    QElapsedTimer clock;
    clock.start();
    decoder.start(QIODevice::ReadWrite);
    if (!decoder.waitForStarted(int(timeoutMs)))
        return std::nullopt;
    decoder.write(data);
    decoder.closeWriteChannel();

    PictureReceiver receiver(maxPixels);
    while (decoder.state() != QProcess::NotRunning) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0 || residentBytes(decoder.processId()) > memoryBytes) {
            stop(decoder);
            return std::nullopt;
        }
        // Waiting for output also feeds the decoder its input; it returns after each piece of
        // output, at most a pipe's worth, so no more than that is ever held unread.
        const int slice = int(std::min<qint64>(left, sliceMs));
        if (!decoder.waitForReadyRead(slice))
            decoder.waitForFinished(slice);
        if (!receiver.feed(decoder.readAllStandardOutput())) {
            stop(decoder);
            return std::nullopt;
        }
    }
    if (!receiver.feed(decoder.readAllStandardOutput()))
        return std::nullopt;
    if (decoder.exitStatus() != QProcess::NormalExit || decoder.exitCode() != 0)
        return std::nullopt;
    return receiver.picture();
}

} // namespace toolkit
