// typorama-decode: decodes one picture for the window, in a process of its own, so that a
// decoder that crashes, hangs or runs out of memory ends only this process. The file's bytes
// come on standard input, the picture goes to standard output (picture/picturewire.h); the
// exit status is 0 only when a picture was written, and else tells why where it can
// (picture/pictureerror.h). Its messages go to standard error, which the window reads. The window
// sets the limits this process runs under before it starts.
//
// typorama-decode --font: checks a font file the same way before the window opens it
// (fontcheck.h).
#include "fontcheck.h"
#include "fonts/fonterror.h"
#include "fonts/fonts.h"
#include "picture/metafile/metafile.h"
#include "picture/pictureerror.h"
#include "picture/pictureloader.h"
#include "picture/picturewire.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>

#include <cerrno>
#include <optional>

#include <unistd.h>

namespace {

// All of standard input, or nothing where it is longer than maxBytes.
std::optional<QByteArray> readInput(qint64 maxBytes)
{
    QByteArray data;
    char chunk[64 * 1024];
    while (true) {
        const ssize_t length = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (length == 0)
            return data;
        if (length < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (data.size() + length > maxBytes)
            return std::nullopt;
        data.append(chunk, length);
    }
}

bool writeAll(const char *bytes, qint64 length)
{
    while (length > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, bytes, size_t(length));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        length -= written;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    const bool font = argc == 2 && qstrcmp(argv[1], "--font") == 0;
    const std::optional<QByteArray> data =
        readInput(font ? fonts::maxFontFileBytes : picture::maxPictureFileBytes);
    if (!data && font)
        return fonts::checkerExitCode(fonts::FontError::TooLarge);
    if (!data)
        return picture::decoderExitCode(picture::PictureError::TooLarge);
    // Fonts are checked with the font engine the window uses, offscreen. Metafiles draw text in the
    // fonts the window would use, which are set up on an application object of the same kind; no
    // window is ever shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (font)
        return checkFont(*data);
    if (picture::looksLikeMetafile(*data))
        fonts::initialiseFonts();
    picture::PictureError why = picture::PictureError::None;
    const std::optional<QImage> image =
        picture::decodePicture(*data, picture::maxPicturePixels, &why);
    if (!image)
        return picture::decoderExitCode(
            why == picture::PictureError::None ? picture::PictureError::Truncated : why);
    const QByteArray header = picture::pictureHeader(*image);
    const bool sent =
        writeAll(header.constData(), header.size()) &&
        writeAll(reinterpret_cast<const char *>(image->constBits()), image->sizeInBytes());
    return sent ? 0 : 1;
}
