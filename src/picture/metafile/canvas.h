#pragma once

#include "picture/metafile/gdistate.h"

#include <QList>
#include <QPainter>
#include <QPolygonF>
#include <QRectF>

#include <set>
#include <vector>

namespace toolkit::metafile {

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
    void deleteObject(quint32 slot);

    void saveDc();
    void restoreDc(int which);

    void intersectClip(const QRectF &rect);
    // A region in device units combined with the clip as RGN_AND (1) to RGN_COPY (5) say;
    // copying no region clips nothing.
    void selectClipRegion(const std::optional<QPainterPath> &deviceRegion, int mode);
    void excludeClip(const QRectF &rect);

    void beginPath();
    void endPath() { m_inPath = false; }
    void abortPath();
    void closeFigure();
    void fillPath(bool fill, bool stroke);
    void clipToPath();

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
    void setPixel(const QPointF &point, const QColor &colour);
    void patBlt(const QRectF &rect, quint32 rop);
    void drawBitmap(const QRectF &dest, const Dib &dib, const QRectF &source, quint32 rop);
    void textOut(const TextRun &run);

    enum ArcKind { ArcOnly, Chord, Pie };

private:
    QTransform logicalToImage() const;
    double imageScale() const;
    QPen currentPen() const;
    QBrush currentBrush() const;
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
    QPainterPath m_path;
};

} // namespace toolkit::metafile
