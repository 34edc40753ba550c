#include "app/form1.h"
#include "support/fakefonts.h"
#include "support/testmain.h"
#include "toolkit/scrollbar.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
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
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("role");
    const auto row = [](const char *name, QAccessible::Role role) {
        QTest::newRow(name) << QString::fromUtf8(name) << int(role);
    };
    row("Typorama", QAccessible::Window);
    row("バージョン情報(A)", QAccessible::MenuItem);
    for (const char *frame :
         {"背景の色", "文字の色", "色指定方法", "フォントネーム", "サイズ、形", "バック画像"})
        row(frame, QAccessible::Grouping);
    for (const char *box :
         {"背景の色 赤", "背景の色 緑", "背景の色 青", "文字の色 赤", "文字の色 緑", "文字の色 青"})
        row(box, QAccessible::EditableText);
    for (const char *label : {"赤：", "緑：", "青：", "36", "Aaあぁアァ亜宇"})
        row(label, QAccessible::StaticText);
    row("10進数で指定(0〜255)", QAccessible::RadioButton);
    row("16進数で指定(0〜FF)", QAccessible::RadioButton);
    // On Linux a combo box is read by its text; its edit field carries the name.
    row("ＭＳ Ｐゴシック", QAccessible::ComboBox);
    QTest::newRow("フォントネーム field")
        << QStringLiteral("フォントネーム") << int(QAccessible::EditableText);
    row("切り替え", QAccessible::Button);
    row("文字サイズ", QAccessible::ScrollBar);
    for (const char *check : {"太字", "斜体", "下線", "取り消し線"})
        row(check, QAccessible::CheckBox);
    row("読込", QAccessible::Button);
    row("消去", QAccessible::Button);
    row("プレビュー", QAccessible::Graphic);
}

void Accessibility::everyControlHasItsNameAndRole()
{
    QFETCH(QString, name);
    QFETCH(int, role);
    QVERIFY2(m_seen.contains(name), qPrintable(name));
    QVERIFY2(
        m_seen.values(name).contains(QAccessible::Role(role)),
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
