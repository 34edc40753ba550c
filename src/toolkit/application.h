#pragma once

namespace toolkit {

// Readies the running QApplication for the program's windows: Qt's own texts (context menus,
// file dialog, message-box buttons) in Japanese whatever the locale, as the rest of the user
// interface is Japanese. Call once the QApplication exists; later calls do nothing.
void initialiseApplication();

} // namespace toolkit
