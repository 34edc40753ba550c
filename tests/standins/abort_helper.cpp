// Stand-in decoder that crashes as soon as it starts.
#include <cstdlib>

int main()
{
    std::abort();
}
