#pragma once

#include "picture/metafile/gdistate.h"

#include <QList>
#include <QPainter>
#include <QPolygonF>
#include <QRectF>
#include <QRegion>

#include <functional>
#include <set>
#include <vector>

namespace picture::metafile {

struct Dib;

// A run of text to draw at a reference point, with the advance of each UTF-16 unit where
// the file gives them (in logical units).
struct TextRun
{
    QPointF reference;
    QString text;
    QList<double> advances;
    quint32 options = 0;
    std::optional<QRectF> rect;
};

// A device context that plays GDI drawing calls onto a picture: the state of both metafile
// formats (objects, mapping, colours, clipping, paths) and the drawing itself, in logical
// coordinates. The players translate records into these calls.
class Canvas
{
public:
    // Picture pixels per millimetre of the reference device the metric mapping modes use.
    Canvas(QImage &image, double devicePixelsPerMm);

    DcState &state() { return m_state; }
    // From the metafile's device units to picture pixels.
    void setDeviceToImage(const QTransform &transform) { m_deviceToImage = transform; }

    // The object table. Slot numbers past the bound are refused.
    bool storeObject(quint32 slot, GdiObject object);
    std::optional<quint32> storeInFreeSlot(GdiObject object);
    void selectObject(quint32 slot);
    void selectStockObject(quint32 stock);
    void selectPalette(quint32 slot);
    // The colours DIB_PAL_COLORS bitmaps index: the selected palette or the default one.
    QList<QRgb> logicalPalette() const;
    void deleteObject(quint32 slot);

    void saveDc();
    void restoreDc(int which);

    void intersectClip(const QRectF &rect);
    // A region in device units combined with the clip as a gdi::RegionMode says;
    // copying no region clips nothing.
    void selectClipRegion(const std::optional<QPainterPath> &deviceRegion, int mode);
    void excludeClip(const QRectF &rect);
    // Moves the clip by an offset in logical units.
    void offsetClip(const QPointF &offset);

    void beginPath();
    void endPath() { m_inPath = false; }
    void abortPath();
    void closeFigure();
    void fillPath(bool fill, bool stroke);
    // The path combined with the clip as a gdi::RegionMode says.
    void clipToPath(int mode);

    void rectangle(const QRectF &rect);
    void roundRect(const QRectF &rect, const QSizeF &corner);
    void ellipse(const QRectF &rect);
    void arc(const QRectF &box, const QPointF &start, const QPointF &end, int kind);
    void polygon(const QPolygonF &points);
    void polyPolygon(const QList<QPolygonF> &polygons);
    void polyline(const QPolygonF &points);
    void polylineTo(const QPolygonF &points);
    void polyBezier(const QPolygonF &points, bool fromCurrent);
    void moveTo(const QPointF &point);
    void lineTo(const QPointF &point);
    void arcTo(const QRectF &box, const QPointF &start, const QPointF &end);
    void setPixel(const QPointF &point, const QColor &colour);
    void patBlt(const QRectF &rect, quint32 rop);
    // The source rectangle counts its rows from the bottom of a bottom-up bitmap where
    // rowsFromBottom says so (StretchDIBits, SetDIBitsToDevice), else from the top.
    void drawBitmap(const QRectF &dest, const Dib &dib, const QRectF &source, quint32 rop,
                    bool rowsFromBottom);
    // A band of a bitmap's scan lines from firstScan, unstretched: the part of the source
    // rectangle (rows counted as drawBitmap's with rowsFromBottom) the band covers, where
    // the whole source rectangle would lie with its top left at destTopLeft.
    void drawScanLines(const QPointF &destTopLeft, const Dib &band, const QRectF &source,
                       qint64 firstScan);
    // A bitmap with its own alpha, or one whole opacity, laid over what is there.
    void blendBitmap(const QRectF &dest, const Dib &dib, const QRectF &source, double opacity);
    // A bitmap but for its pixels of one colour.
    void transparentBitmap(const QRectF &dest, const Dib &dib, const QRectF &source,
                           QRgb transparent);
    // A bitmap unstretched, combined with the page by the foreground operation of a
    // quaternary one (its third byte) where a monochrome mask is set and by the background
    // one (its fourth byte) where it is not; without a mask, by the foreground one.
    void maskedBitmap(const QRectF &dest, const Dib &dib, const QPointF &sourceAt, const Dib *mask,
                      const QPointF &maskAt, quint32 rop4);
    // A bitmap laid on the parallelogram of three corners (top left, top right, bottom left),
    // where a monochrome mask, if any, is set.
    void parallelogramBitmap(const QPolygonF &corners, const Dib &dib, const QRectF &source,
                             const Dib *mask, const QPointF &maskAt);
    void textOut(const TextRun &run);
    // Regions in logical units; without a brush slot, with the current brush.
    void fillRegion(const QRegion &region, std::optional<quint32> brushSlot);
    void frameRegion(const QRegion &region, quint32 brushSlot, const QSize &stroke);
    void invertRegion(const QRegion &region);
    // The region an object slot holds, if it holds one.
    std::optional<QRegion> regionAt(quint32 slot) const;
    // A region in logical units as the whole clip.
    void clipToRegion(const QRegion &region);
    // Shading between colours given at the corners of a rectangle or of a triangle.
    void gradientRect(const QRectF &rect, const QColor &from, const QColor &to, bool vertical);
    void gradientTriangle(const QPolygonF &corners, const QColor colours[3]);

