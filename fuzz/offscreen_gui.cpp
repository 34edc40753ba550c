#include "offscreen_gui.h"

#include <QGuiApplication>

#include <cstdlib>

namespace {

void dropMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

} // namespace

// Qt 6.4's fontconfig font engine drops the fontconfig pattern it matched for a fallback font
// (QFontEngineMultiFontConfig::getMatchPatternForFallback) when the engine leaves the font
// cache; the frames inside fontconfig are all the leak checker sees without slow unwinding.
// The program's own fontconfig calls free what they take.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

void startOffscreenGui()
{
    // Qt keeps a reference to the argument count and may take its own options out of the
    // list, so it gets a list of its own rather than libFuzzer's.
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication application(argc, argv);
    // Every damaged picture makes a decoder warn; the warnings would only slow the runs down.
    qInstallMessageHandler(dropMessage);
}
