#pragma once

namespace fonts {
class ScreenFonts;
}

// Runs the program over the given font list: the main window is made and started up, then
// events are handled until it is closed. The exit status; 0 also when the window was closed
// while it was still starting up. Needs a QApplication readied by toolkit::initialiseApplication
// and fonts::initialiseFonts.
int runProgram(const fonts::ScreenFonts &fonts);
