#include "about/frmabout.h"

#include "toolkit/label.h"
#include "toolkit/ownframe.h"
#include "toolkit/textbox.h"
#include "toolkit/twips.h"
#include "toolkit/window.h"

#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

using toolkit::setTwipsGeometry;
using toolkit::twipsHeight;
using toolkit::twipsLeft;
using toolkit::twipsTop;
using toolkit::twipsWidth;

namespace {

const QString copyrightLine = QStringLiteral("© 2026 The Typorama developers");
const QString homePage = QStringLiteral("https://typorama.example.org/");
const QString eMail = QStringLiteral("typorama@example.org");

constexpr double designWidth = 5100;
constexpr double designHeight = 2820;
constexpr int iconSize = 32;

toolkit::Label *designLabel(QWidget *window, const char *name, Qt::Alignment alignment)
{
    auto *label = new toolkit::Label(QString(), window);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(alignment);
    label->setAutoSize(true);
    return label;
}

toolkit::TextBox *addressBox(QWidget *window, const char *name)
{
    auto *box = new toolkit::TextBox(window);
    box->setObjectName(QString::fromLatin1(name));
    box->setReadOnly(true);
    return box;
}

} // namespace

frmAbout::frmAbout(const QWidget *mainWindow)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowModality(Qt::ApplicationModal);
    setSizeGripEnabled(false);
    toolkit::useOwnFrame(this);
    createControls();
    setTabOrder();
    wireEvents();
    restoreDesign();
}

void frmAbout::createControls()
{
    Label1 = designLabel(this, "Label1", Qt::AlignHCenter | Qt::AlignTop);
    Label1->setFontName(QStringLiteral("ＭＳ Ｐゴシック"));
    Label1->setFontSize(32.25);
    Label2 = designLabel(this, "Label2", Qt::AlignRight | Qt::AlignTop);
    Label2->setFontName(QStringLiteral("ＭＳ Ｐゴシック"));
    Label2->setFontSize(11.25);
    Label3 = designLabel(this, "Label3", Qt::AlignHCenter | Qt::AlignTop);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setScaledContents(false);

    Text1 = addressBox(this, "Text1");
    Text2 = addressBox(this, "Text2");

    // OK is neither the default nor the cancel button: Enter presses it only while it has the
    // focus, and Esc does nothing (keyPressEvent).
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
}

// The labels take no focus, so the button comes first and the address boxes follow it.
void frmAbout::setTabOrder()
{
    QWidget::setTabOrder(Command1, Text1);
    QWidget::setTabOrder(Text1, Text2);
}

void frmAbout::wireEvents()
{
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);
}

// What a fresh load starts from: the window and its controls as designed, empty.
void frmAbout::restoreDesign()
{
    toolkit::fixWindowSize(this,
                           QSize(toolkit::toPixels(designWidth), toolkit::toPixels(designHeight))
                               .grownBy(contentsMargins()));
    Label1->setCaption(QString());
    Label2->setCaption(QString());
    Label3->setCaption(QString());
    toolkit::setTwipsTop(Label1, 120);
    Image1->clear();
    setTwipsGeometry(Image1, 240, 720, 480, 480);
    Text1->setText(QString());
    Text2->setText(QString());
    setTwipsGeometry(Text1, 1080, twipsTop(Text1), 3015, 270);
    setTwipsGeometry(Text2, 1080, twipsTop(Text2), 3015, 270);
    setTwipsGeometry(Command1, 1920, twipsTop(Command1), 1215, 495);
    Command1->setFocus();
}

void frmAbout::showModal()
{
    restoreDesign();
    Form_Load();
    toolkit::centreOnScreen(this, m_mainWindow);
    exec();
}

void frmAbout::Form_Load()
{
    Label1->setCaption(QStringLiteral("Typorama"));
    Label2->setCaption(QStringLiteral("Version 1.1"));
    Label3->setCaption(copyrightLine);
    Text1->setText(homePage);
    Text2->setText(eMail);
    if (m_mainWindow) {
        Image1->setPixmap(m_mainWindow->windowIcon().pixmap(QSize(iconSize, iconSize)));
        Image1->adjustSize();
    }

    // Single precision, as the layout was drawn; the twips setters round to whole pixels.
    const float outerWidth = static_cast<float>(toolkit::outerWidthTwips(this, m_mainWindow));
    const auto read = [](double twips) { return static_cast<float>(twips); };
    toolkit::setTwipsLeft(Label1, (outerWidth - read(twipsWidth(Label1))) / 2);
    toolkit::setTwipsLeft(Label3, (outerWidth - read(twipsWidth(Label3))) / 2);
    toolkit::setTwipsTop(Label2, read(twipsTop(Label1)) + read(twipsHeight(Label1)));
    toolkit::setTwipsLeft(Label2, read(twipsLeft(Label1)) + read(twipsWidth(Label1)) -
                                      read(twipsWidth(Label2)));
    toolkit::setTwipsTop(Label3, read(twipsTop(Label2)) + read(twipsHeight(Label2)));
    toolkit::setTwipsTop(Text1, read(twipsTop(Label3)) + 2 * read(twipsHeight(Label3)));
    toolkit::setTwipsTop(Text2, read(twipsTop(Text1)) + read(twipsHeight(Text1)));
    toolkit::setTwipsTop(Command1, read(twipsTop(Text2)) + 2 * read(twipsHeight(Text2)));
    toolkit::setOuterHeightTwips(this,
                                 read(toolkit::outerHeightTwips(this, m_mainWindow)) -
                                     read(toolkit::scaleHeightTwips(this)) +
                                     read(twipsTop(Command1)) + read(twipsHeight(Command1)) + 200,
                                 m_mainWindow);
}

// A dialog closes on Esc and presses its default button on Enter from any control; this
// window closes only by its OK button and its frame. A focused OK takes Enter itself.
void frmAbout::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Enter:
    case Qt::Key_Return:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

void frmAbout::Command1_Click()
{
    accept();
}
