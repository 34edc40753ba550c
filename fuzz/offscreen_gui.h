#pragma once

// Starts the one QGuiApplication, on the offscreen platform, that painting text and loading
// the image format plugins need, with Qt's warnings about damaged input silenced; the fuzz
// targets call it from LLVMFuzzerInitialize.
void startOffscreenGui();
