#include "fuzz_check.h"

#include <cstdio>
#include <cstdlib>

void fuzzCheck(bool holds, const char *property)
{
    if (holds)
        return;
    std::fprintf(stderr, "property failed: %s\n", property);
    std::abort();
}
