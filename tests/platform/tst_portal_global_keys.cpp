// System-wide keys through the desktop portal, against a portal played by this test on a
// private message bus.
#include "platform/portal_global_keys.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QString Service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString Path = QStringLiteral("/org/freedesktop/portal/desktop");

// The desktop's side, on a connection of its own: makes sessions, records the keys proposed
// and the sessions closed, and answers each request by the Response signal the portal sends.
class FakePortal : public QDBusVirtualObject {
public:
    QStringList bound;  // "id=trigger" of each key proposed, then "in:<session>"
    QStringList closed; // sessions closed
    QString session;
    uint answer = 0; // 0: the user agreed; 1: cancelled

    FakePortal(const QString& address, const QString& name)
        : m_name(name), m_bus(QDBusConnection::connectToBus(address, name)) {
        m_registered = m_bus.registerService(Service) &&
                       m_bus.registerVirtualObject(Path, this, QDBusConnection::SubPath);
    }
    ~FakePortal() override {
        m_bus.unregisterObject(Path, QDBusConnection::UnregisterTree);
        m_bus.unregisterService(Service);
        QDBusConnection::disconnectFromBus(m_name);
    }
    bool registered() const { return m_registered; }

    void activate(const QString& inSession, const QString& id) {
        QDBusMessage signal = QDBusMessage::createSignal(
            Path, QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
            QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(inSession)) << id << qulonglong(1)
               << QVariantMap{};
        m_bus.send(signal);
    }

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        const QList<QVariant> arguments = message.arguments();
        if (message.member() == QStringLiteral("Close")) {
            closed << message.path();
            m_bus.send(message.createReply());
            return true;
        }
        if (message.member() == QStringLiteral("CreateSession")) {
            const QVariantMap options = qdbus_cast<QVariantMap>(arguments.at(0));
            session = Path + QStringLiteral("/session/") + sender(message) + u'/' +
                      options.value(QStringLiteral("session_handle_token")).toString();
            respond(message, options, {{QStringLiteral("session_handle"), session}});
            return true;
        }
        if (message.member() == QStringLiteral("BindShortcuts")) {
            const QDBusArgument shortcuts = arguments.at(1).value<QDBusArgument>();
            shortcuts.beginArray();
            while (!shortcuts.atEnd()) {
                QString id;
                QVariantMap properties;
                shortcuts.beginStructure();
                shortcuts >> id >> properties;
                shortcuts.endStructure();
                bound << id + u'=' +
                             properties.value(QStringLiteral("preferred_trigger")).toString();
            }
            shortcuts.endArray();
            bound << QStringLiteral("in:") + arguments.at(0).value<QDBusObjectPath>().path();
            respond(message, qdbus_cast<QVariantMap>(arguments.at(3)), {});
            return true;
        }
        return false;
    }

private:
    static QString sender(const QDBusMessage& message) {
        return message.service().mid(1).replace(u'.', u'_');
    }
    void respond(const QDBusMessage& message, const QVariantMap& options,
                 const QVariantMap& results) {
        const QString handle = Path + QStringLiteral("/request/") + sender(message) + u'/' +
                               options.value(QStringLiteral("handle_token")).toString();
        m_bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(handle))));
        QDBusMessage response = QDBusMessage::createTargetedSignal(
            message.service(), handle, QStringLiteral("org.freedesktop.portal.Request"),
            QStringLiteral("Response"));
        response << answer << results;
        m_bus.send(response);
    }

    QString m_name;
    QDBusConnection m_bus;
    bool m_registered = false;
};

} // namespace

class TestPortalGlobalKeys : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void triggers_data();
    void triggers();
    void proposesKeysAndHearsThem();
    void keysChangedMakeANewSession();
    void refusedByTheUser();
    void noPortalOnTheBus();

private:
    QProcess m_bus;
    QString m_address;
};

void TestPortalGlobalKeys::initTestCase() {
    qRegisterMetaType<GlobalCommand>();
    m_bus.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--session"), QStringLiteral("--nofork"),
                 QStringLiteral("--print-address=1")});
    if (!m_bus.waitForStarted())
        QSKIP("needs dbus-daemon");
    QTRY_VERIFY(m_bus.canReadLine());
    m_address = QString::fromLatin1(m_bus.readLine().trimmed());
}

void TestPortalGlobalKeys::cleanupTestCase() {
    m_bus.kill();
    m_bus.waitForFinished();
}

