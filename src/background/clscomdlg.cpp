#include "background/clscomdlg.h"

// TODO(dialog): replaced by the real dialog wrapper.
void clsComDlg::setAction(std::int16_t) { FileName.clear(); }
