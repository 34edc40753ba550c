#include "app/form1.h"
#include "app/form1_layout.h"

#include "about/frmabout.h"
#include "background/clscomdlg.h"
#include "toolkit/combobox.h"
#include "toolkit/label.h"
#include "toolkit/ownframe.h"
#include "toolkit/picturebox.h"
#include "toolkit/scrollbar.h"
#include "toolkit/textbox.h"
#include "toolkit/twips.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QIcon>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <vector>

namespace {

using form1layout::control;

QString caption(const form1layout::Control &c)
{
    return QString::fromUtf8(c.caption.data(), qsizetype(c.caption.size()));
}

// Gives a control its name from the layout and its place in its container, in twips.
template <typename T> T *place(T *control, const form1layout::Control &c)
{
    control->setObjectName(QString::fromLatin1(c.name.data(), qsizetype(c.name.size())));
    toolkit::setTwipsGeometry(control, c.place.left, c.place.top, c.place.width, c.place.height);
    return control;
}

QGroupBox *frame(QWidget *client, const form1layout::Control &c)
{
    return place(new QGroupBox(caption(c), client), c);
}

toolkit::Label *label(QWidget *container, const form1layout::Control &c)
{
    return place(new toolkit::Label(caption(c), container), c);
}

toolkit::TextBox *textBox(QWidget *frame, const form1layout::Control &c)
{
    auto *box = place(new toolkit::TextBox(frame), c);
    box->setText(caption(c));
    return box;
}

template <typename Button> Button *button(QWidget *frame, const form1layout::Control &c)
{
    return place(new Button(caption(c), frame), c);
}

} // namespace

Form1::Form1(const fonts::ScreenFonts &fonts, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      m_fonts(fonts)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("フォント読み込み中...しばらくお待ちください"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icon32.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/icon16.png"), QSize(16, 16));
    setWindowIcon(icon);
    toolkit::useOwnFrame(this);
    createControls();
    setAccessibleNames();
    setTabOrder();
    wireEvents();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(toolkit::toPixels(form1layout::clientWidth),
                         toolkit::toPixels(form1layout::clientHeight));
    setCentralWidget(client);
    // A fixed border: the window is exactly the client area and the menu bar (and a title bar
    // of its own, where it draws one: there it is the least size, see toolkit::fixWindowSize).
    layout()->setSizeConstraint(toolkit::drawsOwnFrame() ? QLayout::SetMinimumSize
                                                         : QLayout::SetFixedSize);

    mnuAbout = menuBar()->addAction(QStringLiteral("バージョン情報(&A)"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));

    Frame1 = frame(client, control("Frame1"));
    Label2 = label(Frame1, control("Label2"));
    Label3 = label(Frame1, control("Label3"));
    Label4 = label(Frame1, control("Label4"));
    TextC[0] = textBox(Frame1, control("TextC(0)"));
    TextC[1] = textBox(Frame1, control("TextC(1)"));
    TextC[2] = textBox(Frame1, control("TextC(2)"));

    Frame2 = frame(client, control("Frame2"));
    Label5 = label(Frame2, control("Label5"));
    Label6 = label(Frame2, control("Label6"));
    Label7 = label(Frame2, control("Label7"));
    TextCM[0] = textBox(Frame2, control("TextCM(0)"));
    TextCM[1] = textBox(Frame2, control("TextCM(1)"));
    TextCM[2] = textBox(Frame2, control("TextCM(2)"));

    Frame4 = frame(client, control("Frame4"));
    Option3 = button<QRadioButton>(Frame4, control("Option3"));
    Option4 = button<QRadioButton>(Frame4, control("Option4"));
    Option3->setChecked(true);

    Frame3 = frame(client, control("Frame3"));
    Combo1 = place(new toolkit::ComboBox(Frame3), control("Combo1"));
    Command1 = button<QPushButton>(Frame3, control("Command1"));

    Frame5 = frame(client, control("Frame5"));
    HScroll1 = place(new toolkit::HScrollBar(Frame5), control("HScroll1"));
    HScroll1->setRange(1, 72);
    HScroll1->setSingleStep(1);
    HScroll1->setPageStep(5);
    HScroll1->setValue(36);
    Label8 = label(Frame5, control("Label8"));
    Check1 = button<QCheckBox>(Frame5, control("Check1"));
    Check2 = button<QCheckBox>(Frame5, control("Check2"));
    Check3 = button<QCheckBox>(Frame5, control("Check3"));
    Check4 = button<QCheckBox>(Frame5, control("Check4"));

    Frame6 = frame(client, control("Frame6"));
    Command2 = button<QPushButton>(Frame6, control("Command2"));
    Command2->setToolTip(QStringLiteral("画像読込"));
    Command3 = button<QPushButton>(Frame6, control("Command3"));
    Command3->setToolTip(QStringLiteral("画像消去"));

    Picture1 = place(new toolkit::PictureBox(client), control("Picture1"));
    Picture1->setFocusPolicy(Qt::StrongFocus);
    Label1 = label(Picture1->surface(), control("Label1"));
    Label1->setFontName(QStringLiteral("ＭＳ Ｐゴシック"));
    Label1->setFontSize(36);
    Label1->setAutoSize(true);

    Picture2 = place(new toolkit::PictureBox(client), control("Picture2"));
    Picture2->setAutoSize(true);
    Picture2->setVisible(false);
}

// Names for assistive technology where a control has no caption of its own: a colour box is
// named by its frame and channel, as a sighted user reads it.
void Form1::setAccessibleNames()
{
    const QString channels[] = {QStringLiteral("赤"), QStringLiteral("緑"), QStringLiteral("青")};
    for (int i = 0; i < 3; ++i) {
        TextC[i]->setAccessibleName(Frame1->title() + QLatin1Char(' ') + channels[i]);
        TextCM[i]->setAccessibleName(Frame2->title() + QLatin1Char(' ') + channels[i]);
    }
    Combo1->setAccessibleName(Frame3->title());
    Combo1->lineEdit()->setAccessibleName(Frame3->title());
    HScroll1->setAccessibleName(QStringLiteral("文字サイズ"));
    Picture1->setAccessibleName(QStringLiteral("プレビュー"));
}

// The focus order of the layout; labels, frames and the hidden holder take no focus.
void Form1::setTabOrder()
{
    std::vector<const form1layout::Control *> order;
    for (const form1layout::Control &c : form1layout::controls)
        if (c.takesFocus)
            order.push_back(&c);
    std::sort(order.begin(), order.end(),
              [](const auto *a, const auto *b) { return a->tabIndex < b->tabIndex; });
    const auto widget = [this](const form1layout::Control *c) {
        return findChild<QWidget *>(QString::fromLatin1(c->name.data(), qsizetype(c->name.size())));
    };
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(widget(order[i - 1]), widget(order[i]));
    // As in the classic toolkits, the first control of the order has the focus at first show.
    widget(order.front())->setFocus();
}
