#include "link_label.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

namespace {
class ClickFilter : public QObject {
public:
    ClickFilter(QLabel* label, std::function<void()> action)
        : QObject(label), m_label(label), m_action(std::move(action)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_label && event->type() == QEvent::MouseButtonRelease) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                m_label->rect().contains(mouse->position().toPoint())) {
                m_action();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QLabel* m_label;
    std::function<void()> m_action;
};
} // namespace

void makeLink(QLabel* label, std::function<void()> action) {
    label->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(new ClickFilter(label, std::move(action)));
}
