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
const QColor red(255, 0, 0);

QByteArray emf();
QByteArray placeableWmf();
// Without the placeable header; its viewport extent gives the size in pixels.
QByteArray plainWmf();

} // namespace fixtures
