#include "app/form1.h"
#include "background/clscomdlg.h"
#include "support/loadedform.h"
#include "support/testmain.h"
#include "toolkit/combobox.h"
#include "toolkit/textbox.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <functional>
#include <memory>

namespace {

// The texts of the visible labels, buttons (tooltips too), menu entries and list headers of a
// window.
QStringList shownTexts(const QWidget &window)
{
    QStringList texts;
    for (const QLabel *label : window.findChildren<QLabel *>()) {
        if (label->isVisibleTo(&window))
            texts << label->text();
    }
    for (const QAbstractButton *button : window.findChildren<QAbstractButton *>()) {
        if (button->isVisibleTo(&window))
            texts << button->text() << button->toolTip();
    }
    for (const QAction *action : window.findChildren<QAction *>()) {
        if (!action->isSeparator())
            texts << action->text();
    }
    for (const QHeaderView *header : window.findChildren<QHeaderView *>()) {
        for (int section = 0; header->isVisibleTo(&window) && section < header->count(); ++section)
            texts << header->model()->headerData(section, header->orientation()).toString();
    }
    texts.removeAll(QString());
    return texts;
}

// The texts that still hold an English word once the accelerator ("(&U)") and the key
// shortcut ("\tCtrl+Z") are taken away. "OK" is the Japanese button text as well.
QStringList english(const QStringList &texts)
{
    static const QRegularExpression accelerator(QStringLiteral("\\(&\\w\\)|\\t.*$|&"));
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    QStringList found;
    for (const QString &text : texts) {
        if (text != QLatin1String("OK") && QString(text).remove(accelerator).contains(word))
            found << text;
    }
    return found;
}

using Opener = std::function<QStringList(Form1 &)>;

} // namespace

Q_DECLARE_METATYPE(Opener)

// Qt's own texts inside the program's windows are Japanese, whatever the locale.
class TestQtTexts : public QObject
{
    Q_OBJECT
private slots:
    void areJapanese_data();
    void areJapanese();
};

void TestQtTexts::areJapanese_data()
{
    QTest::addColumn<Opener>("open");
    QTest::newRow("colour box context menu") << Opener([](Form1 &form) {
        const std::unique_ptr<QMenu> menu(form.TextC[0]->createStandardContextMenu());
        return shownTexts(*menu);
    });
    QTest::newRow("font box context menu") << Opener([](Form1 &form) {
        const std::unique_ptr<QMenu> menu(form.Combo1->lineEdit()->createStandardContextMenu());
        return shownTexts(*menu);
    });
    QTest::newRow("open-file dialog") << Opener([](Form1 &form) {
        QStringList texts;
        form.Dlg->setDialogRunner([&texts](QFileDialog &dialog) {
            dialog.show();
            texts = shownTexts(dialog);
            return false;
        });
        form.Command2_Click();
        return texts;
    });
    // The type column names a folder, and every column is wide enough for what it shows.
    QTest::newRow("open-file dialog's detail view") << Opener([](Form1 &form) {
        QStringList texts;
        QTemporaryDir folder;
        form.Dlg->setDialogRunner([&](QFileDialog &dialog) {
            QDir(folder.path()).mkdir(QStringLiteral("sub"));
            dialog.setDirectory(folder.path());
            dialog.setViewMode(QFileDialog::Detail);
            dialog.show();
            QTreeView *view = dialog.findChild<QTreeView *>(QStringLiteral("treeView"));
            const QAbstractItemView *items = view;
            const auto type = [view] { return view->model()->index(0, 2, view->rootIndex()); };
            if (!QTest::qWaitFor([&] { return type().data().isValid(); }))
                return false;
            texts = shownTexts(dialog) << type().data().toString();
            for (int column = 1; column < 4; ++column) {
                if (view->header()->sectionSize(column) < items->sizeHintForColumn(column))
                    texts << QStringLiteral("column %1 cut short").arg(column);
            }
            return false;
        });
        form.Command2_Click();
        return texts;
    });
    QTest::newRow("message box") << Opener([](Form1 &form) {
        QMessageBox box(QMessageBox::Warning, form.windowTitle(), QStringLiteral("テスト"),
                        QMessageBox::Ok | QMessageBox::Cancel, &form);
        box.show();
        return shownTexts(box);
    });
}

void TestQtTexts::areJapanese()
{
    QFETCH(Opener, open);
    LoadedForm form;
    const QStringList texts = open(*form);
    QVERIFY(texts.size() >= 2);
    QVERIFY2(english(texts).isEmpty(), qPrintable(english(texts).join(QStringLiteral(" | "))));
}

TYPORAMA_TEST_MAIN(TestQtTexts)
#include "tst_qt_texts.moc"
