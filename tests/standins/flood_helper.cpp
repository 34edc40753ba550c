// Stand-in decoder that answers with a well-formed picture header of 100 x 100 pixels and then
// far more bytes than the picture holds, without end.
#include <cstdint>
#include <cstring>

#include <unistd.h>

int main()
{
    // Mark, width, height, QImage::Format_RGB32, bytes per line, no colour table.
    const std::uint32_t header[] = {0x31585054, 100, 100, 4, 400, 0};
    if (::write(STDOUT_FILENO, header, sizeof header) != ssize_t(sizeof header))
        return 1;
    static char junk[1 << 16];
    std::memset(junk, 0x7F, sizeof junk);
    while (::write(STDOUT_FILENO, junk, sizeof junk) > 0) {
    }
    return 0;
}
