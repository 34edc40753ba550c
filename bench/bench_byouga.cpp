// Times Byouga on the main window's canvas with a 1 × 1 pixel background image, the most calls
// one run can make: (413 + 1) × (109 + 1) tiles. Prints the median and spread over the runs.
//
//   bench_byouga [runs]        (default 50; runs offscreen unless QT_QPA_PLATFORM says else)

#include "app/form1.h"
#include "bench_common.h"
#include "fonts/fonts.h"
#include "preview/tile_plan.h"
#include "toolkit/picture.h"
#include "toolkit/picturebox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

double percentile(const std::vector<double> &sorted, double fraction)
{
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1));
    return sorted.at(index);
}

// Times the runs of Byouga with the given picture in the holder and prints their spread.
void measure(Form1 &form, const char *kind, const QImage &image, int runs)
{
    form.Picture2->setPicture(toolkit::Picture(image));
    const std::size_t calls =
        preview::tileOrder(form.Picture1->scaleWidth(), form.Picture1->scaleHeight(),
                           form.Picture2->scaleWidth(), form.Picture2->scaleHeight())
            .size();
    std::vector<double> times;
    std::vector<double> cpuTimes;
    times.reserve(static_cast<std::size_t>(runs));
    cpuTimes.reserve(static_cast<std::size_t>(runs));
    QElapsedTimer timer;
    for (int run = 0; run < runs; ++run) {
        // Each run starts as after a repaint, with no drawing under way.
        QCoreApplication::processEvents();
        form.Picture1->surfaceImage();
        const double cpuStart = threadCpuMs();
        timer.start();
        form.Byouga();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        cpuTimes.push_back(threadCpuMs() - cpuStart);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    const double median = percentile(times, 0.5);
    std::printf("bench_byouga %s: 1x1 picture, canvas %gx%g twips, %zu PaintPicture calls\n", kind,
                static_cast<double>(form.Picture1->scaleWidth()),
                static_cast<double>(form.Picture1->scaleHeight()), calls);
    std::printf(
        "  wall  runs %d  median %.3f ms  min %.3f ms  p10 %.3f ms  p90 %.3f ms  max %.3f ms  "
        "(one frame, 16 ms: %s)\n",
        runs, median, times.front(), percentile(times, 0.1), percentile(times, 0.9), times.back(),
        median <= 16.0 ? "within" : "exceeded");
    std::printf("  cpu   median %.3f ms  min %.3f ms  p90 %.3f ms  max %.3f ms\n",
                percentile(cpuTimes, 0.5), cpuTimes.front(), percentile(cpuTimes, 0.9),
                cpuTimes.back());
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    fonts::initialiseFonts();
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 50;

    BenchFonts fonts;
    Form1 form(fonts);
    form.Form_Load();

    QImage direct(1, 1, QImage::Format_RGB32);
    direct.fill(Qt::darkCyan);
    measure(form, "rgb", direct, runs);

    // GIF files and 8-bit BMP files load as palette images.
    QImage palette(1, 1, QImage::Format_Indexed8);
    palette.setColorTable({qRgb(0, 128, 128)});
    palette.setPixel(0, 0, 0);
    measure(form, "palette", palette, runs);
    return 0;
}