void TestPortalGlobalKeys::triggers_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("trigger");
    QTest::newRow("letter") << "Ctrl+Alt+P"
                            << "CTRL+ALT+p";
    QTest::newRow("page down") << "Ctrl+Alt+PgDown"
                               << "CTRL+ALT+Page_Down";
    QTest::newRow("function key") << "Meta+Shift+F9"
                                  << "SHIFT+LOGO+F9";
    QTest::newRow("none") << ""
                          << "";
}

void TestPortalGlobalKeys::triggers() {
    QFETCH(QString, key);
    QFETCH(QString, trigger);
    QCOMPARE(portalTrigger(QKeySequence(key)), trigger);
}

void TestPortalGlobalKeys::proposesKeysAndHearsThem() {
    FakePortal portal(m_address, QStringLiteral("desktop1"));
    QVERIFY(portal.registered());

    auto keys = std::make_unique<PortalGlobalKeys>(
        QDBusConnection::connectToBus(m_address, QStringLiteral("program1")));
    QSignalSpy spy(keys.get(), &GlobalKeys::activated);
    keys->setKeys(defaultGlobalKeys());
    QTRY_COMPARE(portal.bound.size(), 6);
    QCOMPARE(portal.bound.mid(0, 5),
             (QStringList{"KeyReadSelection=CTRL+ALT+r", "KeyPauseResume=CTRL+ALT+p",
                          "KeyStop=CTRL+ALT+o", "KeyNextSentence=CTRL+ALT+Page_Down",
                          "KeyPreviousSentence=CTRL+ALT+Page_Up"}));
    QCOMPARE(portal.bound.last(), QStringLiteral("in:") + portal.session);

    QTest::qWait(200);
    portal.activate(portal.session, QStringLiteral("KeyPauseResume"));
    portal.activate(QStringLiteral("/org/freedesktop/portal/desktop/session/x/other"),
                    QStringLiteral("KeyStop")); // another program's session
    portal.activate(portal.session, QStringLiteral("KeyNextSentence"));
    QTRY_COMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).value<GlobalCommand>(), GlobalCommand::PauseResume);
    QCOMPARE(spy.at(1).at(0).value<GlobalCommand>(), GlobalCommand::NextSentence);

    const QString session = portal.session;
    keys.reset(); // the exit closes the session
    QTRY_COMPARE(portal.closed, QStringList{session});
    QDBusConnection::disconnectFromBus(QStringLiteral("program1"));
}

void TestPortalGlobalKeys::keysChangedMakeANewSession() {
    FakePortal portal(m_address, QStringLiteral("desktop2"));
    QVERIFY(portal.registered());
    PortalGlobalKeys keys(QDBusConnection::connectToBus(m_address, QStringLiteral("program2")));
    keys.setKeys({{GlobalCommand::Stop, QKeySequence(QStringLiteral("Ctrl+Alt+O"))}});
    QTRY_COMPARE(portal.bound.size(), 2);
    const QString first = portal.session;
    portal.bound.clear();
    keys.setKeys({{GlobalCommand::Stop, QKeySequence(QStringLiteral("Ctrl+Alt+S"))},
                  {GlobalCommand::PauseResume, QKeySequence()}});
    QTRY_COMPARE(portal.bound.size(), 2);
    QCOMPARE(portal.bound.first(), QStringLiteral("KeyStop=CTRL+ALT+s"));
    QCOMPARE(portal.closed, QStringList{first});
    QSignalSpy spy(&keys, &GlobalKeys::activated);
    portal.activate(portal.session, QStringLiteral("KeyStop"));
    QTRY_COMPARE(spy.count(), 1);
}

void TestPortalGlobalKeys::refusedByTheUser() {
    FakePortal portal(m_address, QStringLiteral("desktop3"));
    portal.answer = 1;
    QVERIFY(portal.registered());
    PortalGlobalKeys keys(QDBusConnection::connectToBus(m_address, QStringLiteral("program3")));
    keys.setKeys(defaultGlobalKeys());
    QTRY_VERIFY(!portal.session.isEmpty());
    QTest::qWait(100);
    QCOMPARE(portal.bound, QStringList{}); // nothing bound in a session the user refused
}

void TestPortalGlobalKeys::noPortalOnTheBus() {
    PortalGlobalKeys keys(QDBusConnection::connectToBus(m_address, QStringLiteral("program4")));
    keys.setKeys(defaultGlobalKeys()); // answered by an error: the program goes on without keys
    QTest::qWait(200);
    keys.setKeys(defaultGlobalKeys()); // and may ask again
    QCOMPARE(keys.unavailable(), QList<GlobalCommand>{});
}

QTEST_GUILESS_MAIN(TestPortalGlobalKeys)
#include "tst_portal_global_keys.moc"
