#pragma once

#include <QList>
#include <QMainWindow>

#include <array>
#include <memory>

class QAction;
class QByteArray;
class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class clsComDlg;
class frmAbout;

namespace toolkit {
class ComboBox;
class HScrollBar;
class Label;
class PictureBox;
class TextBox;
} // namespace toolkit

namespace fonts {
class ScreenFonts;
} // namespace fonts

// The main window. Controls keep the names they have in the layout (also as objectName);
// every handler runs its steps in order, and a step that fails is skipped.
class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit Form1(const fonts::ScreenFonts &fonts, QWidget *parent = nullptr);
    ~Form1() override;

    // Start-up: shows the window, lists the installed fonts and sets the initial preview.
    void Form_Load();

    // Background colour group.
    QGroupBox *Frame1;
    toolkit::Label *Label2;
    toolkit::Label *Label3;
    toolkit::Label *Label4;
    std::array<toolkit::TextBox *, 3> TextC;
    // Text colour group.
    QGroupBox *Frame2;
    toolkit::Label *Label5;
    toolkit::Label *Label6;
    toolkit::Label *Label7;
    std::array<toolkit::TextBox *, 3> TextCM;
    // Number base.
    QGroupBox *Frame4;
    QRadioButton *Option3;
    QRadioButton *Option4;
    // Font name.
    QGroupBox *Frame3;
    toolkit::ComboBox *Combo1;
    QPushButton *Command1;
    // Size and styles.
    QGroupBox *Frame5;
    toolkit::HScrollBar *HScroll1;
    toolkit::Label *Label8;
    QCheckBox *Check1;
    QCheckBox *Check2;
    QCheckBox *Check3;
    QCheckBox *Check4;
    // Background image.
    QGroupBox *Frame6;
    QPushButton *Command2;
    QPushButton *Command3;
    // Preview.
    toolkit::PictureBox *Picture1;
    toolkit::Label *Label1;
    toolkit::PictureBox *Picture2;
    // Menu.
    QAction *mnuAbout;

    // Window-level variables.
    std::unique_ptr<clsComDlg> Dlg;
    bool DecimalMode = false;

    // Preview: styling and the tiled background.
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    void Combo1_Click();
    void Command1_Click();
    void HScroll1_Change();
    void HScroll1_Scroll();
    void Byouga();

    // Colour entry.
    void TextC_KeyPress(int Index, int &KeyAscii);
    void TextCM_KeyPress(int Index, int &KeyAscii);
    void TextC_GotFocus(int Index);
    void TextCM_GotFocus(int Index);
    void TextC_Change(int Index);
    void TextCM_Change(int Index);
    void Option3_Click();
    void Option4_Click();

    // Background image.
    void Command2_Click();
    void Command3_Click();

    // About window.
    void mnuAbout_Click();

    // Font files that are not installed, from the command line or dropped on the window: each
    // file's faces are added for this run and listed, and the first face of the first file
    // that has one is applied as if chosen from the list. The files refused are named in one
    // message, each with why; the others are added all the same.
    void openFontFiles(const QList<QByteArray> &fileNames);

private:
    void createControls();
    void setAccessibleNames();
    void setTabOrder();
    void wireEvents();
    void listAddedFonts();

    const fonts::ScreenFonts &m_fonts;
    std::unique_ptr<frmAbout> m_about;
};
