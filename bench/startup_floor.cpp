// The least a start-up like the program's can cost: a Qt Widgets application that reads the
// same fontconfig families into a list and shows an empty window of the given size titled
// "Typorama", then runs its event loop. With "fontdb", it also has Qt load its own font
// database, which any window that draws a caption needs and an empty window does not.
//
//   startup_floor WIDTH HEIGHT [fontdb]

#include <QApplication>
#include <QFontDatabase>
#include <QSet>
#include <QStringList>
#include <QWidget>

#include <fontconfig/fontconfig.h>

namespace {

QStringList fontconfigFamilies()
{
    QStringList names;
    QSet<QString> seen;
    FcObjectSet *objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcPattern *all = FcPatternCreate();
    if (FcFontSet *set = FcFontList(nullptr, all, objects)) {
        for (int i = 0; i < set->nfont; ++i) {
            FcChar8 *value = nullptr;
            for (int n = 0;
                 FcPatternGetString(set->fonts[i], FC_FAMILY, n, &value) == FcResultMatch; ++n) {
                const QString name = QString::fromUtf8(reinterpret_cast<const char *>(value));
                if (!seen.contains(name)) {
                    seen.insert(name);
                    names << name;
                }
            }
        }
        FcFontSetDestroy(set);
    }
    FcPatternDestroy(all);
    FcObjectSetDestroy(objects);
    return names;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int width = arguments.size() > 2 ? arguments.at(1).toInt() : 433;
    const int height = arguments.size() > 2 ? arguments.at(2).toInt() : 342;
    const QStringList families = fontconfigFamilies();
    QWidget window;
    window.setFixedSize(width, height);
    window.setWindowTitle(QStringLiteral("Typorama"));
    window.setProperty("families", families);
    if (arguments.size() > 3 && arguments.at(3) == QLatin1String("fontdb"))
        window.setProperty("qtFamilies", QFontDatabase::families());
    window.show();
    return QApplication::exec();
}
