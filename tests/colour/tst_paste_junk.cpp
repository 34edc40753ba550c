// Pastes of a megabyte into a colour box and long runs of base switches: each ends soon, leaves
// the box holding a text of its base within the cap, and the window working.
#include "app/form1.h"
#include "colour/channel_text.h"
#include "support/loadedform.h"
#include "support/testmain.h"
#include "toolkit/label.h"
#include "toolkit/picturebox.h"
#include "toolkit/textbox.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTest>

namespace {

constexpr qsizetype megabyte = 1024 * 1024;

enum class Content { Digits, Letters, Junk };

// A megabyte of text: every character below U+0800 is at most two bytes in UTF-8, the
// clipboard's form, and the junk mixes in three-byte ones, so each text is a megabyte or more.
QString megabyteOf(Content content)
{
    QRandomGenerator random(20240607);
    QString text;
    text.reserve(megabyte);
    static const QString junk = QStringLiteral("0123456789abcdefxyzXYZ .,+-eE\t\n\r\\\"'%&#@!"
                                               "亜宇あぁアァ０１２ＦＦ\u00A0\u200B\u0000\uFFFD");
    while (text.size() < megabyte) {
        switch (content) {
        case Content::Digits:
            text += QChar(u'0' + random.bounded(10));
            break;
        case Content::Letters:
            // Past f, so that no letter is a hexadecimal digit.
            text += QChar(u'g' + random.bounded(20));
            break;
        case Content::Junk:
            text += junk.at(random.bounded(junk.size()));
            break;
        }
    }
    return text;
}

void pasteOver(toolkit::TextBox *box, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    box->selectAll();
    box->paste();
}

} // namespace

class PasteJunk : public QObject
{
    Q_OBJECT
private slots:

    void megabytePaste_data()
    {
        QTest::addColumn<bool>("decimal");
        QTest::addColumn<int>("content");
        QTest::addColumn<QString>("expected");
        // Digits read far past the cap; letters read as 0, which a decimal box rewrites and a
        // hexadecimal one keeps as pasted (as far as the box takes it).
        QTest::newRow("digits, decimal") << true << int(Content::Digits) << "255";
        QTest::newRow("letters, decimal") << true << int(Content::Letters) << "0";
        QTest::newRow("junk, decimal") << true << int(Content::Junk) << QString();
        QTest::newRow("digits, hexadecimal") << false << int(Content::Digits) << "FF";
        QTest::newRow("letters, hexadecimal") << false << int(Content::Letters) << QString();
        QTest::newRow("junk, hexadecimal") << false << int(Content::Junk) << QString();
    }
    void megabytePaste()
    {
        QFETCH(bool, decimal);
        QFETCH(int, content);
        QFETCH(QString, expected);
        LoadedForm form;
        if (!decimal)
            form->Option4->click();
        toolkit::TextBox *box = form->TextC[0];
        const QString pasted = megabyteOf(Content(content));
        QVERIFY(pasted.toUtf8().size() >= megabyte);

        QElapsedTimer clock;
        clock.start();
        pasteOver(box, pasted);
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));

        const QString text = box->text();
        if (!expected.isEmpty())
            QCOMPARE(text, expected);
        const double value = decimal ? colour::readDecimal(text) : colour::readHex(text);
        QVERIFY(value <= colour::channelCap);
        // A decimal box always ends in its shortest form; a hexadecimal one keeps what it was
        // given, as far as it takes it, unless that was past the cap.
        if (decimal)
            QCOMPARE(colour::shortestDecimal(value), std::optional<QString>(text));
        else
            QVERIFY(text == QStringLiteral("FF") || (!text.isEmpty() && pasted.startsWith(text)));
        if (!decimal) {
            QCOMPARE(form->Picture1->backColor(),
                     colour::hexColourOf(text, form->TextC[1]->text(), form->TextC[2]->text()));
        }

        // The box goes on taking typing.
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("7"));
        QCOMPARE(box->text(), QStringLiteral("7"));
        QCOMPARE(form->Picture1->backColor(), QColor(7, 255, 255));
    }

    // The switch rewrites the six boxes there and back; after an even number of switches they
    // hold what they held, in the same colours.
    void tenThousandSwitches_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("start-up values") << QStringList{"255", "255", "255", "0", "0", "0"};
        QTest::newRow("mixed values") << QStringList{"1", "200", "17", "99", "254", "0"};
    }
    void tenThousandSwitches()
    {
        QFETCH(QStringList, texts);
        LoadedForm form;
        for (int i = 0; i < 3; ++i) {
            form->TextC[i]->setText(texts[i]);
            form->TextCM[i]->setText(texts[3 + i]);
        }
        const QColor back = form->Picture1->backColor();
        const QColor fore = form->Label1->foreColor();

        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 5000; ++i) {
            form->Option4->click();
            form->Option3->click();
        }
        QVERIFY2(clock.elapsed() < 60000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(form->DecimalMode);
        QCOMPARE(channelTexts(*form), texts);
        QCOMPARE(form->Picture1->backColor(), back);
        QCOMPARE(form->Label1->foreColor(), fore);
    }
};

TYPORAMA_TEST_MAIN(PasteJunk)
#include "tst_paste_junk.moc"
