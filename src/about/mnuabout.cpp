#include "app/form1.h"

#include "about/frmabout.h"

// TODO(about): show the about window modally.
void Form1::mnuAbout_Click() {}
