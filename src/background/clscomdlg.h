#pragma once

#include <QString>

#include <cstdint>
#include <functional>

class QFileDialog;

// Puts the open-file and save-file dialogs behind a handful of members: fill them, write the
// wanted dialog's number to Action, read the chosen path from FileName.
class clsComDlg
{
public:
    // Shows a configured dialog until the user closes it; true when a file was chosen.
    using DialogRunner = std::function<bool(QFileDialog &)>;

    clsComDlg();

    // Never read: the dialog is given no default extension.
    QString DefaultExt;
    QString DialogTitle;
    // Description and pattern fields, each separated from the next by a bar.
    QString Filter;
    // Option bits of the Windows dialogs (hide read-only, file and path must exist, overwrite
    // prompt, multi-select), honoured where the dialog has a counterpart.
    std::int32_t Flags = 0;
    // The window the dialog is modal to.
    std::int32_t OwnerhWnd = 0;
    // The chosen file's full path, or "" when the dialog was cancelled or not shown.
    QString FileName;

    // 1 shows the open dialog, 2 the save dialog, anything else none; returns when the dialog
    // has closed, with FileName set.
    void setAction(std::int16_t new_Action);

    // Replaces the modal run of the dialog, for instance by one that drives it by script.
    void setDialogRunner(DialogRunner runner);

private:
    QString ShowFileDialog(std::int16_t action);
    static QString ReplaceText(const QString &source, const QString &search,
                               const QString &replacement);

    DialogRunner m_runDialog;
};
