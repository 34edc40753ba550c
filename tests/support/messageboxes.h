#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

class QWidget;

// Accepts every message box that comes up and keeps what it said, and whether it was a warning
// over the window.
class MessageBoxCloser : public QObject
{
public:
    explicit MessageBoxCloser(const QWidget *window);

    QStringList texts;
    QList<bool> warningsOverWindow;

private:
    QTimer m_timer;
};
