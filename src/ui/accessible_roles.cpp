#include "accessible_roles.h"

#include <QAccessibleWidget>
#include <QVariant>
#include <QWidget>

namespace
{

const char *const ROLE_PROPERTY = "accessible_role";

QAccessibleInterface *interface_with_role(const QString &, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    const QVariant role = object->property(ROLE_PROPERTY);
    if (!widget || !role.isValid())
        return nullptr;
    return new QAccessibleWidget(widget, static_cast<QAccessible::Role>(role.toInt()));
}

} // namespace

void set_accessible_role(QWidget *widget, QAccessible::Role role)
{
    static const bool installed = [] {
        QAccessible::installFactory(interface_with_role);
        return true;
    }();
    Q_UNUSED(installed);
    widget->setProperty(ROLE_PROPERTY, int(role));
}
