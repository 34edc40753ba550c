#pragma once

#include <algorithm>
#include <array>
#include <string_view>

// The main window's layout, the one place its numbers are written: every control with its
// container, caption or initial text (UTF-8), place in twips within the container, and focus
// order. The window is built from it, and the tests read it to find the controls on the screen.
namespace form1layout {

// A place in twips: left and top within the container, width and height.
struct Twips
{
    int left;
    int top;
    int width;
    int height;
};

struct Control
{
    std::string_view name;
    std::string_view container; // "client" for the client area, else a frame or picture box
    std::string_view caption;
    Twips place;
    int tabIndex;
    bool takesFocus; // labels, frames and the hidden picture holder never take the focus
};

inline constexpr int clientWidth = 6495;
inline constexpr int clientHeight = 4815;

inline constexpr std::array controls = {
    Control{"Frame1", "client", "背景の色", {120, 120, 1335, 1695}, 2, false},
    Control{"Label2", "Frame1", "赤：", {120, 240, 375, 255}, 10, false},
    Control{"Label3", "Frame1", "緑：", {120, 720, 375, 255}, 11, false},
    Control{"Label4", "Frame1", "青：", {120, 1200, 375, 255}, 12, false},
    Control{"TextC(0)", "Frame1", "255", {480, 240, 615, 270}, 4, true},
    Control{"TextC(1)", "Frame1", "255", {480, 720, 615, 270}, 5, true},
    Control{"TextC(2)", "Frame1", "255", {480, 1200, 615, 270}, 6, true},
    Control{"Frame2", "client", "文字の色", {1560, 120, 1335, 1695}, 3, false},
    Control{"Label5", "Frame2", "赤：", {120, 240, 375, 255}, 13, false},
    Control{"Label6", "Frame2", "緑：", {120, 720, 375, 255}, 14, false},
    Control{"Label7", "Frame2", "青：", {120, 1200, 375, 255}, 15, false},
    Control{"TextCM(0)", "Frame2", "0", {480, 240, 615, 270}, 7, true},
    Control{"TextCM(1)", "Frame2", "0", {480, 720, 615, 270}, 8, true},
    Control{"TextCM(2)", "Frame2", "0", {480, 1200, 615, 270}, 9, true},
    Control{"Frame4", "client", "色指定方法", {3000, 120, 3375, 855}, 19, false},
    Control{"Option3", "Frame4", "10進数で指定(0〜255)", {120, 240, 2175, 255}, 20, true},
    Control{"Option4", "Frame4", "16進数で指定(0〜FF)", {120, 480, 2175, 255}, 21, true},
    Control{"Frame3", "client", "フォントネーム", {3000, 1080, 3375, 735}, 16, false},
    Control{"Combo1", "Frame3", "", {120, 240, 2175, 300}, 17, true},
    Control{"Command1", "Frame3", "切り替え", {2400, 240, 855, 375}, 18, true},
    Control{"Frame5", "client", "サイズ、形", {120, 1920, 4575, 975}, 22, false},
    Control{"HScroll1", "Frame5", "", {120, 240, 3495, 255}, 23, true},
    Control{"Label8", "Frame5", "Label8", {3720, 240, 615, 255}, 24, false},
    Control{"Check1", "Frame5", "太字", {240, 600, 855, 255}, 25, true},
    Control{"Check2", "Frame5", "斜体", {1200, 600, 855, 300}, 26, true},
    Control{"Check3", "Frame5", "下線", {2160, 600, 855, 255}, 27, true},
    Control{"Check4", "Frame5", "取り消し線", {3120, 600, 1215, 255}, 28, true},
    Control{"Frame6", "client", "バック画像", {4800, 1920, 1575, 975}, 30, false},
    Control{"Command2", "Frame6", "読込", {120, 240, 1215, 255}, 31, true},
    Control{"Command3", "Frame6", "消去", {120, 600, 1215, 255}, 32, true},
    Control{"Picture1", "client", "", {120, 3000, 6255, 1695}, 0, true},
    Control{"Label1", "Picture1", "Aaあぁアァ亜宇", {240, 120, 4635, 720}, 1, false},
    Control{"Picture2", "client", "", {0, 0, 615, 375}, 29, false},
};

// A control of the layout by name; a name not in the layout does not compile.
consteval const Control &control(std::string_view name)
{
    const auto found = std::find_if(controls.begin(), controls.end(),
                                    [name](const Control &c) { return c.name == name; });
    if (found == controls.end())
        throw "no such control in the main window's layout";
    return *found;
}

// A control's place relative to the client area: its container's place added to its own.
constexpr Twips onClient(const Control &c)
{
    for (const Control &container : controls) {
        if (container.name == c.container) {
            const Twips outer = onClient(container);
            return {outer.left + c.place.left, outer.top + c.place.top, c.place.width,
                    c.place.height};
        }
    }
    return c.place;
}

consteval Twips onClient(std::string_view name)
{
    return onClient(control(name));
}

} // namespace form1layout
