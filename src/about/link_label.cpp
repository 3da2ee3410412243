#include "link_label.h"
#include "accessible_link.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

namespace {
// Clicks and the keys that press a button become the label's linkActivated.
class PressFilter : public QObject {
public:
    explicit PressFilter(QLabel* label) : QObject(label), m_label(label) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_label && isPress(event)) {
            emit m_label->linkActivated(QString());
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool isPress(QEvent* event) const {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            return mouse->button() == Qt::LeftButton &&
                   m_label->rect().contains(mouse->position().toPoint());
        }
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            return (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
                   (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                    key->key() == Qt::Key_Space);
        }
        return false;
    }

    QLabel* m_label;
};
} // namespace

void makeLink(QLabel* label, std::function<void()> action) {
    // The border is always there, so that the focus frame does not move the text.
    label->setStyleSheet(QStringLiteral("QLabel { color: blue; text-decoration: underline; "
                                        "border: 1px dotted transparent; } "
                                        "QLabel:focus { border-color: blue; }"));
    label->setCursor(Qt::PointingHandCursor);
    label->setFocusPolicy(Qt::StrongFocus);
    label->installEventFilter(new PressFilter(label));
    QObject::connect(label, &QLabel::linkActivated, label,
                     [action = std::move(action)] { action(); });
    markAccessibleLink(label);
}
