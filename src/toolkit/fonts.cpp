#include "toolkit/fonts.h"

#include <QApplication>
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

QStringList patternStrings(FcPattern *pattern, const char *object)
{
    QStringList values;
    FcChar8 *value = nullptr;
    for (int i = 0; FcPatternGetString(pattern, object, i, &value) == FcResultMatch; ++i)
        values << QString::fromUtf8(reinterpret_cast<const char *>(value));
    return values;
}

// Every font fontconfig lists, with all its family names in every language (the one of the
// user's language first), and its style names in the same order.
struct ListedFont
{
    QStringList families;
    QStringList languages;
    QStringList styles;
    bool upright = true;
};

std::vector<ListedFont> listedFonts()
{
    FcObjectSet *objects = FcObjectSetBuild(FC_FAMILY, FC_FAMILYLANG, FC_STYLE, FC_SLANT, nullptr);
    FcPattern *all = FcPatternCreate();
    FcFontSet *set = FcFontList(nullptr, all, objects);
    std::vector<ListedFont> fonts;
    if (set) {
        fonts.reserve(static_cast<std::size_t>(set->nfont));
        for (int i = 0; i < set->nfont; ++i) {
            FcPattern *pattern = set->fonts[i];
            ListedFont font{patternStrings(pattern, FC_FAMILY),
                            patternStrings(pattern, FC_FAMILYLANG),
                            patternStrings(pattern, FC_STYLE)};
            int slant = FC_SLANT_ROMAN;
            if (FcPatternGetInteger(pattern, FC_SLANT, 0, &slant) == FcResultMatch)
                font.upright = slant == FC_SLANT_ROMAN;
            if (!font.families.isEmpty())
                fonts.push_back(std::move(font));
        }
        FcFontSetDestroy(set);
    }
    FcPatternDestroy(all);
    FcObjectSetDestroy(objects);
    return fonts;
}

// Qt decorates a family that several foundries provide as "Name [foundry]"; the family itself
// is known by the plain name. A family whose own name ends in brackets keeps them. (A plain
// scan: a regular expression per family costs milliseconds at start-up with thousands of fonts.)
QString withoutFoundry(const QString &family, const QSet<QString> &fontconfigNames)
{
    if (!family.endsWith(u']') || fontconfigNames.contains(family.toCaseFolded()))
        return family;
    const qsizetype open = family.lastIndexOf(QLatin1String(" ["));
    if (open < 0)
        return family;
    return family.left(open);
}

// Qt reads a requested "Name [x]" as the family Name from the foundry x, so a family whose own
// name holds brackets is never found under that name. fontconfig ignores blanks in family names
// where Qt does not: asked for with a leading blank, Qt finds no family of that name and takes
// fontconfig's first choice for it, which is the family itself.
QString requestable(const QString &family)
{
    const qsizetype open = family.indexOf(u'[');
    if (open >= 0 && family.lastIndexOf(u']') > open)
        return u' ' + family;
    return family;
}

// How a name came to stand for a face; a better kind replaces a worse one.
enum class Kind { Alias, OwnFamily, Registered };

struct Entry
{
    Face face;
    Kind kind;
    bool upright;
};

// All that fontconfig and Qt know about family names, gathered once: the face each name of
// each font stands for, and the names the font list shows.
struct Families
{
    QHash<QString, Entry> byFoldedName;
    QStringList listed;

    std::optional<Face> face(const QString &name) const
    {
        const auto found = byFoldedName.constFind(name.toCaseFolded());
        if (found == byFoldedName.constEnd())
            return std::nullopt;
        return found->face;
    }

    void add(const QString &name, const Entry &entry)
    {
        auto found = byFoldedName.find(name.toCaseFolded());
        if (found == byFoldedName.end()) {
            byFoldedName.insert(name.toCaseFolded(), entry);
            return;
        }
        if (entry.kind > found->kind ||
            (entry.kind == found->kind && entry.upright && !found->upright))
            *found = entry;
    }
};

