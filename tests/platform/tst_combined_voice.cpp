#include "platform/fakes/fake_voice.h"
#include "platform/speech/combined_voice.h"

#include <QSignalSpy>
#include <QTest>

namespace {

VoiceToken token(const QString& id, const QString& language) {
    return {id, id, language};
}

} // namespace

class TestCombinedVoice : public QObject {
    Q_OBJECT

    FakeVoice* m_engine = nullptr;
    FakeVoice* m_natural = nullptr;
    int m_naturalMade = 0;

    std::unique_ptr<CombinedVoice> combined(QList<VoiceToken> natural = {}) {
        auto engine = std::make_unique<FakeVoice>();
        m_engine = engine.get();
        m_engine->voices = {token("sit/cmn", "cmn"),
                            token("sit/cmn-Latn-pinyin", "cmn-latn-pinyin"),
                            token("gmw/en-US", "en-us"), token("roa/fr", "fr")};
        m_natural = nullptr;
        m_naturalMade = 0;
        return std::make_unique<CombinedVoice>(
            std::move(engine), [natural] { return natural; },
            [this] {
                auto voice = std::make_unique<FakeVoice>();
                m_natural = voice.get();
                ++m_naturalMade;
                return voice;
            });
    }

private slots:
    void naturalVoicesStandAfterTheMandarinGroup_data() {
        QTest::addColumn<QList<VoiceToken>>("natural");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("none") << QList<VoiceToken>{}
                              << QStringList{"sit/cmn", "sit/cmn-Latn-pinyin", "gmw/en-US",
                                             "roa/fr"};
        QTest::newRow("two") << QList<VoiceToken>{token("neural:a", "zh"), token("neural:b", "en")}
                             << QStringList{"sit/cmn",  "sit/cmn-Latn-pinyin", "neural:a",
                                            "neural:b", "gmw/en-US",           "roa/fr"};
    }
    void naturalVoicesStandAfterTheMandarinGroup() {
        QFETCH(QList<VoiceToken>, natural);
        QFETCH(QStringList, order);
        auto voice = combined(natural);
        QStringList ids;
        for (const VoiceToken& v : voice->GetVoices({}, {}))
            ids << v.id;
        QCOMPARE(ids, order);
        QCOMPARE(m_naturalMade, 0); // listing starts no helper
    }

    void callsGoToTheChosenBackEnd() {
        auto voice = combined({token("neural:a", "zh")});
        voice->setRate(3);
        voice->setVolume(40);
        voice->setEventInterests(SpeechVoice::AllEvents);
        voice->Speak(QStringLiteral("一"), SpeechVoice::SpeakAsync);
        QVERIFY(m_engine->calls().contains(QStringLiteral("Speak:1:一")));

        voice->setVoice(token("neural:a", "zh"));
        QCOMPARE(m_naturalMade, 1);
        QVERIFY2(m_engine->calls().contains(QStringLiteral("ReleaseVoice")),
                 "the engine's speech ends with the change of voice");
        QCOMPARE(m_natural->rate, 3);
        QCOMPARE(m_natural->volume, 40);
        QVERIFY(m_natural->calls().contains(
            QStringLiteral("EventInterests:%1").arg(SpeechVoice::AllEvents)));
        voice->Speak(QStringLiteral("二"), SpeechVoice::SpeakAsync);
        voice->Pause();
        QVERIFY(m_natural->calls().contains(QStringLiteral("Speak:1:二")));
        QVERIFY(m_natural->calls().contains(QStringLiteral("Pause")));
        QVERIFY(!m_engine->calls().contains(QStringLiteral("Speak:1:二")));
        QVERIFY(!m_engine->calls().contains(QStringLiteral("Pause")));

        voice->setRate(-2); // kept by both, so that going back keeps it
        voice->setVoice(token("gmw/en-US", "en-us"));
        QCOMPARE(m_engine->rate, -2);
        QCOMPARE(m_engine->voice.id, QStringLiteral("gmw/en-US"));
        voice->Speak(QStringLiteral("three"), SpeechVoice::SpeakAsync);
        QVERIFY(m_engine->calls().contains(QStringLiteral("Speak:1:three")));
        voice->setVoice(token("neural:a", "zh"));
        QCOMPARE(m_naturalMade, 1); // made once
    }

    void eventsOfBothBackEndsAreForwarded() {
        auto voice = combined({token("neural:a", "zh")});
        QSignalSpy boundaries(voice.get(), &SpeechVoice::Boundary);
        m_engine->hear(SpeechBoundary::Word, 2, 1);
        voice->setVoice(token("neural:a", "zh"));
        m_natural->hear(SpeechBoundary::Sentence, 5);
        QCOMPARE(boundaries.size(), 2);
        QCOMPARE(boundaries.at(0).at(3).toInt(), 2);
        QCOMPARE(boundaries.at(1).at(3).toInt(), 5);
    }
};

QTEST_GUILESS_MAIN(TestCombinedVoice)
#include "tst_combined_voice.moc"
