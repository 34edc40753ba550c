#pragma once

#include "app/form1_layout.h"

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
// A window in the screen's top left corner, 100 pixels square, that drags the files named on
// its command line when a button is pressed on it.
QString dragSourcePath();

// Keeps a screenshot under the folder named by TYPORAMA_E2E_SHOTS, when it is set, for a person
// to look at.
void keepScreenshot(const QImage &image, const QString &name);

// Ends the program after a test function; a failed one leaves its last screen behind, kept as
// keepScreenshot does.
void stopAfterTest(XSession &session);

using Twips = form1layout::Twips;

// The main window's controls relative to its client area, from the window's own layout.
namespace layout {

using form1layout::onClient;

inline constexpr Twips frame1 = onClient("Frame1");
inline constexpr Twips frame2 = onClient("Frame2");
inline constexpr Twips frame3 = onClient("Frame3");
inline constexpr Twips frame4 = onClient("Frame4");
inline constexpr Twips frame5 = onClient("Frame5");
inline constexpr Twips frame6 = onClient("Frame6");

inline constexpr Twips textC(int index)
{
    constexpr Twips boxes[] = {onClient("TextC(0)"), onClient("TextC(1)"), onClient("TextC(2)")};
    return boxes[index];
}
inline constexpr Twips textCM(int index)
{
    constexpr Twips boxes[] = {onClient("TextCM(0)"), onClient("TextCM(1)"), onClient("TextCM(2)")};
    return boxes[index];
}
inline constexpr Twips option3 = onClient("Option3");
inline constexpr Twips option4 = onClient("Option4");
inline constexpr Twips combo1 = onClient("Combo1");
inline constexpr Twips command1 = onClient("Command1");
inline constexpr Twips hScroll1 = onClient("HScroll1");
inline constexpr Twips label8 = onClient("Label8");
inline constexpr Twips check1 = onClient("Check1");
inline constexpr Twips command2 = onClient("Command2");
inline constexpr Twips command3 = onClient("Command3");
inline constexpr Twips picture1 = onClient("Picture1");
inline constexpr Twips label1 = onClient("Label1");

inline constexpr int clientWidthPx = form1layout::clientWidth / 15;
inline constexpr int clientHeightPx = form1layout::clientHeight / 15;
// The canvas's sunken border.
inline constexpr int canvasBorderPx = 2;

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
