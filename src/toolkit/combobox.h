#pragma once

#include <QComboBox>

namespace toolkit {

// A drop-down combo box with an edit field whose click is raised only when the user chooses an
// entry of the list: from the open list, or with the arrow keys in the closed box. What is typed
// stays exactly as typed: nothing completes it, and neither Enter nor leaving the box applies,
// adds or respells it. Adding entries leaves the edit text and the current entry alone, so
// a box filled and then given a text has no current entry.
class ComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit ComboBox(QWidget *parent = nullptr);

    QString text() const { return currentText(); }
    void setText(const QString &text) { setEditText(text); }
    void addItem(const QString &text);

    // The open list is as wide as its widest entry, up to the width of the screen.
    void showPopup() override;

signals:
    void click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    int listWidth() const;

    bool m_leaving = false;
};

} // namespace toolkit
