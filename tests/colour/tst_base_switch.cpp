#include "app/form1.h"
#include "support/loadedform.h"
#include "support/test_table.h"
#include "support/testmain.h"
#include "toolkit/label.h"
#include "toolkit/picture.h"
#include "toolkit/picturebox.h"
#include "toolkit/textbox.h"

#include <QElapsedTimer>
#include <QRadioButton>
#include <QTest>

namespace {

const QColor tileColour(10, 200, 30);

// A one-pixel picture in the holder: whatever Byouga paints fills the canvas with it.
void loadTile(Form1 &form)
{
    QImage image(1, 1, QImage::Format_RGB32);
    image.fill(tileColour);
    form.Picture2->setPicture(toolkit::Picture(image));
}

QColor canvasCentre(Form1 &form)
{
    const QImage shown = form.Picture1->surfaceImage();
    return shown.pixelColor(shown.width() / 2, shown.height() / 2);
}

} // namespace

class BaseSwitch : public QObject
{
    Q_OBJECT
private slots:
    void initialTextsToHexAndBack();
    void thereAndBack_data();
    void thereAndBack();
    void clickOnBaseInForce_data();
    void clickOnBaseInForce();
    void tilesAreRedrawnAfterTheRewrites_data();
    void tilesAreRedrawnAfterTheRewrites();
    void tenThousandSwitches_data();
    void tenThousandSwitches();
};

void BaseSwitch::initialTextsToHexAndBack()
{
    LoadedForm form;
    form->Option4->click();
    QVERIFY(!form->DecimalMode);
    QCOMPARE(channelTexts(*form), QStringList({"FF", "FF", "FF", "0", "0", "0"}));
    QCOMPARE(form->Picture1->backColor(), QColor(Qt::white));
    QCOMPARE(form->Label1->foreColor(), QColor(Qt::black));
    form->Option3->click();
    QVERIFY(form->DecimalMode);
    QCOMPARE(channelTexts(*form), QStringList({"255", "255", "255", "0", "0", "0"}));
    QCOMPARE(form->Picture1->backColor(), QColor(Qt::white));
    QCOMPARE(form->Label1->foreColor(), QColor(Qt::black));
}

void BaseSwitch::thereAndBack_data()
{
    QVERIFY(addTestRows(QStringLiteral("base-switch/there-and-back.json")));
}

void BaseSwitch::thereAndBack()
{
    QFETCH(bool, decimal);
    QFETCH(QString, text);
    QFETCH(QString, switched);
    QFETCH(QString, back);
    QFETCH(int, channel);
    LoadedForm form;
    useBase(*form, decimal);
    // The same value in the green of both groups; the rest keeps its initial values.
    pasteOver(form->TextC[1], text);
    pasteOver(form->TextCM[1], text);
    QCOMPARE(form->TextC[1]->text(), text);
    QCOMPARE(form->TextCM[1]->text(), text);
    const QColor back0 = form->Picture1->backColor();
    const QColor fore0 = form->Label1->foreColor();

    useBase(*form, !decimal);
    QCOMPARE(form->DecimalMode, !decimal);
    QCOMPARE(form->TextC[1]->text(), switched);
    QCOMPARE(form->TextCM[1]->text(), switched);
    QCOMPARE(form->Picture1->backColor(), QColor(255, channel, 255));
    QCOMPARE(form->Label1->foreColor(), QColor(0, channel, 0));
    // A box that held a value shows the same colour in the new base.
    if (!text.isEmpty()) {
        QCOMPARE(form->Picture1->backColor(), back0);
        QCOMPARE(form->Label1->foreColor(), fore0);
    }

    useBase(*form, decimal);
    QCOMPARE(form->DecimalMode, decimal);
    QCOMPARE(form->TextC[1]->text(), back);
    QCOMPARE(form->TextCM[1]->text(), back);
    QCOMPARE(form->Picture1->backColor(), QColor(255, channel, 255));
    QCOMPARE(form->Label1->foreColor(), QColor(0, channel, 0));
}

void BaseSwitch::clickOnBaseInForce_data()
{
    QVERIFY(addTestRows(QStringLiteral("base-switch/click-on-base-in-force.json")));
}

void BaseSwitch::clickOnBaseInForce()
{
    QFETCH(bool, decimal);
    QFETCH(QStringList, texts);
    LoadedForm form;
    useBase(*form, decimal);
    for (int i = 0; i < 3; ++i) {
        pasteOver(form->TextC[i], texts[i]);
        pasteOver(form->TextCM[i], texts[i + 3]);
    }
    QCOMPARE(channelTexts(*form), texts);
    loadTile(*form);
    form->Picture1->setBackColor(Qt::blue);
    QCOMPARE(canvasCentre(*form), QColor(Qt::blue));

    useBase(*form, decimal);
    QCOMPARE(channelTexts(*form), texts);
    QCOMPARE(form->DecimalMode, decimal);
    QCOMPARE(form->Option3->isChecked(), decimal);
    QCOMPARE(canvasCentre(*form), tileColour);
}

void BaseSwitch::tilesAreRedrawnAfterTheRewrites_data()
{
    QTest::addColumn<bool>("toDecimal");
    QTest::newRow("to hexadecimal") << false;
    QTest::newRow("to decimal") << true;
}

void BaseSwitch::tilesAreRedrawnAfterTheRewrites()
{
    QFETCH(bool, toDecimal);
    LoadedForm form;
    useBase(*form, !toDecimal);
    loadTile(*form);
    // The rewrites of the background boxes set the canvas colour, which erases the canvas;
    // the tiles must come after them.
    useBase(*form, toDecimal);
    QCOMPARE(form->TextC[0]->text(), toDecimal ? QStringLiteral("255") : QStringLiteral("FF"));
    QCOMPARE(canvasCentre(*form), tileColour);
    QCOMPARE(form->Picture1->backColor(), QColor(Qt::white));
}

// The switch rewrites the six boxes there and back; after an even number of switches they
// hold what they held, in the same colours.
void BaseSwitch::tenThousandSwitches_data()
{
    QVERIFY(addTestRows(QStringLiteral("base-switch/ten-thousand-switches.json")));
}

void BaseSwitch::tenThousandSwitches()
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

TYPORAMA_TEST_MAIN(BaseSwitch)
#include "tst_base_switch.moc"
