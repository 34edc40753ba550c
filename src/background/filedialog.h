#pragma once

#include "background/filetypes.h"

#include <QFileDialog>
#include <QList>

class QLineEdit;
class QShowEvent;
class QFileSystemModel;

namespace background {

// Qt's own file dialog, drawn by Qt everywhere, made to behave as people type into a desktop
// file dialog: a typed folder name is entered, a typed wildcard lists what matches it, and the
// file types match their patterns as given. It can also insist on an existing folder for the
// name typed: the dialog then stays open until the name lies in one.
class FileDialog : public QFileDialog
{
    Q_OBJECT
public:
    FileDialog(QWidget *owner, bool pathMustExist);

    // Offers these types, the first one chosen. Their patterns are matched as they stand,
    // spaces and any characters included, in any letter case.
    void setFileTypes(const QList<background::FileType> &types);

    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLineEdit *nameBox() const;
    QFileSystemModel *fileModel() const;
    void useChosenType();
    void showMatching(const QStringList &patterns);
    bool enterTypedFolder(const QString &typed);
    bool filterByTypedWildcard(const QString &typed);
    void fitColumns(const QStringList &typeSamples);
    void growColumnsToContents();

    QList<background::FileType> m_types;
    bool m_pathMustExist;
    bool m_widened = false;
};

} // namespace background
