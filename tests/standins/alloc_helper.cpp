// Stand-in decoder that takes memory without end, touching every page so that it is really
// used.
#include <cstring>
#include <vector>

int main()
{
    std::vector<char *> blocks;
    while (true) {
        constexpr std::size_t blockBytes = 16 << 20;
        char *block = new char[blockBytes];
        std::memset(block, 0x5A, blockBytes);
        blocks.push_back(block);
    }
}
