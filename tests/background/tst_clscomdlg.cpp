#include "background/clscomdlg.h"

#include "support/image_bytes.h"
#include "support/test_table.h"
#include "support/testmain.h"
#include "toolkit/window.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <tuple>

namespace {

const QString programFilter = QStringLiteral(
    "画像ファイル(*.bmp;*.gif;*.jpg;*.jpeg;*.ico;*.wmf;*.emf)|*.BMP;*.GIF;*.JPG;*.JPEG;*.ICO;"
    "*.WMF;*.EMF|全てのファイル(*.*)|*.*");

// A run of the dialog that picks the file and is left as the user chose.
clsComDlg::DialogRunner choosing(const QString &file, bool accepted = true)
{
    return [file, accepted](QFileDialog &dialog) {
        dialog.selectFile(file);
        return accepted;
    };
}

// The names the dialog's list shows once its folder has been read.
QStringList shownNames(QFileDialog &dialog)
{
    auto *view = dialog.findChild<QListView *>(QStringLiteral("listView"));
    if (!view)
        return {};
    QStringList names;
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(root); ++row) {
        if (!view->isRowHidden(row))
            names += view->model()->index(row, 0, root).data().toString();
    }
    names.sort();
    return names;
}

} // namespace

class TestClsComDlg : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void showsTheDialogAsked_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("acceptMode");
        QTest::newRow("1 open") << 1 << int(QFileDialog::AcceptOpen);
        QTest::newRow("2 save") << 2 << int(QFileDialog::AcceptSave);
    }
    void showsTheDialogAsked()
    {
        QFETCH(int, action);
        QFETCH(int, acceptMode);
        QWidget owner;
        owner.show();
        clsComDlg dlg;
        dlg.OwnerhWnd = toolkit::hWnd(&owner);
        dlg.DialogTitle = QStringLiteral("開く");
        dlg.Filter = programFilter;
        dlg.Flags = 4;
        dlg.DefaultExt = QStringLiteral("bmp");
        const QString chosen = writeFile(m_dir, QStringLiteral("a.bmp"), {});
        QVERIFY(!chosen.isEmpty());

        int runs = 0;
        dlg.setDialogRunner([&](QFileDialog &dialog) {
            ++runs;
            [&] {
                QCOMPARE(dialog.windowTitle(), QStringLiteral("開く"));
                QCOMPARE(int(dialog.acceptMode()), acceptMode);
                QCOMPARE(dialog.parentWidget(), &owner);
                QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog));
                QVERIFY(dialog.testOption(QFileDialog::HideNameFilterDetails));
                QCOMPARE(dialog.nameFilters().size(), 2);
                QVERIFY(dialog.defaultSuffix().isEmpty());
                auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
                QVERIFY(types);
                QCOMPARE(types->currentIndex(), 0);
                QCOMPARE(
                    types->itemText(0),
                    QStringLiteral("画像ファイル(*.bmp;*.gif;*.jpg;*.jpeg;*.ico;*.wmf;*.emf)"));
                QCOMPARE(types->itemText(1), QStringLiteral("全てのファイル(*.*)"));
            }();
            dialog.setDirectory(m_dir.path());
            dialog.selectFile(chosen);
            return true;
        });
        dlg.setAction(std::int16_t(action));
        QCOMPARE(runs, 1);
        QCOMPARE(dlg.FileName, chosen);
    }

    void cancelAfterChoiceEmptiesFileName()
    {
        clsComDlg dlg;
        const QString chosen = writeFile(m_dir, QStringLiteral("b.gif"), {});
        QVERIFY(!chosen.isEmpty());
        dlg.setDialogRunner(choosing(chosen));
        dlg.setAction(1);
        QCOMPARE(dlg.FileName, chosen);
        dlg.setDialogRunner(choosing(chosen, false));
        dlg.setAction(1);
        QCOMPARE(dlg.FileName, QString());
    }

    void otherActionsShowNothing_data()
    {
        QTest::addColumn<int>("action");
        QTest::newRow("0") << 0;
        QTest::newRow("3") << 3;
        QTest::newRow("-1") << -1;
    }
    void otherActionsShowNothing()
    {
        QFETCH(int, action);
        clsComDlg dlg;
        dlg.FileName = QStringLiteral("/earlier/choice.bmp");
        bool shown = false;
        dlg.setDialogRunner([&](QFileDialog &) { return shown = true; });
        dlg.setAction(std::int16_t(action));
        QVERIFY(!shown);
        QCOMPARE(dlg.FileName, QString());
    }

    void flagsShapeTheDialog_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("fileMode");
        QTest::addColumn<bool>("confirmOverwrite");
        QTest::newRow("open, hide read-only") << 1 << 4 << int(QFileDialog::AnyFile) << false;
        QTest::newRow("open, file must exist")
            << 1 << 0x1000 << int(QFileDialog::ExistingFile) << false;
        QTest::newRow("open, multi-select")
            << 1 << (0x200 | 0x1000) << int(QFileDialog::ExistingFiles) << false;
        QTest::newRow("save") << 2 << 0 << int(QFileDialog::AnyFile) << false;
        QTest::newRow("save, overwrite prompt") << 2 << 2 << int(QFileDialog::AnyFile) << true;
    }
    void flagsShapeTheDialog()
    {
        QFETCH(int, action);
        QFETCH(int, flags);
        QFETCH(int, fileMode);
        QFETCH(bool, confirmOverwrite);
        clsComDlg dlg;
        dlg.Flags = flags;
        int seenMode = -1;
        bool seenConfirm = false;
        dlg.setDialogRunner([&](QFileDialog &dialog) {
            seenMode = int(dialog.fileMode());
            seenConfirm = !dialog.testOption(QFileDialog::DontConfirmOverwrite);
            return false;
        });
        dlg.setAction(std::int16_t(action));
        QCOMPARE(seenMode, fileMode);
        if (action == 2)
            QCOMPARE(seenConfirm, confirmOverwrite);
    }

    // With several files chosen, the first one's full path comes back, not their folder.
    void multiSelectGivesFirstFile()
    {
        const QString first = writeFile(m_dir, QStringLiteral("m1.bmp"), {});
        QVERIFY(!first.isEmpty() && !writeFile(m_dir, QStringLiteral("m2.bmp"), {}).isEmpty());
        clsComDlg dlg;
        dlg.Flags = 0x200 | 0x1000 | 4;
        dlg.setDialogRunner([&](QFileDialog &dialog) {
            dialog.setDirectory(m_dir.path());
            dialog.selectFile(QStringLiteral("\"m1.bmp\" \"m2.bmp\""));
            return dialog.selectedFiles().size() == 2;
        });
        dlg.setAction(1);
        QCOMPARE(dlg.FileName, first);
    }

    void pathMustExist_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("path must exist") << 0x800 << false;
        QTest::newRow("any path") << 0 << true;
    }
    void pathMustExist()
    {
        QFETCH(int, flags);
        QFETCH(bool, accepted);
        clsComDlg dlg;
        dlg.Flags = flags;
        const QString missing = m_dir.filePath(QStringLiteral("no-such-folder/new.bmp"));
        dlg.setDialogRunner([&](QFileDialog &dialog) {
            dialog.selectFile(missing);
            QMetaObject::invokeMethod(&dialog, "accept");
            return dialog.result() == QDialog::Accepted;
        });
        dlg.setAction(2);
        QCOMPARE(dlg.FileName, accepted ? missing : QString());
    }

    // No length limit and no code page in the way.
    void longJapanesePathComesBackWhole()
    {
        QString name;
        for (int i = 0; i < 4; ++i)
            name += QStringLiteral("とても長いフォルダの名前です・背景画像を置く場所/");
        const QString chosen = writeFile(m_dir, name + QStringLiteral("背景画像.BMP"), {});
        QVERIFY(QFile::encodeName(chosen).size() > 255);
        clsComDlg dlg;
        dlg.setDialogRunner(choosing(chosen));
        dlg.setAction(1);
        QCOMPARE(dlg.FileName, chosen);
    }

    // The image type shows photo.JPG and photo.jpg alike; all files shows the rest too.
    void listShowsImagesInAnyCase()
    {
        QTemporaryDir folder;
        for (const char *name : {"photo.JPG", "photo.jpg", "Clip.Emf", "notes.txt", "README"})
            QVERIFY(!writeFile(folder, QString::fromLatin1(name), {}).isEmpty());
        clsComDlg dlg;
        dlg.Filter = programFilter;
        dlg.Flags = 4;
        QStringList images;
        QStringList all;
        dlg.setDialogRunner([&](QFileDialog &dialog) {
            dialog.setDirectory(folder.path());
            dialog.show();
            [&] {
                QTRY_COMPARE_WITH_TIMEOUT(shownNames(dialog).size(), 3, 10000);
                images = shownNames(dialog);
                dialog.selectNameFilter(dialog.nameFilters().at(1));
                QTRY_COMPARE_WITH_TIMEOUT(shownNames(dialog).size(), 5, 10000);
                all = shownNames(dialog);
            }();
            return false;
        });
        dlg.setAction(1);
        QCOMPARE(images, (QStringList{"Clip.Emf", "photo.JPG", "photo.jpg"}));
        QCOMPARE(all, (QStringList{"Clip.Emf", "README", "notes.txt", "photo.JPG", "photo.jpg"}));
    }

    // The dialog as the user meets it: texts typed into the name box, each ended by Enter.
    void typingIntoTheDialog_data()
    {
        QVERIFY(addTestRows(QStringLiteral("file-dialog/typing.json")));
    }
    void typingIntoTheDialog()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, chosen);
        QFETCH(QStringList, listed);
        QTemporaryDir folder;
        for (const char *name : {"typed.bmp", "sub dir/in.bmp", "b.gif", "c.GIF", "d.bmp"})
            QVERIFY(!writeFile(folder, QString::fromUtf8(name), {}).isEmpty());
        typed.replaceInStrings(QStringLiteral("%1"), folder.path());
        typed.replaceInStrings(QStringLiteral("%2"), QDir::home().relativeFilePath(folder.path()));
        QWidget owner;
        owner.show();
        clsComDlg dlg;
        dlg.OwnerhWnd = toolkit::hWnd(&owner);
        dlg.Filter = programFilter;
        dlg.Flags = 4;
        QStringList shown;
        // Should the keys go astray, the dialog is closed rather than left waiting.
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, [] {
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        });
        guard.start(20000);
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            auto *edit = dialog ? dialog->findChild<QLineEdit *>("fileNameEdit") : nullptr;
            if (!edit)
                return;
            dialog->setDirectory(folder.path());
            // As on a desktop: the dialog is the active window and the name box has the focus.
            dialog->activateWindow();
            if (!QTest::qWaitForWindowActive(dialog))
                return;
            for (const QString &text : typed) {
                edit->setFocus();
                QTest::keyClicks(edit, text);
                QTest::keyClick(edit, Qt::Key_Return);
            }
            if (dialog->isVisible()) {
                // The list fills in the background: what it shows once it matches, or at last.
                std::ignore =
                    QTest::qWaitFor([&] { return (shown = shownNames(*dialog)) == listed; });
                dialog->reject();
            }
        });
        dlg.setAction(1);
        QCOMPARE(dlg.FileName, chosen.isEmpty() ? chosen : folder.filePath(chosen));
        QCOMPARE(shown, listed);
    }

    // Every pattern a type is given is honoured, spaces and any characters included.
    void typeListsWhatItsPatternsMatch_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("non-ASCII") << "K|*.画" << QStringList{"c.画"};
        QTest::newRow("space") << "S|*.my file;README" << QStringList{"README", "f.my file"};
    }
    void typeListsWhatItsPatternsMatch()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, listed);
        QTemporaryDir folder;
        for (const char *name :
             {"photo.JPG", "photo.jpg", "Clip.Emf", "c.画", "f.my file", "README"})
            QVERIFY(!writeFile(folder, QString::fromUtf8(name), {}).isEmpty());
        clsComDlg dlg;
        dlg.Filter = filter;
        QStringList shown;
        dlg.setDialogRunner([&](QFileDialog &dialog) {
            dialog.setDirectory(folder.path());
            dialog.show();
            std::ignore = QTest::qWaitFor([&] { return (shown = shownNames(dialog)) == listed; });
            return false;
        });
        dlg.setAction(1);
        QCOMPARE(shown, listed);
    }
};

TYPORAMA_TEST_MAIN(TestClsComDlg)
#include "tst_clscomdlg.moc"
