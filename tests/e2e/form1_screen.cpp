#include "e2e/form1_screen.h"

#include "e2e/xsession.h"

#include <QDir>
#include <QString>
#include <QTest>

namespace {

constexpr int twipsPerPixel = 15;
constexpr int startUpTimeoutMs = 30000;
// Below this line of the canvas the sample text at 36 points leaves the background bare.
constexpr int textBandHeightPx = 72;

} // namespace

QString programPath()
{
    const QString installed = qEnvironmentVariable("TYPORAMA_EXECUTABLE");
    return installed.isEmpty() ? QStringLiteral(TYPORAMA_EXECUTABLE) : installed;
}

QString manyFontsProgramPath()
{
    return QStringLiteral(TYPORAMA_MANY_FONTS_PROGRAM);
}

QString dragSourcePath()
{
    return QStringLiteral(TYPORAMA_DRAG_SOURCE);
}

void keepScreenshot(const QImage &image, const QString &name)
{
    const QString folder = qEnvironmentVariable("TYPORAMA_E2E_SHOTS");
    if (folder.isEmpty() || image.isNull())
        return;
    QDir().mkpath(folder);
    image.save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

void stopAfterTest(XSession &session)
{
    if (QTest::currentTestFailed()) {
        keepScreenshot(session.screenshot(),
                       QStringLiteral("failed-") + QLatin1String(QTest::currentTestFunction()));
    }
    session.stopProgram();
}

std::optional<Form1Screen> Form1Screen::start(XSession &session)
{
    if (!session.startProgram(programPath()))
        return std::nullopt;
    return find(session);
}

std::optional<Form1Screen> Form1Screen::find(XSession &session)
{
    const std::optional<XSession::Window> found =
        session.findWindow(QStringLiteral("^Typorama$"), startUpTimeoutMs);
    if (!found)
        return std::nullopt;
    Form1Screen screen;
    screen.m_windowId = found->id;
    screen.m_window = found->geometry;
    return screen;
}

QRect Form1Screen::client() const
{
    return {m_window.left(), m_window.top() + menuBarHeight(), layout::clientWidthPx,
            layout::clientHeightPx};
}

QRect Form1Screen::rect(Twips place) const
{
    return {client().topLeft() + QPoint(place.left / twipsPerPixel, place.top / twipsPerPixel),
            QSize(place.width / twipsPerPixel, place.height / twipsPerPixel)};
}

QRect Form1Screen::textBand() const
{
    QRect band = canvas();
    band.setHeight(textBandHeightPx);
    return band;
}

QRect Form1Screen::clearBand() const
{
    return canvas().adjusted(0, textBandHeightPx, 0, 0);
}

QRect Form1Screen::canvas() const
{
    const int border = layout::canvasBorderPx;
    return rect(layout::picture1).adjusted(border, border, -border, -border);
}
