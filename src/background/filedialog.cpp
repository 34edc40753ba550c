#include "background/filedialog.h"

#include <QDir>
#include <QFileInfo>

namespace background {

FileDialog::FileDialog(QWidget *owner, bool pathMustExist)
    : QFileDialog(owner), m_pathMustExist(pathMustExist)
{
    setOption(QFileDialog::DontUseNativeDialog);
    setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
}

void FileDialog::accept()
{
    if (m_pathMustExist) {
        for (const QString &file : selectedFiles()) {
            if (!QFileInfo(file).absoluteDir().exists())
                return;
        }
    }
    QFileDialog::accept();
}

} // namespace background
