#include "app/form1.h"

// TODO(preview): styling handlers.
void Form1::Check1_Click() {}
void Form1::Check2_Click() {}
void Form1::Check3_Click() {}
void Form1::Check4_Click() {}
void Form1::Combo1_Click() {}
void Form1::Command1_Click() {}
void Form1::HScroll1_Change() {}
void Form1::HScroll1_Scroll() {}
