#pragma once

#include <QDialog>
#include <QPointer>

class QKeyEvent;
class QLabel;
class QPushButton;

namespace toolkit {
class Label;
class TextBox;
} // namespace toolkit

// The about window: the program's name, version, copyright line, addresses and icon. Every
// opening loads it afresh: the controls go back to their design values, are filled, and are
// laid out from the sizes of their texts.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    // The main window lends its icon and, until this window has a frame of its own, its frame
    // margins. It is not made the owner: the window is shown without one.
    explicit frmAbout(const QWidget *mainWindow);

    toolkit::Label *Label1;
    toolkit::Label *Label2;
    toolkit::Label *Label3;
    QLabel *Image1;
    toolkit::TextBox *Text1;
    toolkit::TextBox *Text2;
    QPushButton *Command1;

    // Loads the window, centres it on the screen and runs it modally for the whole application;
    // returns once it has been unloaded.
    void showModal();

    void Form_Load();
    void Command1_Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createControls();
    void restoreDesign();
    void setTabOrder();
    void wireEvents();

    QPointer<const QWidget> m_mainWindow;
};
