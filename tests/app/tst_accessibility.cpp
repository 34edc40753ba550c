#include "app/form1.h"
#include "support/fakefonts.h"
#include "support/test_table.h"
#include "support/testmain.h"
#include "toolkit/scrollbar.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QMetaEnum>
#include <QTest>

// What assistive technology sees of the main window: every control with a name and a role.
class Accessibility : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void everyControlHasItsNameAndRole_data();
    void everyControlHasItsNameAndRole();
    void sizeBarReportsItsValue();

private:
    QMultiHash<QString, QAccessible::Role> m_seen;
    FakeFonts m_fonts{{QStringLiteral("IPAPGothic")}};
    std::unique_ptr<Form1> m_form;
};

namespace {

void walk(QAccessibleInterface *node, QMultiHash<QString, QAccessible::Role> &seen, int depth = 0)
{
    if (!node || depth > 20)
        return;
    if (!node->state().invisible)
        seen.insert(node->text(QAccessible::Name), node->role());
    for (int i = 0; i < node->childCount(); ++i)
        walk(node->child(i), seen, depth + 1);
}

} // namespace

void Accessibility::initTestCase()
{
    m_form = std::make_unique<Form1>(m_fonts);
    m_form->Form_Load();
    QAccessible::setActive(true);
    walk(QAccessible::queryAccessibleInterface(m_form.get()), m_seen);
}

void Accessibility::everyControlHasItsNameAndRole_data()
{
    QVERIFY(addTestRows(QStringLiteral("accessibility/controls.json")));
}

void Accessibility::everyControlHasItsNameAndRole()
{
    QFETCH(QString, name);
    QFETCH(QString, role);
    // A role the enumeration does not know is -1, which no control has.
    const int wanted = QMetaEnum::fromType<QAccessible::Role>().keyToValue(qPrintable(role));
    QVERIFY2(m_seen.contains(name), qPrintable(name));
    QVERIFY2(
        m_seen.values(name).contains(QAccessible::Role(wanted)),
        qPrintable(QStringLiteral("%1 has roles %2").arg(name).arg(m_seen.values(name).size())));
}

void Accessibility::sizeBarReportsItsValue()
{
    QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(m_form->HScroll1);
    QVERIFY(bar && bar->valueInterface());
    QCOMPARE(bar->valueInterface()->currentValue().toInt(), 36);
    QCOMPARE(bar->valueInterface()->minimumValue().toInt(), 1);
    QCOMPARE(bar->valueInterface()->maximumValue().toInt(), 72);
}

TYPORAMA_TEST_MAIN(Accessibility)
#include "tst_accessibility.moc"
