#include "app/form1.h"

// TODO(colour): channel box handlers.
void Form1::TextC_KeyPress(int, int &) {}
void Form1::TextCM_KeyPress(int, int &) {}
void Form1::TextC_GotFocus(int) {}
void Form1::TextCM_GotFocus(int) {}
void Form1::TextC_Change(int) {}
void Form1::TextCM_Change(int) {}
