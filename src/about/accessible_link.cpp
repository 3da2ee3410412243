#include "accessible_link.h"

#include <QAccessibleWidget>
#include <QLabel>

namespace {

const char* const LinkProperty = "parloraLink";

class AccessibleLink : public QAccessibleWidget {
public:
    explicit AccessibleLink(QLabel* label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override {
        const QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty())
            return label()->text();
        return own;
    }

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action == pressAction())
            emit label()->linkActivated(QString());
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QLabel* label() const { return static_cast<QLabel*>(widget()); }
};

QAccessibleInterface* linkFactory(const QString&, QObject* object) {
    if (auto* label = qobject_cast<QLabel*>(object);
        label && label->property(LinkProperty).toBool())
        return new AccessibleLink(label);
    return nullptr;
}

} // namespace

void markAccessibleLink(QLabel* label) {
    static const bool installed = [] {
        QAccessible::installFactory(linkFactory);
        return true;
    }();
    Q_UNUSED(installed);
    label->setProperty(LinkProperty, true);
    // A label already has its interface from its first text; the next question makes ours.
    QAccessibleInterface* current = QAccessible::queryAccessibleInterface(label);
    if (current && current->role() != QAccessible::Link)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(current));
}
