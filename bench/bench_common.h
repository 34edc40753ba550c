#pragma once

#include "fonts/fonts.h"

// Two names are enough: the canvas benchmarks are about the canvas, not the font list.
class BenchFonts : public fonts::ScreenFonts
{
public:
    int fontCount() const override { return 2; }
    std::optional<QString> font(int index) const override;
};

// Time this thread has run, which a machine busy with other work does not inflate.
double threadCpuMs();
