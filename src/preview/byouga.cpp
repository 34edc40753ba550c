#include "app/form1.h"

// TODO(preview): the tiled background.
void Form1::Byouga() {}
