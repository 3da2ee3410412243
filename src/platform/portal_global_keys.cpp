#include "portal_global_keys.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <cstdio>

namespace {

const QString Service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString Path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString Interface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString SessionInterface = QStringLiteral("org.freedesktop.portal.Session");

struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(PortalShortcut)

QString portalTrigger(const QKeySequence& key) {
    if (key.isEmpty())
        return {};
    const QKeyCombination combination = key[0];
    QStringList parts;
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    if (modifiers & Qt::ControlModifier)
        parts << QStringLiteral("CTRL");
    if (modifiers & Qt::AltModifier)
        parts << QStringLiteral("ALT");
    if (modifiers & Qt::ShiftModifier)
        parts << QStringLiteral("SHIFT");
    if (modifiers & Qt::MetaModifier)
        parts << QStringLiteral("LOGO");
    // The key by its X key symbol name, as the portal's shortcut form has it.
    const Qt::Key k = combination.key();
    QString name;
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        name = QChar(u'a' + (k - Qt::Key_A));
    else if (k >= Qt::Key_0 && k <= Qt::Key_9)
        name = QChar(u'0' + (k - Qt::Key_0));
    else if (k >= Qt::Key_F1 && k <= Qt::Key_F35)
        name = QStringLiteral("F%1").arg(k - Qt::Key_F1 + 1);
    else if (k == Qt::Key_PageDown)
        name = QStringLiteral("Page_Down");
    else if (k == Qt::Key_PageUp)
        name = QStringLiteral("Page_Up");
    else
        name = QKeySequence(k).toString(QKeySequence::PortableText);
    if (name.isEmpty())
        return {};
    parts << name;
    return parts.join(u'+');
}

PortalGlobalKeys::PortalGlobalKeys(QDBusConnection bus) : m_bus(std::move(bus)) {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

PortalGlobalKeys::~PortalGlobalKeys() {
    release();
}

void PortalGlobalKeys::reportMissing(const QString& reason) {
    if (m_reported)
        return;
    m_reported = true;
    std::fprintf(stderr, "parlora: 桌面不提供系统快捷键（%s）\n", qPrintable(reason));
}

// The request object's path is known before the call, so its answer cannot be missed.
void PortalGlobalKeys::request(const QString& method, QList<QVariant> arguments, const char* slot) {
    const QString token = QStringLiteral("parlora%1").arg(++m_requests);
    QString sender = m_bus.baseService().mid(1);
    sender.replace(u'.', u'_');
    const QString handle = Path + QStringLiteral("/request/") + sender + u'/' + token;
    m_bus.connect(Service, handle, RequestInterface, QStringLiteral("Response"), this, slot);
    QVariantMap options = arguments.takeLast().toMap();
    options.insert(QStringLiteral("handle_token"), token);
    arguments << options;
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, handle, slot](QDBusPendingCallWatcher*) {
                watcher->deleteLater();
                if (watcher->isError()) {
                    m_bus.disconnect(Service, handle, RequestInterface, QStringLiteral("Response"),
                                     this, slot);
                    m_creating = false;
                    reportMissing(watcher->error().message());
                }
            });
}

void PortalGlobalKeys::setKeys(const QList<GlobalKey>& keys) {
    m_keys = keys;
    if (!m_session.isEmpty()) {
        release(); // a session binds its keys once: a new one takes the new keys
        m_keys = keys;
    }
    if (m_creating)
        return; // the keys are bound when the session is there
    m_creating = true;
    request(QStringLiteral("CreateSession"),
            {QVariantMap{{QStringLiteral("session_handle_token"), QStringLiteral("parlora")}}},
            SLOT(sessionCreated(uint, QVariantMap)));
}

void PortalGlobalKeys::sessionCreated(uint response, const QVariantMap& results) {
    m_creating = false;
    if (response != 0) {
        reportMissing(QStringLiteral("会话未建立"));
        return;
    }
    const QVariant handle = results.value(QStringLiteral("session_handle"));
    m_session = handle.canConvert<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path()
                                                     : handle.toString();
    if (!m_listening) {
        m_listening = m_bus.connect(
            Service, Path, Interface, QStringLiteral("Activated"), this,
            SLOT(shortcutActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    }
    bindKeys();
}

void PortalGlobalKeys::bindKeys() {
    QList<PortalShortcut> shortcuts;
    for (const GlobalKey& key : std::as_const(m_keys)) {
        const QString trigger = portalTrigger(key.key);
        if (trigger.isEmpty())
            continue;
        const GlobalCommandInfo& info = globalCommandInfo(key.command);
        shortcuts << PortalShortcut{info.id,
                                    {{QStringLiteral("description"), info.caption},
                                     {QStringLiteral("preferred_trigger"), trigger}}};
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("BindShortcuts"));
    call.setArguments({QVariant::fromValue(QDBusObjectPath(m_session)),
                       QVariant::fromValue(shortcuts), QString(),
                       QVariantMap{{QStringLiteral("handle_token"),
                                    QStringLiteral("parlorabind%1").arg(++m_requests)}}});
    m_bus.asyncCall(call); // the desktop answers when the user has confirmed; nothing waits
}

void PortalGlobalKeys::shortcutActivated(const QDBusObjectPath& session, const QString& id,
                                         qulonglong, const QVariantMap&) {
    if (m_session.isEmpty() || session.path() != m_session)
        return;
    for (const GlobalKey& key : std::as_const(m_keys)) {
        if (globalCommandInfo(key.command).id == id) {
            Q_EMIT activated(key.command);
            return;
        }
    }
}

void PortalGlobalKeys::release() {
    if (m_session.isEmpty())
        return;
    m_bus.asyncCall(QDBusMessage::createMethodCall(Service, m_session, SessionInterface,
                                                   QStringLiteral("Close")));
    m_session.clear();
    m_keys.clear();
}
