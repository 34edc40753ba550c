#pragma once

#include <QScrollBar>

namespace toolkit {

// A horizontal scroll bar that raises scroll repeatedly while its thumb is dragged and change
// after every other change of its value and when the dragged thumb is released. Both come
// after value() has taken the new value; the left and right arrow keys step down and up. A bar
// with the focus shows it on its thumb.
class HScrollBar : public QScrollBar
{
    Q_OBJECT
public:
    explicit HScrollBar(QWidget *parent = nullptr);

signals:
    void change();
    void scroll();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};

} // namespace toolkit
