#pragma once

#include <QFileDialog>

namespace background {

// Qt's own file dialog, drawn by Qt everywhere, that can insist on an existing folder for the
// name typed: the dialog then stays open until the name lies in one.
class FileDialog : public QFileDialog
{
    Q_OBJECT
public:
    FileDialog(QWidget *owner, bool pathMustExist);

    void accept() override;

private:
    bool m_pathMustExist;
};

} // namespace background
