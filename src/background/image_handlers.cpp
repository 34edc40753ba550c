#include "app/form1.h"

// TODO(background): load and clear.
void Form1::Command2_Click() {}
void Form1::Command3_Click() {}