Families gatherFamilies()
{
    const std::vector<ListedFont> fonts = listedFonts();
    QSet<QString> fontconfigNames;
    for (const ListedFont &font : fonts) {
        for (const QString &name : font.families)
            fontconfigNames.insert(name.toCaseFolded());
    }
    // Qt registers each font under its first family name, which fontconfig gives in the user's
    // language, and under the further names that select a subset of the family's styles.
    QHash<QString, QString> registered;
    const QStringList qtFamilies = QFontDatabase::families();
    registered.reserve(qtFamilies.size());
    for (const QString &decorated : qtFamilies) {
        const QString family = withoutFoundry(decorated, fontconfigNames);
        registered.insert(family.toCaseFolded(), family);
    }

    Families families;
    families.byFoldedName.reserve(fontconfigNames.size());
    QSet<QString> seen;
    const auto list = [&](const QString &name) {
        if (!seen.contains(name)) {
            seen.insert(name);
            families.listed << name;
        }
    };
    for (const ListedFont &font : fonts) {
        qsizetype home = -1;
        for (qsizetype k = 0; k < font.families.size() && home < 0; ++k) {
            if (registered.contains(font.families.at(k).toCaseFolded()))
                home = k;
        }
        if (home < 0) {
            // Qt did not take the font in; it is listed as fontconfig names it all the same.
            list(font.families.first());
            continue;
        }
        const QString homeFamily =
            requestable(registered.value(font.families.at(home).toCaseFolded()));
        const QString homeStyle = font.styles.value(home, font.styles.value(0));
        const QString homeLanguage = font.languages.value(home);
        for (qsizetype k = 0; k < font.families.size(); ++k) {
            const QString &name = font.families.at(k);
            const auto known = registered.constFind(name.toCaseFolded());
            if (known != registered.constEnd()) {
                families.add(name, {{requestable(*known), {}}, Kind::Registered, font.upright});
                list(*known);
            } else if (font.languages.value(k) == homeLanguage) {
                // A further name in the same language that Qt only files as an alias names a
                // family of its own, made of this face.
                families.add(name, {{homeFamily, homeStyle}, Kind::OwnFamily, font.upright});
                list(name);
            } else {
                families.add(name, {{homeFamily, {}}, Kind::Alias, font.upright});
            }
        }
    }
    return families;
}

const Families &allFamilies()
{
    static const Families families = gatherFamilies();
    return families;
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
        names = patternStrings(match, FC_FAMILY);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return names;
}

// Names are looked up among all names of all fonts, so that a face is found by any of its
// names, in any language, whichever one Qt registered under the current locale.
Face resolveUncached(const QString &requested)
{
    const Families &families = allFamilies();
    if (std::optional<Face> known = families.face(requested))
        return *known;
    for (const QString &substitute : QFont::substitutes(requested)) {
        if (std::optional<Face> known = families.face(substitute))
            return *known;
    }
    for (const QString &name : fontconfigMatch(requested)) {
        if (std::optional<Face> known = families.face(name))
            return *known;
    }
    return {QApplication::font().family(), {}};
}

} // namespace

SystemFonts::SystemFonts() : m_names(allFamilies().listed)
{
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

std::optional<Face> resolvedFace(const QString &requested)
{
    if (requested.isEmpty())
        return std::nullopt;
    static QHash<QString, Face> cache;
    const auto cached = cache.constFind(requested);
    if (cached != cache.constEnd())
        return *cached;
    const Face face = resolveUncached(requested);
    cache.insert(requested, face);
    return face;
}

std::optional<QString> resolvedFamily(const QString &requested)
{
    if (std::optional<Face> face = resolvedFace(requested))
        return face->family;
    return std::nullopt;
}

void initialiseFonts()
{
    for (const Substitute &s : substitutes)
        QFont::insertSubstitution(QString::fromUtf8(s.requested), QString::fromUtf8(s.family));
    // The classic Japanese user-interface font at 9 points, 12 pixels at 96 dpi, which the
    // layout's captions were drawn for.
    const std::optional<QString> ui = resolvedFamily(QStringLiteral("ＭＳ Ｐゴシック"));
    QFont font(ui.value_or(QApplication::font().family()));
    font.setFamilies({font.family()});
    font.setPointSizeF(9);
    QApplication::setFont(font);
}

} // namespace toolkit
