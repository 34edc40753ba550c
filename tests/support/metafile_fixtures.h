#pragma once

#include <QByteArray>
#include <QColor>
#include <QRect>

// The committed metafiles of tests/data, each drawing the same picture of 240 x 192 pixels at
// 96 dpi: a red rectangle and a blue ellipse without outlines, a 2 x 2 two-colour bitmap
// stretched over a square, the Japanese text "亜宇" in black, and nothing anywhere else.
namespace fixtures {

constexpr int pictureWidth = 240;
constexpr int pictureHeight = 192;

const QRect redRectangle(20, 20, 80, 60);
const QRect blueEllipse(130, 20, 90, 60);
// The bitmap's top-left and bottom-right quarters are green, the other two yellow.
const QRect bitmapArea(20, 100, 80, 80);
// Where the two characters are drawn, 48 pixels high from their top-left corner.
const QRect textArea(120, 110, 96, 48);
// Places that nothing paints.
const QPoint blankPoints[] = {{5, 5}, {234, 186}, {110, 90}, {115, 185}, {230, 100}};

const QColor red(255, 0, 0);
const QColor blue(0, 0, 255);
const QColor green(0, 255, 0);
const QColor yellow(255, 255, 0);

QByteArray emf();
QByteArray placeableWmf();
// Without the placeable header; its viewport extent gives the size in pixels.
QByteArray plainWmf();

} // namespace fixtures
