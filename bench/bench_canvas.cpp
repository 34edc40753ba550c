// Times the work on the preview canvas next to the least the same work can cost, alternating
// program and floor runs so that both see the same machine load:
//
//   byouga   Byouga with a 1 x 1 picture in the holder (tens of thousands of PaintPicture calls)
//            floor: one drawTiledPixmap of the same pixel over an image of the canvas's size
//   sweep    one step of the size bar from 1 to 72 and back, with the sample in a Japanese face
//            over a tiled background: the handler and the repaint it causes
//            floor: a repaint of the whole canvas alone
//   digit    one digit typed into the red box of the background colour: key filter, change
//            handler and the repaint of the canvas in its new colour
//            floor: a repaint of the whole canvas alone
//
// Prints one line per run, "<figure> <wall ms> <thread cpu ms>", for bench/run_bench.py to
// summarise; the floor of figure X is named X_floor.
//
//   bench_canvas [rounds]     (default 20; the platform is the one QT_QPA_PLATFORM names)

#include "app/form1.h"
#include "bench_common.h"
#include "fonts/fonts.h"
#include "toolkit/label.h"
#include "toolkit/picture.h"
#include "toolkit/picturebox.h"
#include "toolkit/scrollbar.h"
#include "toolkit/textbox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

void timed(const char *figure, const std::function<void()> &work)
{
    QElapsedTimer timer;
    const double cpuStart = threadCpuMs();
    timer.start();
    work();
    const double wall = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    std::printf("%s %.4f %.4f\n", figure, wall, threadCpuMs() - cpuStart);
}

// Everything the toolkit has queued, repaints included, is done before the next step.
void settle()
{
    QCoreApplication::processEvents();
}

void repaintCanvas(Form1 &form)
{
    form.Picture1->update();
    form.Picture1->surface()->update();
    QCoreApplication::processEvents();
}

QImage checkerTile()
{
    QImage tile(16, 16, QImage::Format_RGB32);
    tile.fill(QColor(230, 230, 250));
    QPainter painter(&tile);
    painter.fillRect(0, 0, 8, 8, QColor(200, 200, 240));
    painter.fillRect(8, 8, 8, 8, QColor(200, 200, 240));
    return tile;
}

// A typed character replaces the whole text, as after the box got the focus.
void selectWhole(toolkit::TextBox *box)
{
    box->setFocus();
    box->selectAll();
}

void typeDigit(toolkit::TextBox *box, int digit)
{
    const auto key = static_cast<Qt::Key>(Qt::Key_0 + digit);
    const QString text = QString::number(digit);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(box, &press);
    QCoreApplication::sendEvent(box, &release);
}

void benchByouga(Form1 &form, int rounds)
{
    QImage pixel(1, 1, QImage::Format_RGB32);
    pixel.fill(Qt::darkCyan);
    form.Picture2->setPicture(toolkit::Picture(pixel));
    const QSize canvas = form.Picture1->surfaceImage().size();
    QImage floorSurface(canvas, QImage::Format_ARGB32_Premultiplied);
    const QPixmap tile = QPixmap::fromImage(pixel);
    for (int round = 0; round < rounds; ++round) {
        settle();
        form.Picture1->surfaceImage(); // no drawing under way, as after a repaint
        timed("byouga", [&] { form.Byouga(); });
        timed("byouga_floor", [&] {
            QPainter painter(&floorSurface);
            painter.drawTiledPixmap(floorSurface.rect(), tile);
        });
    }
    form.Picture2->setPicture(toolkit::Picture());
    form.Picture1->setPicture(toolkit::Picture());
}

void benchSweep(Form1 &form, int rounds)
{
    form.Picture2->setPicture(toolkit::Picture(checkerTile()));
    form.Byouga();
    form.HScroll1->setValue(1);
    settle();
    for (int round = 0; round < rounds; ++round) {
        for (int step = 0; step < 142; ++step) {
            const int value = step < 71 ? 2 + step : 71 - (step - 71);
            timed("sweep", [&] {
                form.HScroll1->setValue(value);
                settle();
            });
            if (step % 8 == 0)
                timed("sweep_floor", [&] { repaintCanvas(form); });
        }
    }
}

void benchDigit(Form1 &form, int rounds)
{
    toolkit::TextBox *red = form.TextC[0];
    for (int round = 0; round < rounds; ++round) {
        for (int digit = 1; digit <= 9; ++digit) {
            selectWhole(red);
            settle();
            timed("digit", [&] {
                typeDigit(red, digit);
                settle();
            });
            timed("digit_floor", [&] { repaintCanvas(form); });
        }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    fonts::initialiseFonts();
    const int rounds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 20;

    BenchFonts fonts;
    Form1 form(fonts);
    form.Form_Load();
    settle();
    std::fprintf(stderr, "bench_canvas: sample face %s, canvas %dx%d pixels\n",
                 qPrintable(form.Label1->drawnFont().family()), form.Picture1->width(),
                 form.Picture1->height());

    benchByouga(form, rounds);
    benchDigit(form, rounds);
    benchSweep(form, std::max(1, rounds / 4));
    return 0;
}
