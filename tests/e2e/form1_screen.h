#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

class XSession;

// The program under test: the one named by the environment variable TYPORAMA_EXECUTABLE (an
// installed copy, say), else the one built beside the tests.
QString programPath();
// The program built over the installed fonts and 20,000 made-up families, for a start-up that
// lasts long enough to be watched.
QString manyFontsProgramPath();

// Keeps a screenshot under the folder named by TYPORAMA_E2E_SHOTS, when it is set, for a person
// to look at.
void keepScreenshot(const QImage &image, const QString &name);

// Ends the program after a test function; a failed one leaves its last screen behind, kept as
// keepScreenshot does.
void stopAfterTest(XSession &session);

// A control's place in twips, relative to the main window's client area (frames' offsets
// already added).
struct Twips
{
    int left;
    int top;
    int width;
    int height;
};

// The main window's controls, from its layout: a child's position is its frame's plus its own.
namespace layout {

constexpr Twips within(Twips frame, Twips child)
{
    return {frame.left + child.left, frame.top + child.top, child.width, child.height};
}

constexpr Twips frame1{120, 120, 1335, 1695};
constexpr Twips frame2{1560, 120, 1335, 1695};
constexpr Twips frame3{3000, 1080, 3375, 735};
constexpr Twips frame4{3000, 120, 3375, 855};
constexpr Twips frame5{120, 1920, 4575, 975};
constexpr Twips frame6{4800, 1920, 1575, 975};

constexpr Twips textC(int index)
{
    return within(frame1, {480, 240 + 480 * index, 615, 270});
}
constexpr Twips textCM(int index)
{
    return within(frame2, {480, 240 + 480 * index, 615, 270});
}
constexpr Twips option3 = within(frame4, {120, 240, 2175, 255});
constexpr Twips option4 = within(frame4, {120, 480, 2175, 255});
constexpr Twips combo1 = within(frame3, {120, 240, 2175, 300});
constexpr Twips command1 = within(frame3, {2400, 240, 855, 375});
constexpr Twips hScroll1 = within(frame5, {120, 240, 3495, 255});
constexpr Twips label8 = within(frame5, {3720, 240, 615, 255});
constexpr Twips check1 = within(frame5, {240, 600, 855, 255});
constexpr Twips command2 = within(frame6, {120, 240, 1215, 255});
constexpr Twips command3 = within(frame6, {120, 600, 1215, 255});
constexpr Twips picture1{120, 3000, 6255, 1695};
constexpr Twips label1 = within(picture1, {240, 120, 4635, 720});

constexpr int clientWidthPx = 433;
constexpr int clientHeightPx = 321;
// The canvas's sunken border.
constexpr int canvasBorderPx = 2;

} // namespace layout

// The main window as it lies on the screen: where its client area starts, below the menu bar,
// and so where each control of the layout is.
class Form1Screen
{
public:
    // Starts the program on the session and waits for its window; errorString() of the
    // session says what went wrong otherwise.
    static std::optional<Form1Screen> start(XSession &session);
    // Waits for the window titled "Typorama", which start-up names it once it is ready.
    static std::optional<Form1Screen> find(XSession &session);

    QString windowId() const { return m_windowId; }
    // The whole window without its frame: menu bar and client area.
    QRect window() const { return m_window; }
    int menuBarHeight() const { return m_window.height() - layout::clientHeightPx; }
    QRect client() const;

    // A control's rectangle on the screen.
    QRect rect(Twips place) const;
    QPoint centre(Twips place) const { return rect(place).center(); }
    // The canvas's inner area, where the tiles start and the background colour shows.
    QRect canvas() const;
    // The canvas split where the sample text at its start-up size ends: the upper band holds
    // the text, the lower band only the background.
    QRect textBand() const;
    QRect clearBand() const;

private:
    QString m_windowId;
    QRect m_window;
};
