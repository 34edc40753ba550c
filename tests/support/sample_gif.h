#pragma once

#include <QByteArray>

// A whole GIF, which Qt cannot write: eight by six pixels, red and blue in the top half's left
// and right, green and white below.
QByteArray sampleGif();
