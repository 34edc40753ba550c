#include "fonts/fonts.h"

#include <QGuiApplication>
#include <QCollator>
#include <QFont>
#include <QFontDatabase>
#include <QHash>
#include <QSet>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace toolkit {
namespace {

// Japanese faces that Windows programs ask for, and the closest faces of Debian's IPA fonts.
struct Substitute
{
    const char *requested;
    const char *family;
};
constexpr Substitute substitutes[] = {
    {"ＭＳ Ｐゴシック", "IPAPGothic"},    {"MS PGothic", "IPAPGothic"},
    {"ＭＳ ゴシック", "IPAGothic"},       {"MS Gothic", "IPAGothic"},
    {"ＭＳ Ｐ明朝", "IPAPMincho"},        {"MS PMincho", "IPAPMincho"},
    {"ＭＳ 明朝", "IPAMincho"},           {"MS Mincho", "IPAMincho"},
    {"ＭＳ ＵＩ ゴシック", "IPAPGothic"}, {"MS UI Gothic", "IPAPGothic"},
};

// Qt decorates a family that several foundries provide as "Name [foundry]"; the family itself
// is known by the plain name. The length of that plain name. (A plain scan: a regular
// expression per family costs milliseconds at start-up with thousands of fonts.)
qsizetype withoutFoundry(const QString &family)
{
    if (!family.endsWith(u']'))
        return family.size();
    // The suffix holds no other ']': it is the first " [" after the one before the last.
    const qsizetype previousClose = family.lastIndexOf(u']', family.size() - 2);
    const qsizetype open = family.indexOf(QLatin1String(" ["), previousClose + 1);
    return open < 0 ? family.size() : open;
}

// Qt's registered family names, keyed by their case-folded form.
const QHash<QString, QString> &qtFamilies()
{
    static const QHash<QString, QString> families = [] {
        QHash<QString, QString> byFolded;
        const QStringList all = QFontDatabase::families();
        byFolded.reserve(all.size());
        for (QString family : all) {
            family.truncate(withoutFoundry(family));
            byFolded.insert(family.toCaseFolded(), family);
        }
        return byFolded;
    }();
    return families;
}

std::optional<QString> qtName(const QString &family)
{
    const auto found = qtFamilies().constFind(family.toCaseFolded());
    if (found == qtFamilies().constEnd())
        return std::nullopt;
    return *found;
}

QStringList patternFamilies(FcPattern *pattern)
{
    QStringList names;
    FcChar8 *value = nullptr;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &value) == FcResultMatch; ++i)
        names << QString::fromUtf8(reinterpret_cast<const char *>(value));
    return names;
}

// The name under which Qt knows the font whose fontconfig family names are given.
std::optional<QString> registeredName(const QStringList &names)
{
    for (const QString &name : names) {
        if (std::optional<QString> known = qtName(name))
            return known;
    }
    return std::nullopt;
}

// fontconfig's best match for a family name, as its family names.
QStringList fontconfigMatch(const QString &requested)
{
    FcPattern *pattern = FcPatternCreate();
    const QByteArray utf8 = requested.toUtf8();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(utf8.constData()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern *match = FcFontMatch(nullptr, pattern, &result);
    QStringList names;
    if (match) {
        names = patternFamilies(match);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return names;
}

std::optional<QString> resolveUncached(const QString &requested)
{
    if (std::optional<QString> known = qtName(requested))
        return known;
    const QStringList matched = fontconfigMatch(requested);
    const bool installedUnderAlias =
        std::any_of(matched.cbegin(), matched.cend(), [&](const QString &name) {
            return name.compare(requested, Qt::CaseInsensitive) == 0;
        });
    if (installedUnderAlias) {
        if (std::optional<QString> known = registeredName(matched))
            return known;
    }
    for (const QString &substitute : QFont::substitutes(requested)) {
        if (std::optional<QString> known = qtName(substitute))
            return known;
    }
    if (std::optional<QString> known = registeredName(matched))
        return known;
    return QGuiApplication::font().family();
}

} // namespace

SystemFonts::SystemFonts()
{
    FcObjectSet *objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcPattern *all = FcPatternCreate();
    FcFontSet *set = FcFontList(nullptr, all, objects);
    QSet<QString> seen;
    if (set) {
        m_names.reserve(set->nfont);
        for (int i = 0; i < set->nfont; ++i) {
            // A font file may name several families: localised aliases, which Qt files under
            // the first, and subfamilies such as "DejaVu Sans Condensed", which Qt registers as
            // families of their own. Every registered one is listed.
            const QStringList names = patternFamilies(set->fonts[i]);
            QStringList listed;
            for (const QString &name : names) {
                if (std::optional<QString> known = qtName(name))
                    listed << *known;
            }
            if (listed.isEmpty() && !names.isEmpty())
                listed << names.first();
            for (const QString &name : listed) {
                if (!seen.contains(name)) {
                    seen.insert(name);
                    m_names << name;
                }
            }
        }
        FcFontSetDestroy(set);
    }
    FcPatternDestroy(all);
    FcObjectSetDestroy(objects);
    // Each name's collation key is made once; comparing keys orders the names as comparing the
    // names with the collator does, at a fraction of the cost for thousands of names.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<std::pair<QCollatorSortKey, QString>> keyed;
    keyed.reserve(static_cast<std::size_t>(m_names.size()));
    for (const QString &name : std::as_const(m_names))
        keyed.emplace_back(collator.sortKey(name), name);
    std::sort(keyed.begin(), keyed.end(),
              [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
    for (qsizetype i = 0; i < m_names.size(); ++i)
        m_names[i] = keyed[static_cast<std::size_t>(i)].second;
}

std::optional<QString> SystemFonts::font(int index) const
{
    if (index < 0 || index >= m_names.size())
        return std::nullopt;
    return m_names.at(index);
}

std::optional<QString> resolvedFamily(const QString &requested)
{
    if (requested.isEmpty())
        return std::nullopt;
    static QHash<QString, QString> cache;
    const auto cached = cache.constFind(requested);
    if (cached != cache.constEnd())
        return *cached;
    const std::optional<QString> family = resolveUncached(requested);
    if (family)
        cache.insert(requested, *family);
    return family;
}

void initialiseFonts()
{
    for (const Substitute &s : substitutes)
        QFont::insertSubstitution(QString::fromUtf8(s.requested), QString::fromUtf8(s.family));
    // The classic Japanese user-interface font at 9 points, 12 pixels at 96 dpi, which the
    // layout's captions were drawn for.
    const std::optional<QString> ui = resolvedFamily(QStringLiteral("ＭＳ Ｐゴシック"));
    QFont font(ui.value_or(QGuiApplication::font().family()));
    font.setFamilies({font.family()});
    font.setPointSizeF(9);
    QGuiApplication::setFont(font);
}

} // namespace toolkit
