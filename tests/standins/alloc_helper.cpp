// Stand-in decoder that takes memory without end, touching every page so that it is really
// used. Huge pages fill the address-space limit with a fraction of the page faults, so it is
// reached well within the decoder's time limit even on a small, busy machine.
#include <sys/mman.h>

#include <cstddef>
#include <cstdlib>

int main()
{
    constexpr std::size_t hugePage = 2 << 20;
    constexpr std::size_t blockBytes = 16 << 20;
    while (true) {
        void *block = std::aligned_alloc(hugePage, blockBytes);
        if (!block)
            std::abort();
        ::madvise(block, blockBytes, MADV_HUGEPAGE);
        for (std::size_t at = 0; at < blockBytes; at += 4096)
            static_cast<volatile char *>(block)[at] = 0x5A;
    }
}
