#include "toolkit/accessibility.h"

#include "toolkit/label.h"

#include <QAccessibleWidget>

namespace toolkit {
namespace {

class AccessibleLabel : public QAccessibleWidget
{
public:
    explicit AccessibleLabel(Label *label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) {
            const QString name = widget()->accessibleName();
            return name.isEmpty() ? static_cast<Label *>(widget())->caption() : name;
        }
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *toolkitFactory(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String("toolkit::Label"))
        return new AccessibleLabel(static_cast<Label *>(object));
    if (className == QLatin1String("toolkit::PictureBox"))
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Graphic);
    return nullptr;
}

} // namespace

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(toolkitFactory);
        return true;
    }();
    (void)installed;
}

} // namespace toolkit
