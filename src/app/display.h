#pragma once

// Whether a display server answers where the environment points Qt: the Wayland compositor of
// WAYLAND_DISPLAY or the X server of DISPLAY, as the platforms Qt is asked for allow (its
// -platform argument, else QT_QPA_PLATFORM, either a name or a list tried in turn; either server
// when neither is given; no check for platforms that need no display server, such as
// offscreen). Qt itself aborts when no platform can start; the program asks first, to say so in
// its own words.
bool canReachDisplay(int argc, char *argv[]);
