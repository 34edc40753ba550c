#include "app/form1.h"

#include "background/clscomdlg.h"
#include "colour/channel_text.h"
#include "fonts/fonts.h"
#include "toolkit/combobox.h"
#include "toolkit/label.h"
#include "toolkit/picturebox.h"
#include "toolkit/scrollbar.h"
#include "toolkit/textbox.h"
#include "toolkit/window.h"

#include <optional>

namespace {

// The colour of three boxes read as plain decimal numbers, or nothing where one cannot be.
std::optional<QColor> decimalColour(const std::array<toolkit::TextBox *, 3> &boxes)
{
    const std::optional<std::int16_t> red = colour::toInteger16(boxes[0]->text());
    const std::optional<std::int16_t> green = colour::toInteger16(boxes[1]->text());
    const std::optional<std::int16_t> blue = colour::toInteger16(boxes[2]->text());
    if (!red || !green || !blue)
        return std::nullopt;
    return colour::colourOf(*red, *green, *blue);
}

} // namespace

void Form1::Form_Load()
{
    toolkit::setEnabled(this, false);
    Dlg = std::make_unique<clsComDlg>();
    Dlg->OwnerhWnd = toolkit::hWnd(this);
    Label8->setCaption(QString::number(HScroll1->value()));
    toolkit::centreOnScreen(this);
    show();
    toolkit::centreOnScreen(this);
    toolkit::setMousePointer(this, toolkit::Hourglass);
    toolkit::processPendingMessages();
    Label1->setFontSize(20);
    Label1->setCaption(QStringLiteral("フォント読み込み中..."));
    DecimalMode = true;
    if (const std::optional<QColor> back = decimalColour(TextC))
        Picture1->setBackColor(*back);
    if (const std::optional<QColor> fore = decimalColour(TextCM))
        Label1->setForeColor(*fore);
    // The waiting caption is drawn before the first name is read: reading it gathers every
    // installed family, which takes longer the more fonts there are.
    toolkit::processPendingMessages();
    if (const std::optional<QString> first = m_fonts.font(0))
        Combo1->addItem(*first);
    const int lastIndex = m_fonts.fontCount() - 1;
    for (int i = 1; i <= lastIndex; ++i) {
        if (const std::optional<QString> name = m_fonts.font(i))
            Combo1->addItem(*name);
        toolkit::processPendingMessages();
        // Closing the window ends the program: the rest of the list is not wanted.
        if (!isVisible())
            break;
    }
    Combo1->setText(QStringLiteral("ＭＳ Ｐゴシック"));
    setWindowTitle(QStringLiteral("Typorama"));
    Label1->setCaption(QStringLiteral("Aaあぁアァ亜宇"));
    Label1->setFontSize(36);
    toolkit::setMousePointer(this, toolkit::Default);
    toolkit::setEnabled(this, true);
}
