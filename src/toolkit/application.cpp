#include "toolkit/application.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace toolkit {

void initialiseApplication()
{
    // Owned by the application, so a later application loads its own.
    static QPointer<QTranslator> japanese;
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || japanese)
        return;
    japanese = new QTranslator(application);
    // Without the catalogue (the package is a dependency) Qt's texts stay English.
    if (japanese->load(QStringLiteral("qtbase_ja"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(japanese);
}

} // namespace toolkit
