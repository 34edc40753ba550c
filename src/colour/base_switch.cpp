#include "app/form1.h"

// TODO(colour): the number base switch.
void Form1::Option3_Click() {}
void Form1::Option4_Click() {}
