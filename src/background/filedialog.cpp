#include "background/filedialog.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QMimeDatabase>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>

#include <algorithm>

namespace background {

namespace {

enum Column { NameColumn, SizeColumn, TypeColumn, DateColumn };

bool hasWildcard(const QString &name)
{
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

// The longest texts the size and date columns show in this locale, as the dialog's model
// writes them.
QStringList sizeSamples()
{
    const QLocale locale = QLocale::system();
    QStringList samples;
    for (const qint64 bytes : {qint64(999), qint64(1000) << 10, qint64(1000) << 20,
                               qint64(1000) << 30, qint64(1000) << 40})
        samples += locale.formattedDataSize(bytes - 1);
    return samples;
}

QStringList dateSamples()
{
    const QDateTime widest(QDate(2000, 12, 28), QTime(20, 58, 58));
    return {QLocale::system().toString(widest, QLocale::ShortFormat)};
}

// What the type column says of folders and of the files the types offer.
QStringList typeSamples(const QList<background::FileType> &types)
{
    QStringList samples{
        QCoreApplication::translate("QAbstractFileIconProvider", "Folder", "All other platforms")};
    const QMimeDatabase mimeTypes;
    for (const background::FileType &type : types) {
        for (const QString &pattern : type.patterns) {
            const QString example = QString(pattern).replace(QLatin1Char('*'), QLatin1Char('x'));
            samples += mimeTypes.mimeTypeForFile(example, QMimeDatabase::MatchExtension).comment();
        }
    }
    return samples;
}

// A name typed from the home folder on, "~" or "~/...", as Qt reads it too: without this, Qt
// would enter such a folder itself and leave its name in the box, ahead of the next name typed.
QString fromHome(const QString &typed)
{
    if (typed == QLatin1String("~") || typed.startsWith(QLatin1String("~/")))
        return QDir::homePath() + typed.mid(1);
    return typed;
}

} // namespace

FileDialog::FileDialog(QWidget *owner, bool pathMustExist)
    : QFileDialog(owner), m_pathMustExist(pathMustExist)
{
    setOption(QFileDialog::DontUseNativeDialog);
    setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    connect(this, &QFileDialog::filterSelected, this, &FileDialog::useChosenType);
    if (QFileSystemModel *model = fileModel())
        connect(model, &QFileSystemModel::directoryLoaded, this, &FileDialog::growColumnsToContents,
                Qt::QueuedConnection);
    fitColumns({});
}

QLineEdit *FileDialog::nameBox() const
{
    return findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
}

QFileSystemModel *FileDialog::fileModel() const
{
    return findChild<QFileSystemModel *>();
}

// Qt reads a name filter's patterns only where they are plain ASCII without spaces, so each
// type is offered by its description alone and its patterns go to the list directly.
void FileDialog::setFileTypes(const QList<background::FileType> &types)
{
    m_types = types;
    QStringList filters;
    for (const background::FileType &type : types)
        filters += nameFilterOf(type);
    setNameFilters(filters);
    if (!filters.isEmpty())
        selectNameFilter(filters.first());
    useChosenType();
    fitColumns(typeSamples(types));
}

void FileDialog::useChosenType()
{
    const auto *combo = findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    const int index = combo ? combo->currentIndex() : -1;
    if (index >= 0 && index < m_types.size())
        showMatching(m_types.at(index).patterns);
}

void FileDialog::showMatching(const QStringList &patterns)
{
    if (QFileSystemModel *model = fileModel())
        model->setNameFilters(patterns);
}

// The first time it shows, the dialog is made wide enough for every column of its list.
void FileDialog::showEvent(QShowEvent *event)
{
    QFileDialog::showEvent(event);
    auto *view = findChild<QTreeView *>(QStringLiteral("treeView"));
    if (m_widened || !view)
        return;
    m_widened = true;
    const int needed = view->header()->length() + 2 * view->frameWidth() +
                       view->verticalScrollBar()->sizeHint().width();
    if (needed > view->width())
        resize(width() + needed - view->width(), height());
}

void FileDialog::accept()
{
    const QString typed = fromHome(nameBox() ? nameBox()->text().trimmed() : QString());
    if (filterByTypedWildcard(typed) || enterTypedFolder(typed))
        return;
    if (m_pathMustExist) {
        for (const QString &file : selectedFiles()) {
            if (!QFileInfo(file).absoluteDir().exists())
                return;
        }
    }
    QFileDialog::accept();
}

// A typed pattern such as "*.gif" lists the files it matches, in the folder typed before it if
// any, and the dialog stays open; a file of that very name is still chosen.
bool FileDialog::filterByTypedWildcard(const QString &typed)
{
    if (!hasWildcard(typed))
        return false;
    const QFileInfo path(directory(), typed);
    if (path.exists())
        return false;
    if (typed.contains(QLatin1Char('/')) && path.dir().exists())
        setDirectory(path.dir());
    showMatching(path.fileName().split(QLatin1Char(';'), Qt::SkipEmptyParts));
    return true;
}

// A typed folder is entered and its name leaves the box, so that the next Enter chooses what is
// typed there and not the folder's name again.
bool FileDialog::enterTypedFolder(const QString &typed)
{
    if (typed.isEmpty() || fileMode() == QFileDialog::Directory)
        return false;
    const QFileInfo path(directory(), typed);
    if (!path.isDir())
        return false;
    setDirectory(path.absoluteFilePath());
    nameBox()->clear();
    // The name's completion list would stay open, empty, over the file types.
    if (QCompleter *completer = nameBox()->completer())
        completer->popup()->hide();
    return true;
}

// Qt sizes the columns for short English texts; these fit what they show here.
void FileDialog::fitColumns(const QStringList &types)
{
    auto *view = findChild<QTreeView *>(QStringLiteral("treeView"));
    if (!view)
        return;
    const QFontMetrics metrics(view->font());
    const int padding = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1) +
                        metrics.averageCharWidth();
    const auto widest = [&](const QStringList &texts) {
        int width = 0;
        for (const QString &text : texts)
            width = std::max(width, metrics.horizontalAdvance(text));
        return width + padding;
    };
    QHeaderView *header = view->header();
    for (const auto &[column, samples] :
         {std::pair{SizeColumn, sizeSamples()}, std::pair{TypeColumn, types},
          std::pair{DateColumn, dateSamples()}}) {
        const int needed = std::max(widest(samples), header->sectionSizeHint(column));
        header->resizeSection(column, std::max(header->sectionSize(column), needed));
    }
}

// Types the samples did not foresee still show whole once their folder has been read; a
// column the user narrowed stays as narrow until then.
void FileDialog::growColumnsToContents()
{
    auto *view = findChild<QTreeView *>(QStringLiteral("treeView"));
    if (!view || !view->isVisible())
        return;
    const QAbstractItemView *items = view;
    QHeaderView *header = view->header();
    for (const int column : {SizeColumn, TypeColumn, DateColumn})
        header->resizeSection(
            column, std::max(header->sectionSize(column), items->sizeHintForColumn(column)));
}

} // namespace background
