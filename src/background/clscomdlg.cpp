#include "background/clscomdlg.h"

#include "background/filedialog.h"
#include "background/filetypes.h"
#include "toolkit/window.h"

#include <QDir>
#include <QFlags>
#include <QPointer>

namespace {

// The option bits of the Windows file dialogs that have a counterpart here. Hiding the
// read-only box needs nothing, as this dialog has none.
enum class DialogOption : std::uint32_t {
    HideReadOnly = 0x4,
    OverwritePrompt = 0x2,
    AllowMultiSelect = 0x200,
    PathMustExist = 0x800,
    FileMustExist = 0x1000,
};
Q_DECLARE_FLAGS(DialogOptions, DialogOption)

bool execDialog(QFileDialog &dialog)
{
    return dialog.exec() == QDialog::Accepted;
}

QFileDialog::FileMode fileModeOf(std::int16_t action, DialogOptions options)
{
    if (action == 1 && options.testFlag(DialogOption::AllowMultiSelect))
        return QFileDialog::ExistingFiles;
    if (action == 1 && options.testFlag(DialogOption::FileMustExist))
        return QFileDialog::ExistingFile;
    return QFileDialog::AnyFile;
}

} // namespace

clsComDlg::clsComDlg() : m_runDialog(execDialog) {}

void clsComDlg::setAction(std::int16_t new_Action)
{
    FileName = ShowFileDialog(new_Action);
}

void clsComDlg::setDialogRunner(DialogRunner runner)
{
    m_runDialog = std::move(runner);
}

QString clsComDlg::ShowFileDialog(std::int16_t action)
{
    if (action != 1 && action != 2)
        return QString();

    // The members hold the classic dialog's numbers; below them, named options and the owner
    // window itself.
    const DialogOptions options = DialogOptions::fromInt(std::uint32_t(Flags));
    const QPointer<QWidget> owner = toolkit::windowOfHandle(OwnerhWnd);
    background::FileDialog dialog(owner, options.testFlag(DialogOption::PathMustExist));
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(action == 1 ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(fileModeOf(action, options));
    // After the mode: a title equal to Qt's own for the mode ("開く" in Japanese) is taken for
    // Qt's default, and a later change of mode would replace it with Qt's title for that mode.
    dialog.setWindowTitle(DialogTitle);
    dialog.setOption(QFileDialog::DontConfirmOverwrite,
                     !options.testFlag(DialogOption::OverwritePrompt));

    // Names match the types in any letter case, photo.JPG as well as photo.jpg, as on Windows.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setFileTypes(
        background::fileTypesOf(ReplaceText(Filter, QStringLiteral("|"), QString(QChar(0)))));

    if (!m_runDialog(dialog))
        return QString();
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

QString clsComDlg::ReplaceText(const QString &source, const QString &search,
                               const QString &replacement)
{
    return background::replaceText(source, search, replacement);
}
