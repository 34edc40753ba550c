#include "fonts/fonts.h"

#include <QCollator>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QSet>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace fonts {
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

// A string value of a fontconfig pattern, as fontconfig holds it (UTF-8), or null.
const char *patternString(FcPattern *pattern, const char *object, int index)
{
    FcChar8 *value = nullptr;
    if (FcPatternGetString(pattern, object, index, &value) != FcResultMatch)
        return nullptr;
    return reinterpret_cast<const char *>(value);
}

// Qt decorates a family that several foundries provide as "Name [foundry]"; the family itself
// is known by the plain name. The length of that plain name, or -1 where there is no such
// suffix. (A plain scan: a regular expression per family costs milliseconds at start-up with
// thousands of fonts.)
qsizetype withoutFoundry(const QString &family)
{
    if (!family.endsWith(u']'))
        return -1;
    return family.lastIndexOf(QLatin1String(" ["));
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
enum class Kind { None, Alias, OwnFamily };

struct Entry
{
    Face face;
    Kind kind = Kind::None;
    bool upright = false;
};

// All that fontconfig and Qt know about family names, gathered once: the families Qt
// registered, the face each further name of each font stands for, and the names the font list
// shows.
struct Families
{
    QHash<QString, QString> registered; // by case-folded name
    QHash<QString, Entry> byFoldedName;
    QStringList listed;

    std::optional<Face> face(const QString &name) const
    {
        const QString folded = name.toCaseFolded();
        const auto family = registered.constFind(folded);
        if (family != registered.constEnd())
            return Face{requestable(*family), {}};
        const auto found = byFoldedName.constFind(folded);
        if (found == byFoldedName.constEnd())
            return std::nullopt;
        return found->face;
    }

    void add(const QString &folded, const Entry &entry)
    {
        Entry &known = byFoldedName[folded];
        if (entry.kind > known.kind ||
            (entry.kind == known.kind && entry.upright && !known.upright))
            known = entry;
    }
};

// The family names of one font that fontconfig lists, in every language (the user's first).
void addFont(Families &families, FcPattern *font, QSet<QString> &listed)
{
    const QHash<QString, QString> &registered = families.registered;
    const QStringList names = patternStrings(font, FC_FAMILY);
    if (names.isEmpty())
        return;
    const auto list = [&](const QString &name) {
        if (!listed.contains(name)) {
            listed.insert(name);
            families.listed << name;
        }
    };
    QStringList folded;
    folded.reserve(names.size());
    for (const QString &name : names)
        folded << name.toCaseFolded();
    const auto home = std::find_if(folded.cbegin(), folded.cend(),
                                   [&](const QString &name) { return registered.contains(name); });
    if (home == folded.cend()) {
        // Qt did not take the font in; it is listed as fontconfig names it all the same.
        list(names.first());
        return;
    }
    const int homeIndex = int(home - folded.cbegin());
    const QString homeFamily = requestable(registered.value(*home));
    const char *homeLanguage = patternString(font, FC_FAMILYLANG, homeIndex);
    const char *homeStyle = patternString(font, FC_STYLE, homeIndex);
    if (!homeStyle)
        homeStyle = patternString(font, FC_STYLE, 0);
    int slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(font, FC_SLANT, 0, &slant);
    const bool upright = slant == FC_SLANT_ROMAN;
    for (int k = 0; k < int(names.size()); ++k) {
        const auto known = registered.constFind(folded.at(k));
        if (known != registered.constEnd()) {
            list(*known);
        } else if (qstrcmp(patternString(font, FC_FAMILYLANG, k), homeLanguage) == 0) {
            // A further name in the same language that Qt only files as an alias names a
            // family of its own, made of this face.
            families.add(folded.at(k),
                         {{homeFamily, QString::fromUtf8(homeStyle)}, Kind::OwnFamily, upright});
            list(names.at(k));
        } else {
            families.add(folded.at(k), {{homeFamily, {}}, Kind::Alias, upright});
        }
    }
}

Families gatherFamilies()
{
    // Qt registers each font under its first family name, which fontconfig gives in the user's
    // language, and under the further names that select a subset of the family's styles. A name
    // Qt decorated with a foundry is filed both whole and plain: fontconfig's names, the only
    // ones looked up here, then find the plain family, while a family whose own name ends in
    // brackets is found whole.
    Families families;
    QHash<QString, QString> &registered = families.registered;
    const QStringList qtFamilies = QFontDatabase::families();
    registered.reserve(qtFamilies.size());
    for (const QString &family : qtFamilies) {
        registered.insert(family.toCaseFolded(), family);
        const qsizetype plain = withoutFoundry(family);
        if (plain > 0)
            registered.insert(family.left(plain).toCaseFolded(), family.left(plain));
    }

    QSet<QString> listed;
    FcObjectSet *objects = FcObjectSetBuild(FC_FAMILY, FC_FAMILYLANG, FC_STYLE, FC_SLANT, nullptr);
    FcPattern *all = FcPatternCreate();
    if (FcFontSet *set = FcFontList(nullptr, all, objects)) {
        for (int i = 0; i < set->nfont; ++i)
            addFont(families, set->fonts[i], listed);
        FcFontSetDestroy(set);
    }
    FcPatternDestroy(all);
    FcObjectSetDestroy(objects);
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
    return {QGuiApplication::font().family(), {}};
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
    QFont font(ui.value_or(QGuiApplication::font().family()));
    font.setFamilies({font.family()});
    font.setPointSizeF(9);
    QGuiApplication::setFont(font);
}

} // namespace fonts
