#include "app/form1.h"

#include "background/clscomdlg.h"
#include "toolkit/loadpicture.h"
#include "toolkit/messagebox.h"
#include "toolkit/picturebox.h"

#include <QGroupBox>

void Form1::Command2_Click()
{
    if (!Dlg)
        return;
    Dlg->DialogTitle = QStringLiteral("開く");
    Dlg->Filter = QStringLiteral(
        "画像ファイル(*.bmp;*.gif;*.jpg;*.jpeg;*.ico;*.wmf;*.emf)|*.BMP;*.GIF;*.JPG;*.JPEG;*.ICO;"
        "*.WMF;*.EMF|全てのファイル(*.*)|*.*");
    Dlg->Flags = 4;
    Dlg->setAction(1);
    if (Dlg->FileName.isEmpty())
        return;
    // A file that is no readable image changes nothing, so the colour boxes are never locked
    // with no image to show for it; the user is told instead, and why.
    picture::PictureError why = picture::PictureError::None;
    const std::optional<toolkit::Picture> picture = toolkit::LoadPicture(Dlg->FileName, &why);
    if (!picture) {
        toolkit::warningBox(this, windowTitle(),
                            QStringLiteral("「%1」を画像として読み込めませんでした。\n%2")
                                .arg(Dlg->FileName, picture::pictureErrorText(why)));
        return;
    }
    Picture2->setPicture(*picture);
    Byouga();
    Frame1->setEnabled(false);
}

void Form1::Command3_Click()
{
    Picture1->setPicture(toolkit::LoadPicture());
    Picture2->setPicture(toolkit::LoadPicture());
    Frame1->setEnabled(true);
}
