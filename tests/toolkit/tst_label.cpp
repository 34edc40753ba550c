#include "support/test_table.h"
#include "support/testmain.h"
#include "toolkit/label.h"

#include <QFontMetrics>
#include <QTest>

// The auto-sizing label: exact fit, fixed top-left corner, independent font attributes.
class LabelTest : public QObject
{
    Q_OBJECT
private slots:
    void autoSizeFitsTheCaptionExactly_data();
    void autoSizeFitsTheCaptionExactly();
    void eachFontAttributeChangesAlone();
    void emptyFaceNameIsRefusedAndTheFaceStays();
    void backgroundIsTransparent();
};

void LabelTest::autoSizeFitsTheCaptionExactly_data()
{
    QVERIFY(addTestRows(QStringLiteral("label/auto-size.json")));
}

void LabelTest::autoSizeFitsTheCaptionExactly()
{
    QFETCH(QString, caption);
    QFETCH(double, points);
    QFETCH(bool, bold);
    QWidget parent;
    parent.resize(200, 100);
    toolkit::Label label(QStringLiteral("x"), &parent);
    label.move(16, 8);
    label.setAutoSize(true);
    QVERIFY(label.setFontName(QStringLiteral("ＭＳ Ｐゴシック")));
    QVERIFY(label.setFontSize(points));
    label.setFontBold(bold);
    label.setCaption(caption);
    const QFontMetrics metrics(label.drawnFont());
    QCOMPARE(label.size(), QSize(metrics.horizontalAdvance(caption), metrics.height()));
    // It grows right and down; the corner stays, even past the parent's edge.
    QCOMPARE(label.pos(), QPoint(16, 8));
}

void LabelTest::eachFontAttributeChangesAlone()
{
    toolkit::Label label(QStringLiteral("Aa"));
    QVERIFY(label.setFontName(QStringLiteral("DejaVu Serif")));
    QVERIFY(label.setFontSize(20));
    label.setFontItalic(true);
    label.setFontUnderline(true);
    label.setFontBold(true);
    QVERIFY(label.fontBold() && label.fontItalic() && label.fontUnderline());
    QVERIFY(!label.fontStrikethrough());
    label.setFontItalic(false);
    QVERIFY(label.fontBold() && !label.fontItalic() && label.fontUnderline());
    QVERIFY(label.setFontSize(48));
    QVERIFY(label.setFontName(QStringLiteral("IPAGothic")));
    QCOMPARE(label.fontName(), QStringLiteral("IPAGothic"));
    QCOMPARE(label.fontSize(), 48.0);
    QVERIFY(label.fontBold() && label.fontUnderline());
    QCOMPARE(label.drawnFont().pointSizeF(), 48.0);
    QVERIFY(label.drawnFont().bold());
}

void LabelTest::emptyFaceNameIsRefusedAndTheFaceStays()
{
    toolkit::Label label(QStringLiteral("Aa"));
    QVERIFY(label.setFontName(QStringLiteral("IPAMincho")));
    QVERIFY(!label.setFontName(QString()));
    QCOMPARE(label.fontName(), QStringLiteral("IPAMincho"));
    QCOMPARE(label.drawnFont().families(), QStringList{QStringLiteral("IPAMincho")});
    // A name installed nowhere is kept as asked for and drawn in a face that exists.
    QVERIFY(label.setFontName(QStringLiteral("Nowhere Sans")));
    QCOMPARE(label.fontName(), QStringLiteral("Nowhere Sans"));
    QVERIFY(!label.drawnFont().families().contains(QStringLiteral("Nowhere Sans")));
}

void LabelTest::backgroundIsTransparent()
{
    QWidget parent;
    parent.resize(200, 80);
    parent.setAutoFillBackground(true);
    QPalette palette = parent.palette();
    palette.setColor(QPalette::Window, Qt::red);
    parent.setPalette(palette);
    auto *label = new toolkit::Label(QStringLiteral("あ"), &parent);
    label->setAutoSize(true);
    label->setFontSize(36);
    label->setForeColor(Qt::blue);
    const QImage shot = parent.grab().toImage();
    const QRect area = label->geometry();
    int red = 0;
    int blue = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            red += c == QColor(Qt::red);
            blue += c == QColor(Qt::blue);
        }
    }
    QVERIFY(red > area.width() * area.height() / 3);
    QVERIFY(blue > 0);
}

TYPORAMA_TEST_MAIN(LabelTest)
#include "tst_label.moc"
