#pragma once

#include <QString>

#include <cstdint>

// Puts the open-file and save-file dialogs behind a handful of members: fill them, write the
// wanted dialog's number to Action, read the chosen path from FileName.
class clsComDlg
{
public:
    QString DefaultExt;
    QString DialogTitle;
    QString Filter;
    std::int32_t Flags = 0;
    std::int32_t OwnerhWnd = 0;
    QString FileName;

    // 1 shows the open dialog, 2 the save dialog; returns when the dialog has closed.
    void setAction(std::int16_t new_Action);
};
