#include "about/frmabout.h"

// TODO(about): the controls and their layout.
frmAbout::frmAbout(QWidget *parent) : QDialog(parent) {}
