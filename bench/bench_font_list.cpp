// Times the first opening of the font box's list with every installed family in it, as the user
// opens it after start-up: from the call that opens the list to the end of the list's first
// paint. Prints "open_list <wall ms> <thread cpu ms> <names>", for bench/run_bench.py.
//
//   bench_font_list     (FONTCONFIG_FILE names the set of fonts; the platform is QT_QPA_PLATFORM's)

#include "app/form1.h"
#include "bench_common.h"
#include "fonts/fonts.h"
#include "toolkit/application.h"
#include "toolkit/combobox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>

#include <cstdio>

namespace {

// Notes the first paint of the widget it watches.
class PaintWatch : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    toolkit::initialiseApplication();
    fonts::initialiseFonts();
    const fonts::SystemFonts fonts;
    Form1 form(fonts);
    form.Form_Load();
    QCoreApplication::processEvents();

    PaintWatch watch;
    form.Combo1->view()->viewport()->installEventFilter(&watch);
    QElapsedTimer timer;
    const double cpuStart = threadCpuMs();
    timer.start();
    form.Combo1->showPopup();
    // The paint and the flush to the screen happen within the pass that delivers the paint.
    while (!watch.painted && timer.elapsed() < 60000)
        QCoreApplication::processEvents();
    const double wall = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    if (!watch.painted) {
        std::fputs("bench_font_list: the list was never painted\n", stderr);
        return 1;
    }
    std::printf("open_list %.4f %.4f %d\n", wall, threadCpuMs() - cpuStart, form.Combo1->count());
    return 0;
}
