#include "app/program.h"
#include "support/fakefonts.h"
#include "toolkit/application.h"

#include <QApplication>
#include <QThread>

namespace {

// Reading a name takes a tenth of a millisecond, as on a slow machine with a cold font
// cache, so that the 20,000 names keep the listing going for seconds.
class SlowFonts : public FakeFonts
{
public:
    using FakeFonts::FakeFonts;
    std::optional<QString> font(int index) const override
    {
        QThread::usleep(100);
        return FakeFonts::font(index);
    }
};

} // namespace

// The program as it starts on a machine with 20,000 more font families than this one: the
// installed families, then as many made-up names, listed slowly enough to be watched and
// interrupted.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    toolkit::initialiseApplication();
    fonts::initialiseFonts();
    const fonts::SystemFonts installed;
    QStringList names;
    for (int i = 0; i < installed.fontCount(); ++i)
        names << installed.font(i).value_or(QString());
    for (int i = 0; i < 20000; ++i)
        names << QStringLiteral("Extra Face %1").arg(i, 5, 10, QLatin1Char('0'));
    const SlowFonts fonts(names);
    return runProgram(fonts);
}
