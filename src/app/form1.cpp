#include "app/form1.h"

#include "about/frmabout.h"
#include "background/clscomdlg.h"
#include "toolkit/combobox.h"
#include "toolkit/label.h"
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

using toolkit::setTwipsGeometry;

namespace {

// Gives a control its name from the layout and its place in its container, in twips.
template <typename T>
T *place(T *control, const char *name, double left, double top, double width, double height)
{
    control->setObjectName(QString::fromLatin1(name));
    setTwipsGeometry(control, left, top, width, height);
    return control;
}

toolkit::Label *channelLabel(QWidget *frame, const char *name, const QString &caption, double top)
{
    return place(new toolkit::Label(caption, frame), name, 120, top, 375, 255);
}

toolkit::TextBox *channelBox(QWidget *frame, const char *name, const QString &text, double top)
{
    auto *box = place(new toolkit::TextBox(frame), name, 480, top, 615, 270);
    box->setText(text);
    return box;
}

} // namespace

Form1::Form1(const toolkit::ScreenFonts &fonts, QWidget *parent)
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
    client->setFixedSize(toolkit::toPixels(6495), toolkit::toPixels(4815));
    setCentralWidget(client);
    // A fixed border: the window is exactly the client area and the menu bar.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    mnuAbout = menuBar()->addAction(QStringLiteral("バージョン情報(&A)"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));

    Frame1 =
        place(new QGroupBox(QStringLiteral("背景の色"), client), "Frame1", 120, 120, 1335, 1695);
    Label2 = channelLabel(Frame1, "Label2", QStringLiteral("赤："), 240);
    Label3 = channelLabel(Frame1, "Label3", QStringLiteral("緑："), 720);
    Label4 = channelLabel(Frame1, "Label4", QStringLiteral("青："), 1200);
    TextC[0] = channelBox(Frame1, "TextC(0)", QStringLiteral("255"), 240);
    TextC[1] = channelBox(Frame1, "TextC(1)", QStringLiteral("255"), 720);
    TextC[2] = channelBox(Frame1, "TextC(2)", QStringLiteral("255"), 1200);

    Frame2 =
        place(new QGroupBox(QStringLiteral("文字の色"), client), "Frame2", 1560, 120, 1335, 1695);
    Label5 = channelLabel(Frame2, "Label5", QStringLiteral("赤："), 240);
    Label6 = channelLabel(Frame2, "Label6", QStringLiteral("緑："), 720);
    Label7 = channelLabel(Frame2, "Label7", QStringLiteral("青："), 1200);
    TextCM[0] = channelBox(Frame2, "TextCM(0)", QStringLiteral("0"), 240);
    TextCM[1] = channelBox(Frame2, "TextCM(1)", QStringLiteral("0"), 720);
    TextCM[2] = channelBox(Frame2, "TextCM(2)", QStringLiteral("0"), 1200);

    Frame4 =
        place(new QGroupBox(QStringLiteral("色指定方法"), client), "Frame4", 3000, 120, 3375, 855);
    Option3 = place(new QRadioButton(QStringLiteral("10進数で指定(0〜255)"), Frame4), "Option3",
                    120, 240, 2175, 255);
    Option4 = place(new QRadioButton(QStringLiteral("16進数で指定(0〜FF)"), Frame4), "Option4", 120,
                    480, 2175, 255);
    Option3->setChecked(true);

    Frame3 = place(new QGroupBox(QStringLiteral("フォントネーム"), client), "Frame3", 3000, 1080,
                   3375, 735);
    Combo1 = place(new toolkit::ComboBox(Frame3), "Combo1", 120, 240, 2175, 300);
    Command1 =
        place(new QPushButton(QStringLiteral("切り替え"), Frame3), "Command1", 2400, 240, 855, 375);

    Frame5 =
        place(new QGroupBox(QStringLiteral("サイズ、形"), client), "Frame5", 120, 1920, 4575, 975);
    HScroll1 = place(new toolkit::HScrollBar(Frame5), "HScroll1", 120, 240, 3495, 255);
    HScroll1->setRange(1, 72);
    HScroll1->setSingleStep(1);
    HScroll1->setPageStep(5);
    HScroll1->setValue(36);
    Label8 =
        place(new toolkit::Label(QStringLiteral("Label8"), Frame5), "Label8", 3720, 240, 615, 255);
    Check1 = place(new QCheckBox(QStringLiteral("太字"), Frame5), "Check1", 240, 600, 855, 255);
    Check2 = place(new QCheckBox(QStringLiteral("斜体"), Frame5), "Check2", 1200, 600, 855, 300);
    Check3 = place(new QCheckBox(QStringLiteral("下線"), Frame5), "Check3", 2160, 600, 855, 255);
    Check4 =
        place(new QCheckBox(QStringLiteral("取り消し線"), Frame5), "Check4", 3120, 600, 1215, 255);

    Frame6 =
        place(new QGroupBox(QStringLiteral("バック画像"), client), "Frame6", 4800, 1920, 1575, 975);
    Command2 =
        place(new QPushButton(QStringLiteral("読込"), Frame6), "Command2", 120, 240, 1215, 255);
    Command2->setToolTip(QStringLiteral("画像読込"));
    Command3 =
        place(new QPushButton(QStringLiteral("消去"), Frame6), "Command3", 120, 600, 1215, 255);
    Command3->setToolTip(QStringLiteral("画像消去"));

    Picture1 = place(new toolkit::PictureBox(client), "Picture1", 120, 3000, 6255, 1695);
    Picture1->setFocusPolicy(Qt::StrongFocus);
    Label1 = new toolkit::Label(QStringLiteral("Aaあぁアァ亜宇"), Picture1->surface());
    Label1->setObjectName(QStringLiteral("Label1"));
    toolkit::setTwipsGeometry(Label1, 240, 120, 4635, 720);
    Label1->setFontName(QStringLiteral("ＭＳ Ｐゴシック"));
    Label1->setFontSize(36);
    Label1->setAutoSize(true);

    Picture2 = place(new toolkit::PictureBox(client), "Picture2", 0, 0, 615, 375);
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
    const QList<QWidget *> order = {Picture1,  TextC[0], TextC[1], TextC[2], TextCM[0], TextCM[1],
                                    TextCM[2], Combo1,   Command1, Option3,  Option4,   HScroll1,
                                    Check1,    Check2,   Check3,   Check4,   Command2,  Command3};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
    // As in the classic toolkits, the first control of the order has the focus at first show.
    order.first()->setFocus();
}
