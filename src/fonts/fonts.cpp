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
    bool tied = false;
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
            (entry.kind == known.kind && entry.upright && !known.upright)) {
            known = entry;
        } else if (entry.kind == known.kind && entry.upright == known.upright &&
                   !(entry.face == known.face)) {
            // The first one listed stands; only the order of the whole listing tells which.
            known.tied = true;
        }
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
    //
    // Only a name Qt really decorated is filed plain: then the plain name is a family of several
    // foundries, so it comes more than once. A family whose own name ends in brackets does not
    // make its plain part a family: Qt would look that name up among its aliases.
    Families families;
    QHash<QString, QString> &registered = families.registered;
    const QStringList qtFamilies = QFontDatabase::families();
    registered.reserve(qtFamilies.size());
    QHash<QString, int> plainCount;
    for (const QString &family : qtFamilies) {
        registered.insert(family.toCaseFolded(), family);
        const qsizetype plain = withoutFoundry(family);
        if (plain > 0)
            ++plainCount[family.left(plain).toCaseFolded()];
    }
    for (const QString &family : qtFamilies) {
        const qsizetype plain = withoutFoundry(family);
        if (plain > 0 && plainCount.value(family.left(plain).toCaseFolded()) > 1)
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

// Set once every family has been gathered; from then on the gathering answers every name, until
// a font added for this run makes it stale.
std::optional<Families> &gatheredFamilies()
{
    static std::optional<Families> families;
    return families;
}
bool gathered = false;

const Families &allFamilies()
{
    std::optional<Families> &families = gatheredFamilies();
    if (!families)
        families = gatherFamilies();
    gathered = true;
    return *families;
}

// What resolvedFace has answered; a font added for this run may change any answer, a fallback's
// above all.
QHash<QString, Face> &resolvedFaces()
{
    static QHash<QString, Face> faces;
    return faces;
}

// Bumped by every font added for this run: a list made before is stale.
int fontsGeneration = 0;

// Families of fonts added for this run that an installed font of another foundry shares, by
// case-folded name, each with the name that asks Qt for the added font's foundry. The user opened
// the file to see its face: under the plain name Qt would draw the installed one.
QHash<QString, QString> &addedAhead()
{
    static QHash<QString, QString> names;
    return names;
}

// Qt decorates a family of several foundries in its list, "Name [foundry]", and reads such a
// name in a request as that foundry's; fontconfig holds the fonts added for this run apart.
void preferAddedFoundries(const QStringList &added)
{
    const QStringList qtFamilies = QFontDatabase::families();
    FcFontSet *set = FcConfigGetFonts(nullptr, FcSetApplication);
    for (int i = 0; set && i < set->nfont; ++i) {
        const char *foundry = patternString(set->fonts[i], FC_FOUNDRY, 0);
        for (const QString &family : patternStrings(set->fonts[i], FC_FAMILY)) {
            const QString decorated =
                family + QStringLiteral(" [%1]").arg(QString::fromUtf8(foundry));
            if (foundry && added.contains(family) && qtFamilies.contains(decorated))
                addedAhead().insert(family.toCaseFolded(), decorated);
        }
    }
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

// Whether Qt registers the k-th family name of a font as a family: the first name, and a further
// one in the same language whose style differs from the first's (a missing language or style
// counts as the first's).
bool registersFamily(FcPattern *font, int k)
{
    if (k == 0)
        return true;
    const char *language = patternString(font, FC_FAMILYLANG, 0);
    const char *style = patternString(font, FC_STYLE, 0);
    const char *otherLanguage = patternString(font, FC_FAMILYLANG, k);
    const char *otherStyle = patternString(font, FC_STYLE, k);
    return qstrcmp(otherLanguage ? otherLanguage : language, language) == 0 &&
           qstrcmp(otherStyle ? otherStyle : style, style) != 0;
}

// The answer the gathering of all family names gives for one name, settled among the fonts
// that carry that name, which fontconfig lists without going through every family: a name Qt
// registers is a first family name, or a further one with a style of its own, of a font that
// carries it, and any other name stands for a face of a font that carries it. Where those
// fonts cannot settle it, nothing: Qt's generic families and the names it gives a family of
// several foundries are no font's, Qt leaves variable fonts out, and where two spellings or two
// equally good faces are found, only the order of the whole listing chooses.
std::optional<std::optional<Face>> faceAmongFontsNamed(const QString &name)
{
    // Qt's own names for a family of several foundries, "Name [foundry]", are no font's.
    if (withoutFoundry(name) >= 0)
        return std::nullopt;
    const QString folded = name.toCaseFolded();
    for (const char *generic : {"serif", "sans serif", "monospace"}) {
        if (folded == QLatin1String(generic))
            return std::nullopt;
    }
    FcPattern *pattern = FcPatternCreate();
    const QByteArray utf8 = name.toUtf8();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(utf8.constData()));
    FcObjectSet *objects =
        FcObjectSetBuild(FC_FAMILY, FC_FAMILYLANG, FC_STYLE, FC_SLANT, FC_VARIABLE, nullptr);
    FcFontSet *set = FcFontList(nullptr, pattern, objects);
    FcPatternDestroy(pattern);
    FcObjectSetDestroy(objects);
    if (!set)
        return std::nullopt;

    // fontconfig matched ignoring blanks as well; only the fonts with this very name count.
    std::vector<FcPattern *> carriers;
    QString registeredAs;
    bool settled = true;
    for (int i = 0; i < set->nfont && settled; ++i) {
        FcPattern *font = set->fonts[i];
        const QStringList names = patternStrings(font, FC_FAMILY);
        // Qt lists the fonts that say they are not variable; one that says nothing is left out.
        FcBool variable = FcTrue;
        FcPatternGetBool(font, FC_VARIABLE, 0, &variable);
        for (int k = 0; k < int(names.size()) && settled; ++k) {
            if (names.at(k).toCaseFolded() != folded)
                continue;
            settled = !variable;
            if (settled && registersFamily(font, k)) {
                settled = registeredAs.isNull() || registeredAs == names.at(k);
                registeredAs = names.at(k);
            }
            if (carriers.empty() || carriers.back() != font)
                carriers.push_back(font);
        }
    }

    std::optional<std::optional<Face>> answer;
    if (settled && !registeredAs.isNull()) {
        answer = Face{requestable(registeredAs), {}};
    } else if (settled) {
        // Each carrier's first name is a family of Qt's, so the name is filed under it.
        Families families;
        QSet<QString> listed;
        for (FcPattern *font : carriers) {
            const QString first = patternStrings(font, FC_FAMILY).constFirst();
            families.registered.insert(first.toCaseFolded(), first);
        }
        for (FcPattern *font : carriers)
            addFont(families, font, listed);
        const auto found = families.byFoldedName.constFind(folded);
        if (found == families.byFoldedName.constEnd())
            answer = std::optional<Face>();
        else if (!found->tied)
            answer = found->face;
    }
    FcFontSetDestroy(set);
    return answer;
}

// The face a name stands for. Until every family has been gathered it is asked of the fonts
// that carry the name, so that finding the faces of the first window does not wait for the
// gathering; a lookup in the gathering is cheaper than a listing, so afterwards it answers.
std::optional<Face> faceNamed(const QString &name)
{
    if (!gathered) {
        if (std::optional<std::optional<Face>> settled = faceAmongFontsNamed(name))
            return *settled;
    }
    return allFamilies().face(name);
}

// Names are looked up among all names of all fonts, so that a face is found by any of its
// names, in any language, whichever one Qt registered under the current locale.
Face resolveUncached(const QString &requested)
{
    const auto added = addedAhead().constFind(requested.toCaseFolded());
    if (added != addedAhead().constEnd())
        return {*added, {}};
    if (std::optional<Face> known = faceNamed(requested))
        return *known;
    for (const QString &substitute : QFont::substitutes(requested)) {
        if (std::optional<Face> known = faceNamed(substitute))
            return *known;
    }
    for (const QString &name : fontconfigMatch(requested)) {
        if (std::optional<Face> known = faceNamed(name))
            return *known;
    }
    return {QGuiApplication::font().family(), {}};
}

} // namespace

