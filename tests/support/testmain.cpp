#include "support/testmain.h"

#include "fonts/fonts.h"
#include "picture/decoderprocess.h"
#include "support/standins.h"
#include "toolkit/application.h"

void useBuiltDecoder()
{
    picture::setDecoderPath(builtDecoder());
}

void readyTestApplication()
{
    useBuiltDecoder();
    toolkit::initialiseApplication();
    fonts::initialiseFonts();
}