    enum ArcKind { ArcOnly, Chord, Pie };

private:
    QTransform logicalToImage() const;
    // An area in picture pixels combined with the clip as a gdi::RegionMode says.
    void combineClip(const QPainterPath &area, int mode);
    double imageScale() const;
    QPen currentPen() const;
    // The current brush for a painter with a transform; patterns stay in device pixels.
    QBrush currentBrush(const QTransform &painterTransform = {}) const;
    QBrush brushOf(const LogBrush &brush, const QTransform &painterTransform) const;
    QBrush tiledBrush(const QImage &tile, const QTransform &painterTransform) const;
    // A brush for a painter on the page or on a layer of combine(): patterns lie in the page's
    // pixels either way.
    QBrush brushFor(const LogBrush &brush, const QPainter &painter) const;
    QPainterPath arcPath(const QRectF &box, const QPointF &start, const QPointF &end,
                         int kind) const;
    // Combines what paint() draws, in picture pixels, with the picture by a ternary raster
    // operation, the way GDI does on a white page.
    void combine(const std::function<void(QPainter &)> &paint, const QRectF &imageArea,
                 quint32 rop);
    // combine() with the canvas's painter put aside meanwhile.
    void combineOnPage(const std::function<void(QPainter &)> &paint, const QRectF &imageArea,
                       quint32 rop);
    // Draws with the current binary raster operation: straight onto the page for a plain copy,
    // else through combine(). The painter comes without a transform, in picture pixels;
    // imageArea bounds what draw may paint.
    void mix(const std::function<void(QPainter &)> &draw, const QRectF &imageArea);
    void strokeAndFill(QPainter &painter, const QPainterPath &path, const QPen &pen,
                       bool fill) const;
    // Where a path's stroke may reach beyond the path's bounds.
    QRectF strokeBounds(const QRectF &imageBounds, const QPen &pen) const;
    void prepare(bool withTransform);
    void drawShape(const QPainterPath &logicalPath, bool fill);
    void addToPath(const QPainterPath &logicalPath);
    QFont currentFont(double pixelSize) const;

    QImage &m_image;
    QPainter m_painter;
    double m_devicePixelsPerMm;
    QTransform m_deviceToImage;
    DcState m_state;
    std::vector<DcState> m_saved;
    std::vector<std::optional<GdiObject>> m_objects;
    std::set<quint32> m_freeSlots;
    bool m_inPath = false;
    // Pixels that gradient triangles may still shade, so that a hostile file cannot make
    // the work unbounded.
    qint64 m_shadingBudget = qint64(1) << 26;
    // Likewise the pixels that raster operations may combine with the page.
    qint64 m_mixingBudget = qint64(1) << 27;
    // The page pixel at the top left of the layer combine() paints, while it paints one.
    QPoint m_layerOrigin;
    QPainterPath m_path;
};

} // namespace picture::metafile
