#include "support/testmain.h"
#include "toolkit/combobox.h"

#include <QAbstractItemView>
#include <QScreen>
#include <QTest>

// The open list of a narrow font box.
class ComboBoxList : public QObject
{
    Q_OBJECT
private slots:
    void showsEveryNameWhole_data();
    void showsEveryNameWhole();
};

void ComboBoxList::showsEveryNameWhole_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("fits");
    QTest::newRow("condensed faces") << QStringList{QStringLiteral("DejaVu Sans Condensed"),
                                                    QStringLiteral("DejaVu Serif Condensed")}
                                     << true;
    QStringList many;
    for (int i = 0; i < 40; ++i)
        many << QStringLiteral("Noto Sans Canadian Aboriginal %1").arg(i);
    QTest::newRow("more than fit, with a scroll bar") << many << true;
    // Joined letters draw narrower than their letters added up: the joined name with the
    // largest sum is not the widest as drawn, the plain one after it is.
    QTest::newRow("joined letters")
        << QStringList{QString(40, QChar(0x0645)), QStringLiteral("W").repeated(26),
                       QStringLiteral("ffi").repeated(10), QStringLiteral("e\u0301").repeated(8)}
        << true;
    QTest::newRow("wider than the screen")
        << QStringList{QStringLiteral("Face ").repeated(400), QStringLiteral("A")} << false;
}

void ComboBoxList::showsEveryNameWhole()
{
    QFETCH(QStringList, names);
    QFETCH(bool, fits);
    QWidget window;
    toolkit::ComboBox box(&window);
    box.setGeometry(8, 16, 145, 20);
    for (const QString &name : names)
        box.addItem(name);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    box.showPopup();
    QAbstractItemView *list = box.view();
    QVERIFY(QTest::qWaitForWindowExposed(list->window()));
    const QRect screen = box.screen()->availableGeometry();
    const QRect popup = list->window()->frameGeometry();
    QVERIFY2(popup.width() <= screen.width(),
             qPrintable(QStringLiteral("popup %1 px wide").arg(popup.width())));
    const int shown = list->viewport()->width();
    int widest = 0;
    for (int row = 0; row < names.size(); ++row) {
        const QModelIndex index = list->model()->index(row, 0);
        const int needed = list->sizeHintForIndex(index).width();
        widest = qMax(widest, needed);
        QCOMPARE(needed <= shown, fits || row > 0);
    }
    // No wider than the widest name either, unless the box itself is wider.
    if (fits)
        QVERIFY2(shown == widest || shown <= box.width(), qPrintable(QString::number(shown)));
    box.hidePopup();
}

TYPORAMA_TEST_MAIN(ComboBoxList)
#include "tst_combobox.moc"
