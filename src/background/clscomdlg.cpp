#include "background/clscomdlg.h"

#include "background/filedialog.h"
#include "background/filetypes.h"
#include "toolkit/window.h"

#include <QDir>

namespace {

// The option bits of the Windows file dialogs that have a counterpart here. Hiding the
// read-only box (4) needs nothing, as this dialog has none.
constexpr std::int32_t overwritePrompt = 0x2;
constexpr std::int32_t allowMultiSelect = 0x200;
constexpr std::int32_t pathMustExist = 0x800;
constexpr std::int32_t fileMustExist = 0x1000;

bool execDialog(QFileDialog &dialog)
{
    return dialog.exec() == QDialog::Accepted;
}

QFileDialog::FileMode fileModeOf(std::int16_t action, std::int32_t flags)
{
    if (action == 1 && (flags & allowMultiSelect))
        return QFileDialog::ExistingFiles;
    if (action == 1 && (flags & fileMustExist))
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

    background::FileDialog dialog(toolkit::windowOfHandle(OwnerhWnd), Flags & pathMustExist);
    dialog.setWindowTitle(DialogTitle);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(action == 1 ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(fileModeOf(action, Flags));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(Flags & overwritePrompt));

    QStringList nameFilters;
    for (const background::FileType &type :
         background::fileTypesOf(ReplaceText(Filter, QStringLiteral("|"), QString(QChar(0)))))
        nameFilters += background::nameFilterOf(type);
    // Names match the types in any letter case, photo.JPG as well as photo.jpg, as on Windows.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setNameFilters(nameFilters);
    if (!nameFilters.isEmpty())
        dialog.selectNameFilter(nameFilters.first());

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
