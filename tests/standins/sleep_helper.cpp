// Stand-in decoder that never ends and never answers, without using the processor.
#include <unistd.h>

int main()
{
    while (true)
        ::pause();
}
