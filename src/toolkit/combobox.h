#pragma once

#include <QComboBox>

namespace toolkit {

// A drop-down combo box with an edit field whose click is raised only when the user chooses an
// entry of the list; Enter in the edit field neither applies nor adds what was typed.
class ComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit ComboBox(QWidget *parent = nullptr);

    QString text() const { return currentText(); }
    void setText(const QString &text) { setEditText(text); }
    void addItem(const QString &text) { QComboBox::addItem(text); }

signals:
    void click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace toolkit
