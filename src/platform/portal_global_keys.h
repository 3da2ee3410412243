#pragma once

#include "platform/global_keys.h"

#include <QDBusConnection>
#include <QDBusObjectPath>

class QDBusMessage;

// The desktop portal's form of a key ("CTRL+ALT+p"); empty for a key it cannot name.
QString portalTrigger(const QKeySequence& key);

// System-wide keys through the desktop portal's GlobalShortcuts interface (Wayland sessions).
// The program only proposes its keys: the desktop asks the user, who may change them there.
// Every call is asynchronous, so the window never waits on the desktop.
class PortalGlobalKeys : public GlobalKeys {
    Q_OBJECT
public:
    explicit PortalGlobalKeys(QDBusConnection bus = QDBusConnection::sessionBus());
    ~PortalGlobalKeys() override;

    void setKeys(const QList<GlobalKey>& keys) override;
    // The desktop decides over taken keys; it reports none to the program.
    QList<GlobalCommand> unavailable() const override { return {}; }
    void release() override;

private Q_SLOTS:
    void sessionCreated(uint response, const QVariantMap& results);
    void shortcutActivated(const QDBusObjectPath& session, const QString& id, qulonglong time,
                           const QVariantMap& options);

private:
    // Calls a portal method that answers by a Response signal on a request object, which the
    // slot receives.
    void request(const QString& method, QList<QVariant> arguments, const char* slot);
    void bindKeys();
    void reportMissing(const QString& reason);

    QDBusConnection m_bus;
    QList<GlobalKey> m_keys;
    QString m_session; // empty until the desktop made one
    bool m_creating = false;
    bool m_reported = false;
    bool m_listening = false; // to the desktop's Activated signal
    int m_requests = 0;
};