const QStringList &SystemFonts::names() const
{
    if (m_names && m_generation == fontsGeneration)
        return *m_names;
    m_generation = fontsGeneration;
    QStringList names = allFamilies().listed;
    // Each name's collation key is made once; comparing keys orders the names as comparing the
    // names with the collator does, at a fraction of the cost for thousands of names.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<std::pair<QCollatorSortKey, QString>> keyed;
    keyed.reserve(static_cast<std::size_t>(names.size()));
    for (const QString &name : std::as_const(names))
        keyed.emplace_back(collator.sortKey(name), name);
    std::sort(keyed.begin(), keyed.end(),
              [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
    for (qsizetype i = 0; i < names.size(); ++i)
        names[i] = keyed[static_cast<std::size_t>(i)].second;
    m_names = std::move(names);
    return *m_names;
}

std::optional<QString> SystemFonts::font(int index) const
{
    const QStringList &all = names();
    if (index < 0 || index >= all.size())
        return std::nullopt;
    return all.at(index);
}

std::optional<Face> resolvedFace(const QString &requested)
{
    if (requested.isEmpty())
        return std::nullopt;
    QHash<QString, Face> &cache = resolvedFaces();
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

QStringList addFontData(const QByteArray &data)
{
    const int id = QFontDatabase::addApplicationFontFromData(data);
    if (id < 0)
        return {};
    gatheredFamilies().reset();
    resolvedFaces().clear();
    ++fontsGeneration;
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    preferAddedFoundries(families);
    return families;
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
