#include "support/test_fonts.h"

#include <QFile>

QString testFont(const char *name)
{
    return QStringLiteral(TYPORAMA_TEST_FONTS "/") + QLatin1String(name);
}

bool addFontFolder(const QString &folder)
{
    QFile config(folder + QLatin1String("/fonts.conf"));
    if (!config.open(QIODevice::WriteOnly))
        return false;
    config.write(
        QStringLiteral("<?xml version=\"1.0\"?>\n<fontconfig>\n"
                       "  <cachedir>%1/cache</cachedir>\n"
                       "  <include ignore_missing=\"yes\">/etc/fonts/fonts.conf</include>\n"
                       "  <dir>%1</dir>\n</fontconfig>\n")
            .arg(folder)
            .toUtf8());
    qputenv("FONTCONFIG_FILE", QFile::encodeName(config.fileName()));
    return true;
}
