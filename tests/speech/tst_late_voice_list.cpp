// The voice list when the engine's voices come after the window was built: the stored voice is
// chosen when they come, and what is read or echoed before that waits for them.
#include "app/profile_file.h"
#include "app/tfmain.h"
#include "echo/keystroke.h"
#include "platform/fakes/fake_platform.h"

#include <QComboBox>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

namespace {

const QList<VoiceToken> ThreeVoices = {{QStringLiteral("cmn"), QStringLiteral("Chinese")},
                                       {QStringLiteral("en"), QStringLiteral("English")},
                                       {QStringLiteral("de"), QStringLiteral("German")}};

// A voice whose engine is still loading until arrive(); a GetVoices before that waits for the
// engine, as the real one does, and the notice still comes afterwards.
class LateVoice : public FakeVoice {
public:
    bool loading = true;
    bool waited = false;
    bool failing = false;
    QStringList heard; // "Voice:id" and "Speak:text", in order

    bool voicesLoading() const override { return loading; }
    QList<VoiceToken> GetVoices(const QString& required, const QString& optional) override {
        waited = waited || loading;
        if (failing)
            throw AppError(QStringLiteral("语音引擎的数据不全"));
        return FakeVoice::GetVoices(required, optional);
    }
    void setVoice(const VoiceToken& token) override {
        heard << QStringLiteral("Voice:") + token.id;
        FakeVoice::setVoice(token);
    }
    void Speak(const QString& text, int flags) override {
        heard << QStringLiteral("Speak:") + text;
        FakeVoice::Speak(text, flags);
    }
    void arrive() {
        loading = false;
        Q_EMIT VoicesLoaded();
    }
};

} // namespace

class TestLateVoiceList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void storedVoiceSurvives_data();
    void storedVoiceSurvives();
    void speechBeforeTheListUsesTheStoredVoice_data();
    void speechBeforeTheListUsesTheStoredVoice();
    void failedEngineReportedOnce_data();
    void failedEngineReportedOnce();

private:
    TFmain* start(const QByteArray& settings);
    int savedEngine();

    std::unique_ptr<FakePlatform> m_fakes;
    std::unique_ptr<LateVoice> m_voice;
    std::unique_ptr<TFmain> m_window;
};

void TestLateVoiceList::init() {
    m_fakes = std::make_unique<FakePlatform>();
    m_voice = std::make_unique<LateVoice>();
    m_voice->voices = ThreeVoices;
}

void TestLateVoiceList::cleanup() {
    m_window.reset();
    m_voice.reset();
    m_fakes.reset();
}

TFmain* TestLateVoiceList::start(const QByteArray& settings) {
    m_fakes->dataDirectory.writeFile(QStringLiteral("set.ini"), settings);
    Platform platform = m_fakes->bundle();
    platform.voice = m_voice.get();
    m_window = std::make_unique<TFmain>(platform);
    return m_window.get();
}

// The window writes the settings when it goes.
int TestLateVoiceList::savedEngine() {
    m_window.reset();
    return ProfileFile::load(m_fakes->dataDirectory.filePath(QStringLiteral("set.ini")))
        .readInteger(QStringLiteral("set"), QStringLiteral("Engine"), -1);
}

void TestLateVoiceList::storedVoiceSurvives_data() {
    QTest::addColumn<bool>("arrives");
    QTest::newRow("the list comes") << true;
    QTest::newRow("closed before it came") << false;
}

void TestLateVoiceList::storedVoiceSurvives() {
    QFETCH(bool, arrives);
    TFmain* w = start("[set]\nEngine=2\n");
    QVERIFY2(!m_voice->waited, "the window waited for the engine while it was built");
    QCOMPARE(w->cbVoices->count(), 0);
    if (arrives) {
        m_voice->arrive();
        QCOMPARE(w->cbVoices->count(), 3);
        QCOMPARE(w->cbVoices->currentIndex(), 2);
        QCOMPARE(m_voice->voice.id, QStringLiteral("de"));
    }
    QCOMPARE(savedEngine(), 2);
}

void TestLateVoiceList::speechBeforeTheListUsesTheStoredVoice_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("朗读") << "read"
                          << "Speak:Hello there.";
    QTest::newRow("key echo") << "key"
                              << "Speak:A";
}

void TestLateVoiceList::speechBeforeTheListUsesTheStoredVoice() {
    QFETCH(QString, command);
    QFETCH(QString, spoken);
    TFmain* w = start("[set]\nEngine=1\nSpeakKey=All\n");
    w->RichEdit1->setPlainText(QStringLiteral("Hello there."));
    if (command == QStringLiteral("read"))
        w->BtnAloud->click();
    else
        m_fakes->keyHook.send(keystroke::make(0x1e, false, true, true)); // A released
    QVERIFY(m_voice->waited);
    QCOMPARE(m_voice->heard.filter(QStringLiteral("Speak:")), QStringList{spoken});
    const qsizetype spokenAt = m_voice->heard.indexOf(spoken);
    QVERIFY2(spokenAt > 0, qPrintable(m_voice->heard.join(u' ')));
    QCOMPARE(m_voice->heard.at(spokenAt - 1), QStringLiteral("Voice:en"));
    // The notice that follows finds the list filled; nothing is listed twice.
    m_voice->arrive();
    QCOMPARE(w->cbVoices->count(), 3);
    QCOMPARE(w->cbVoices->currentIndex(), 1);
    QCOMPARE(savedEngine(), 1);
}

void TestLateVoiceList::failedEngineReportedOnce_data() {
    QTest::addColumn<bool>("readFirst");
    QTest::newRow("nothing read before") << false;
    QTest::newRow("朗读 before the notice") << true;
}

// A reading that meets the failure first keeps quiet; the notice reports it, once.
void TestLateVoiceList::failedEngineReportedOnce() {
    QFETCH(bool, readFirst);
    m_voice->failing = true;
    TFmain* w = start("[set]\nEngine=2\n");
    if (readFirst)
        w->BtnAloud->click();
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
    m_voice->arrive();
    QCOMPARE(m_fakes->dialogs.messages.size(), 1);
    QCOMPARE(m_fakes->dialogs.messages.first().text, QStringLiteral("语音引擎的数据不全。"));
    QCOMPARE(w->cbVoices->count(), 0);
    QVERIFY(m_voice->heard.filter(QStringLiteral("Speak:")).isEmpty());
    QCOMPARE(savedEngine(), 2);
}

QTEST_MAIN(TestLateVoiceList)
#include "tst_late_voice_list.moc"
