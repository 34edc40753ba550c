#include "support/test_table.h"

#include "support/test_data.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

bool addTestRows(const QString &relative)
{
    QList<QMetaType> types;
    for (const QByteArray &text : testData(relative).split('\n')) {
        const QByteArray line = text.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QJsonArray fields = QJsonDocument::fromJson(line).array();
        if (fields.isEmpty())
            return false;
        if (types.isEmpty()) {
            for (const QJsonValue &column : fields) {
                // Only the first colon ends the name: a type's own may name its namespace.
                const QString nameAndType = column.toString();
                const qsizetype colon = nameAndType.indexOf(u':');
                const QMetaType type = QMetaType::fromName(nameAndType.mid(colon + 1).toLatin1());
                if (colon <= 0 || !type.isValid())
                    return false;
                // The test table keeps the name's pointer, not a copy.
                static QList<QByteArray> names;
                names << nameAndType.left(colon).toLatin1();
                QTest::addColumnInternal(type.id(), names.last().constData());
                types << type;
            }
            continue;
        }
        if (fields.size() != types.size() + 1)
            return false;
        QTestData &row = QTest::newRow(qPrintable(fields[0].toString()));
        for (qsizetype i = 0; i < types.size(); ++i) {
            QVariant value = fields[i + 1].toVariant();
            // A failed conversion leaves the type's empty value, which an empty text asks for.
            const bool empty = fields[i + 1].isString() && fields[i + 1].toString().isEmpty();
            if (!value.convert(types[i]) && !empty)
                return false;
            row.append(types[i].id(), value.constData());
        }
    }
    return !types.isEmpty();
}
