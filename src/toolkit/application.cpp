#include "toolkit/application.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QPointer>
#include <QTranslator>

namespace toolkit {

Q_LOGGING_CATEGORY(lcApplication, "typorama.application")

void initialiseApplication()
{
    // Owned by the application, so a later application loads its own.
    static QPointer<QTranslator> japanese;
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || japanese)
        return;
    japanese = new QTranslator(application);
    // Without the catalogue (the package is a dependency) Qt's texts stay English.
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (japanese->load(QStringLiteral("qtbase_ja"), folder))
        QCoreApplication::installTranslator(japanese);
    else
        qCWarning(lcApplication, "No Japanese catalogue of Qt's own texts in %s",
                  qPrintable(folder));
}

} // namespace toolkit
