#pragma once

#include <QDialog>

// The about window: the program's name, version, copyright line, addresses and icon.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);
};
