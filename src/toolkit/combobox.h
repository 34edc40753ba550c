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
    void insertItem(int index, const QString &text);

    // The open list is as wide as its widest entry, up to the width of the screen. The width is
    // found when the list first opens and kept until an entry is added or the look changes.
    void showPopup() override;

signals:
    void click();

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    int listWidth() const;
    int widestEntry() const;

    bool m_leaving = false;
    int m_listWidth = -1;
};

} // namespace toolkit
