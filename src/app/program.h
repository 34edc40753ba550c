#pragma once

namespace fonts {
class ScreenFonts;
}

// Readies the running application as the program's: its style, names, Qt's own texts in
// Japanese and the fonts.
void readyApplication();

// Runs the program over the given font list: the main window is made and started up, then
// events are handled until it is closed. The exit status; 0 also when the window was closed
// while it was still starting up. Needs a QApplication readied by toolkit::initialiseApplication
// and fonts::initialiseFonts.
int runProgram(const fonts::ScreenFonts &fonts);
