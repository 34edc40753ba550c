#include "bench_common.h"

#include <ctime>

std::optional<QString> BenchFonts::font(int index) const
{
    if (index == 0)
        return QStringLiteral("DejaVu Sans");
    if (index == 1)
        return QStringLiteral("IPAPGothic");
    return std::nullopt;
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}
