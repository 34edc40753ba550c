#pragma once

class QString;
class QWidget;

namespace toolkit {

// Tells the user something went wrong, in a modal warning box over the owner with an OK button,
// and returns once it is closed. Where windows draw their own frame, the box does too: Qt's own
// title bar would offer a maximise button, and a compositor that maximises a box of fixed size
// ends the program.
void warningBox(QWidget *owner, const QString &title, const QString &text);

} // namespace toolkit
