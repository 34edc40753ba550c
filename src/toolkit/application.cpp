#include "toolkit/application.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QPointer>
#include <QSettings>
#include <QTranslator>

#include <memory>

namespace toolkit {

Q_LOGGING_CATEGORY(lcApplication, "typorama.application")

namespace {

// Qt's file dialog keeps its history, last folder and view in the user's settings file and
// starts in that folder next time. The program keeps no settings and writes nothing, so the
// user-scope settings of Qt live where no file can be read or created: a device, not a folder.
void keepNoSettings()
{
    const QString nowhere = QStringLiteral("/dev/null");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
}

// Loads and installs a catalogue owned by the application; false when it cannot be read.
bool installCatalogue(const QString &name, const QString &folder)
{
    auto catalogue = std::make_unique<QTranslator>();
    if (!catalogue->load(name, folder))
        return false;
    catalogue->setParent(QCoreApplication::instance());
    QCoreApplication::installTranslator(catalogue.release());
    return true;
}

} // namespace

void initialiseApplication()
{
    // Set once per application, so a later application readies itself again.
    static QPointer<QCoreApplication> readied;
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || readied == application)
        return;
    readied = application;
    keepNoSettings();
    // Without the catalogue (the package is a dependency) Qt's texts stay English.
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!installCatalogue(QStringLiteral("qtbase_ja"), folder))
        qCWarning(lcApplication, "No Japanese catalogue of Qt's own texts in %s",
                  qPrintable(folder));
    // Installed last, so it is asked first: the texts Qt's catalogue lacks, built into the
    // program.
    if (!installCatalogue(QStringLiteral("qt_extra_ja"), QStringLiteral(":/translations")))
        qCWarning(lcApplication, "The program's own Japanese catalogue is missing");
}

} // namespace toolkit
