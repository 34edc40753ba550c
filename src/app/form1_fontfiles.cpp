#include "app/form1.h"

#include "fonts/fonterror.h"
#include "fonts/fonts.h"
#include "toolkit/combobox.h"
#include "toolkit/loadfont.h"
#include "toolkit/messagebox.h"
#include "toolkit/window.h"

#include <QFile>
#include <QHash>

#include <optional>

namespace {

// A file name as text, or nothing where its bytes are no text in the system's encoding: the
// name made of the decoded text would be some other file's.
std::optional<QString> decodedName(const QByteArray &name)
{
    const QString decoded = QFile::decodeName(name);
    if (decoded.isEmpty() || QFile::encodeName(decoded) != name)
        return std::nullopt;
    return decoded;
}

// The faces of one file, added for this run; none where the file is refused, and why.
QStringList addFontFile(const QByteArray &name, fonts::FontError &why)
{
    why = fonts::FontError::UndecodableName;
    const std::optional<QString> path = decodedName(name);
    if (!path) {
        qCWarning(lcFonts, "Refused %s as a font file: %s", name.toPercentEncoding("/").constData(),
                  fonts::fontErrorName(why));
        return {};
    }
    const std::optional<toolkit::FontFile> file = toolkit::LoadFontFile(*path, &why);
    if (!file)
        return {};
    const QStringList families = fonts::addFontData(file->data);
    if (families.isEmpty())
        why = fonts::FontError::NoUsableFace;
    return families;
}

// Two lines and a gap a file: a box that names more than this many grows past a small screen
// and hides its OK button. The log names every one.
constexpr qsizetype maxNamedRefusals = 5;

QString refusalMessage(QStringList refusals)
{
    const qsizetype unnamed = refusals.size() - maxNamedRefusals;
    if (unnamed > 0) {
        refusals.resize(maxNamedRefusals);
        refusals << QStringLiteral("ほかに%1個のファイルも読み込めませんでした。").arg(unnamed);
    }
    return refusals.join(QStringLiteral("\n\n"));
}

} // namespace

void Form1::openFontFiles(const QList<QByteArray> &fileNames)
{
    QStringList families;
    QStringList refusals;
    // A large collection takes the checker a second or two.
    toolkit::setMousePointer(this, toolkit::Hourglass);
    for (const QByteArray &name : fileNames) {
        fonts::FontError why = fonts::FontError::None;
        const QStringList added = addFontFile(name, why);
        if (added.isEmpty())
            refusals << QStringLiteral("「%1」をフォントとして読み込めませんでした。\n%2")
                            .arg(QString::fromLocal8Bit(name), fonts::fontErrorText(why));
        families += added;
    }
    if (!families.isEmpty()) {
        listAddedFonts();
        // As if the user had chosen the first new face from the list.
        const int chosen = Combo1->findText(families.first(), Qt::MatchExactly);
        if (chosen >= 0)
            Combo1->setCurrentIndex(chosen);
        else
            Combo1->setText(families.first());
        Combo1_Click();
    }
    toolkit::setMousePointer(this, toolkit::Default);
    if (!refusals.isEmpty())
        toolkit::warningBox(this, windowTitle(), refusalMessage(refusals));
}

void Form1::listAddedFonts()
{
    // The box holds the font list as it was read; the new names take their places in its order.
    QHash<QString, int> listed;
    listed.reserve(Combo1->count());
    for (int i = 0; i < Combo1->count(); ++i)
        listed.insert(Combo1->itemText(i), i);
    int inserted = 0;
    int row = 0;
    const int count = m_fonts.fontCount();
    for (int i = 0; i < count; ++i) {
        const std::optional<QString> name = m_fonts.font(i);
        if (!name)
            continue;
        const auto known = listed.constFind(*name);
        if (known != listed.constEnd()) {
            row = *known + inserted + 1;
            continue;
        }
        Combo1->insertItem(row++, *name);
        ++inserted;
    }
}
