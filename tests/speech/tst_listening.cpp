// Listening on the window with a recording voice: reading from the caret, stepping, the pause,
// where stop leaves the caret, a double-click on a word, and the place kept per document.
#include "app/tfmain.h"
#include "platform/fakes/fake_platform.h"
#include "speech/listening.h"
#include "speech/reading_positions.h"
#include "speech/text_units.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

class TestListening : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void readsFromTheCaretsSentence_data();
    void readsFromTheCaretsSentence();
    void stepsDuringAReading_data();
    void stepsDuringAReading();
    void stepsWithinASelection();
    void nothingOutsideAReading();
    void stepDuringAPauseKeepsItSilent();
    void keysOfTheWindow();
    void stopLeavesTheCaret_data();
    void stopLeavesTheCaret();
    void doubleClickContinuesFromTheWord();
    void placeKeptAcrossARestart_data();
    void placeKeptAcrossARestart();
    void keepsTheNewestPositions();
    void unreadablePositionsFile();
    void stepsKeepTheDictionarysContext();
    void selectionReadingsKeepTheDocumentsPlace_data();
    void selectionReadingsKeepTheDocumentsPlace();

private:
    TFmain* start();
    // The texts given to Speak since the last look, and the calls that control speech.
    QStringList spoken();
    QStringList controlCalls() const;
    QString highlightedSentence() const;
    void hearFrom(const QString& text); // the first character of text is heard
    QString writeFile(const QString& name, const QString& text);

    std::unique_ptr<FakePlatform> m_fakes;
    std::unique_ptr<TFmain> m_window;
    QTemporaryDir m_files;
    int m_spokenSeen = 0;
};

namespace {

const QString Seven =
    QStringLiteral("第一句。第二句。第三句。Fourth one. 第五句！第六句；第七句。");

// The first sentence of a spoken text.
QString sentenceOf(const QString& spoken) {
    const QList<TextSpan> sentences = sentenceSpans(spoken);
    return spoken.mid(sentences.at(0).start, sentences.at(0).end - sentences.at(0).start);
}

} // namespace

void TestListening::init() {
    m_fakes = std::make_unique<FakePlatform>();
    m_fakes->voice.voices = {{QStringLiteral("sit/cmn"), QStringLiteral("Chinese")}};
    m_spokenSeen = 0;
}

void TestListening::cleanup() {
    m_window.reset();
    m_fakes.reset();
}

TFmain* TestListening::start() {
    m_window = std::make_unique<TFmain>(m_fakes->bundle());
    m_fakes->voice.clearCalls();
    m_spokenSeen = 0;
    return m_window.get();
}

QStringList TestListening::spoken() {
    QStringList texts;
    const QString prefix = QStringLiteral("Speak:1:");
    for (const QString& call : m_fakes->voice.calls().mid(m_spokenSeen)) {
        if (call.startsWith(prefix))
            texts << call.mid(prefix.size());
    }
    m_spokenSeen = int(m_fakes->voice.calls().size());
    return texts;
}

QStringList TestListening::controlCalls() const {
    QStringList calls;
    for (const QString& call : m_fakes->voice.calls()) {
        if (!call.startsWith(QStringLiteral("Voice:")))
            calls << call.section(u':', 0, 0);
    }
    return calls;
}

QString TestListening::highlightedSentence() const {
    const auto selections = m_window->RichEdit1->extraSelections();
    return selections.isEmpty() ? QString() : selections.at(0).cursor.selectedText();
}

// Positions of what is heard count in the text last spoken.
void TestListening::hearFrom(const QString& text) {
    const QString last = m_fakes->voice.calls().filter(QStringLiteral("Speak:")).last().mid(8);
    const int at = int(last.indexOf(text));
    QVERIFY2(at >= 0, qPrintable(text));
    m_fakes->voice.hear(SpeechBoundary::Sentence, at);
    m_fakes->voice.hear(SpeechBoundary::Word, at, 1);
}

QString TestListening::writeFile(const QString& name, const QString& text) {
    const QString path = m_files.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(text.toUtf8());
    return path;
}

void TestListening::readsFromTheCaretsSentence_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("spoken");
    QTest::addColumn<QString>("firstSentence"); // highlighted when the first one is heard
    QTest::newRow("caret in the fifth sentence")
        << Seven << int(Seven.indexOf(u'五')) << QStringLiteral("第五句！第六句；第七句。")
        << QStringLiteral("第五句！");
    QTest::newRow("caret at the start of a sentence")
        << Seven << int(Seven.indexOf(u'F'))
        << QStringLiteral("Fourth one. 第五句！第六句；第七句。") << QStringLiteral("Fourth one.");
    QTest::newRow("caret right after a sentence")
        << Seven << int(Seven.indexOf(QStringLiteral("one."))) + 4
        << QStringLiteral("Fourth one. 第五句！第六句；第七句。") << QStringLiteral("Fourth one.");
    QTest::newRow("caret in the blanks before one")
        << QStringLiteral("One.  Two.") << 5 << QStringLiteral("Two.") << QStringLiteral("Two.");
    QTest::newRow("caret at the end of a line")
        << QStringLiteral("甲乙。\n丙丁。") << 3 << QStringLiteral("甲乙。\r\n丙丁。")
        << QStringLiteral("甲乙。");
    QTest::newRow("caret at the end")
        << Seven << int(Seven.size()) << QStringLiteral("第七句。") << QStringLiteral("第七句。");
    QTest::newRow("later paragraph, breaks as CR LF")
        << QStringLiteral("甲。\n乙。\n\n丙") << 4 << QStringLiteral("乙。\r\n\r\n丙")
        << QStringLiteral("乙。");
    QTest::newRow("empty editor") << QString() << 0 << QString() << QString();
}

void TestListening::readsFromTheCaretsSentence() {
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, spoken);
    QFETCH(QString, firstSentence);
    TFmain* w = start();
    w->RichEdit1->setPlainText(text);
    QTextCursor cursor(w->RichEdit1->document());
    cursor.setPosition(caret);
    w->RichEdit1->setTextCursor(cursor);
    w->NReadFromCaret->trigger();
    QCOMPARE(this->spoken(), QStringList{spoken});
    QCOMPARE(controlCalls().first(), QStringLiteral("ReleaseVoice"));
    m_fakes->voice.hear(SpeechBoundary::Sentence, 0);
    QCOMPARE(highlightedSentence(), firstSentence);
    QCOMPARE(w->RichEdit1->textCursor().position(), caret); // reading leaves the caret alone
}

void TestListening::stepsDuringAReading_data() {
    QTest::addColumn<QString>("heard");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("spoken"); // empty: the reading ends
    const QString rest = QStringLiteral("\r\n\r\n下一段。");
    QTest::newRow("next") << "第二句"
                          << "NNextSentence"
                          << "第三句。Fourth one. 第五句！第六句；第七句。" + rest;
    QTest::newRow("next after a semicolon") << "第六句"
                                            << "NNextSentence"
                                            << "第七句。" + rest;
    QTest::newRow("next into the next paragraph") << "第七句"
                                                  << "NNextSentence"
                                                  << "下一段。";
    QTest::newRow("next from the last ends") << "下一段"
                                             << "NNextSentence"
                                             << "";
    QTest::newRow("previous just begun") << "第五句"
                                         << "NPreviousSentence"
                                         << "Fourth one. 第五句！第六句；第七句。" + rest;
    QTest::newRow("previous from the first") << "第一句"
                                             << "NPreviousSentence" << Seven + rest;
    QTest::newRow("next paragraph") << "第二句"
                                    << "NNextParagraph"
                                    << "下一段。";
    QTest::newRow("next paragraph from the last ends") << "下一段"
                                                       << "NNextParagraph"
                                                       << "";
    QTest::newRow("previous paragraph just begun") << "下一段"
                                                   << "NPreviousParagraph" << Seven + rest;
    QTest::newRow("editor pop-up") << "第二句"
                                   << "NNNextSentence"
                                   << "第三句。Fourth one. 第五句！第六句；第七句。" + rest;
    QTest::newRow("tray menu") << "第六句"
                               << "NNNNextSentence"
                               << "第七句。" + rest;
}

void TestListening::stepsDuringAReading() {
    QFETCH(QString, heard);
    QFETCH(QString, command);
    QFETCH(QString, spoken);
    TFmain* w = start();
    const QString text = Seven + QStringLiteral("\n\n下一段。");
    w->RichEdit1->setPlainText(text);
    w->BtnAloud->click();
    QCOMPARE(this->spoken().size(), 1);
    hearFrom(heard);
    m_fakes->voice.clearCalls();
    m_spokenSeen = 0;
    QAction* item = w->findChild<QAction*>(command);
    QVERIFY(item);
    item->trigger();
    QCOMPARE(controlCalls().value(0), QStringLiteral("ReleaseVoice"));
    QCOMPARE(this->spoken(), spoken.isEmpty() ? QStringList{} : QStringList{spoken});
    m_fakes->voice.hear(SpeechBoundary::Sentence, 0);
    QCOMPARE(highlightedSentence(), spoken.isEmpty() ? QString() : sentenceOf(spoken));
}

void TestListening::stepsWithinASelection() {
    TFmain* w = start();
    w->RichEdit1->setPlainText(Seven);
    QTextCursor cursor(w->RichEdit1->document());
    cursor.setPosition(int(Seven.indexOf(u'二')));
    cursor.setPosition(int(Seven.indexOf(u'F')), QTextCursor::KeepAnchor);
    w->RichEdit1->setTextCursor(cursor);
    w->NAloud->trigger();
    QCOMPARE(spoken(), QStringList{QStringLiteral("二句。第三句。")});
    hearFrom(QStringLiteral("二句"));
    w->NNextSentence->trigger();
    QCOMPARE(spoken(), QStringList{QStringLiteral("第三句。")});
    hearFrom(QStringLiteral("第三句"));
    QCOMPARE(highlightedSentence(), QStringLiteral("第三句。"));
    w->NNextSentence->trigger(); // the end of the selection ends the reading
    QCOMPARE(spoken(), QStringList{});
    QCOMPARE(controlCalls().last(), QStringLiteral("ReleaseVoice"));
    QCOMPARE(highlightedSentence(), QString());
    const int calls = int(m_fakes->voice.calls().size());
    w->NPreviousSentence->trigger();
    QCOMPARE(m_fakes->voice.calls().size(), calls);
}

void TestListening::nothingOutsideAReading() {
    TFmain* w = start();
    w->RichEdit1->setPlainText(Seven);
    for (QAction* item :
         {w->NNextSentence, w->NPreviousSentence, w->NNextParagraph, w->NPreviousParagraph})
        item->trigger();
    QCOMPARE(m_fakes->voice.calls(), QStringList{});
    w->BtnAloud->click();
    m_fakes->voice.hear(SpeechBoundary::End, int(Seven.size()));
    m_fakes->voice.clearCalls();
    w->NPreviousSentence->trigger(); // after the end of the text
    w->BtnStop->click();
    w->NNextSentence->trigger(); // after a stop
    QCOMPARE(controlCalls(), QStringList{QStringLiteral("ReleaseVoice")});
}

void TestListening::stepDuringAPauseKeepsItSilent() {
    TFmain* w = start();
    w->RichEdit1->setPlainText(Seven);
    w->BtnAloud->click();
    hearFrom(QStringLiteral("第二句"));
    w->BtnPause->click();
    m_fakes->voice.clearCalls();
    m_spokenSeen = 0;
    w->NNextSentence->trigger();
    w->NNextSentence->trigger();
    QCOMPARE(m_fakes->voice.calls(), QStringList{}); // nothing is heard while paused
    QCOMPARE(highlightedSentence(), QStringLiteral("Fourth one."));
    w->NPreviousSentence->trigger();
    QCOMPARE(highlightedSentence(), QStringLiteral("第三句。"));
    w->BtnPause->click(); // the pause ends where the steps led
    QCOMPARE(controlCalls(),
             (QStringList{QStringLiteral("ReleaseVoice"), QStringLiteral("Speak")}));
    QCOMPARE(spoken(), QStringList{QStringLiteral("第三句。Fourth one. 第五句！第六句；第七句。")});
    w->BtnPause->click(); // and the pause button pauses again
    QCOMPARE(controlCalls().last(), QStringLiteral("Pause"));
    w->BtnPause->click(); // with no step in between it resumes
    QCOMPARE(controlCalls().last(), QStringLiteral("Resume"));
}

void TestListening::keysOfTheWindow() {
    TFmain* w = start();
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w));
    w->RichEdit1->setFocus();
    w->RichEdit1->setPlainText(Seven);
    QTextCursor cursor(w->RichEdit1->document());
    cursor.setPosition(int(Seven.indexOf(u'三')));
    w->RichEdit1->setTextCursor(cursor);
    QTest::keyClick(w->RichEdit1, Qt::Key_F6);
    QCOMPARE(spoken(), QStringList{Seven.mid(Seven.indexOf(QStringLiteral("第三")))});
    hearFrom(QStringLiteral("第三句"));
    QTest::keyClick(w->RichEdit1, Qt::Key_F8);
    QCOMPARE(spoken(), QStringList{Seven.mid(Seven.indexOf(u'F'))});
    QTest::keyClick(w->RichEdit1, Qt::Key_F7);
    QCOMPARE(spoken(), QStringList{Seven.mid(Seven.indexOf(QStringLiteral("第三")))});
    QTest::keyClick(w->RichEdit1, Qt::Key_F8, Qt::ShiftModifier); // one paragraph only
    QCOMPARE(spoken(), QStringList{});
    QCOMPARE(w->RichEdit1->toPlainText(), Seven);
}

void TestListening::stopLeavesTheCaret_data() {
    QTest::addColumn<QString>("during");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("goesOn"); // what F6 reads then
    QTest::newRow("at the sentence heard") << "" << int(Seven.indexOf(u'F')) << "Fourth";
    QTest::newRow("the user moved the caret") << "move" << 1 << "第一句";
    QTest::newRow("the user selected") << "select" << 3 << "第二句";
    QTest::newRow("the text was read to its end") << "end" << 3 << "第一句";
}

void TestListening::stopLeavesTheCaret() {
    QFETCH(QString, during);
    QFETCH(int, caret);
    QFETCH(QString, goesOn);
    TFmain* w = start();
    w->RichEdit1->setPlainText(Seven);
    QTextCursor cursor(w->RichEdit1->document());
    cursor.setPosition(3);
    w->RichEdit1->setTextCursor(cursor);
    w->NReadFromCaret->trigger();
    hearFrom(QStringLiteral("第二句"));
    hearFrom(QStringLiteral("Fourth"));
    if (during == QStringLiteral("move")) {
        cursor.setPosition(1);
        w->RichEdit1->setTextCursor(cursor);
    } else if (during == QStringLiteral("select")) {
        cursor.setPosition(5, QTextCursor::KeepAnchor);
        w->RichEdit1->setTextCursor(cursor);
    } else if (during == QStringLiteral("end")) {
        hearFrom(QStringLiteral("第七句"));
        m_fakes->voice.hear(SpeechBoundary::End, int(Seven.size()));
    }
    w->BtnStop->click();
    QCOMPARE(w->RichEdit1->textCursor().selectionStart(), caret);
    spoken();
    w->NReadFromCaret->trigger();
    QVERIFY(spoken().value(0).startsWith(goesOn));
}

void TestListening::doubleClickContinuesFromTheWord() {
    TFmain* w = start();
    w->resize(600, 400);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    const QString text = QStringLiteral("One sentence here. Another with several words. Last.");
    w->RichEdit1->setPlainText(text);
    w->BtnAloud->click();
    spoken();
    QTextCursor at(w->RichEdit1->document());
    at.setPosition(int(text.indexOf(QStringLiteral("several"))) + 2);
    const QPoint point = w->RichEdit1->cursorRect(at).center();
    QTest::mouseDClick(w->RichEdit1->viewport(), Qt::LeftButton, {}, point);
    const qsizetype calls = m_fakes->voice.calls().size();
    QTRY_VERIFY(m_fakes->voice.calls().size() > calls); // once the editor has selected the word
    QCOMPARE(spoken(), QStringList{QStringLiteral("several words. Last.")});
    m_fakes->voice.hear(SpeechBoundary::Word, 0, 7);
    QCOMPARE(highlightedSentence(), QStringLiteral("Another with several words."));

    w->BtnStop->click(); // a double-click is the user's move: the caret is left on the word
    QTest::mouseDClick(w->RichEdit1->viewport(), Qt::LeftButton, {}, point);
    QTest::qWait(20);
    QCOMPARE(spoken(), QStringList{}); // not while nothing is read
}

void TestListening::placeKeptAcrossARestart_data() {
    QTest::addColumn<QString>("reopened"); // the file's text when opened again
    QTest::addColumn<QString>("caretAt");  // the text the caret stands before; empty: the end
    const QString text = QStringLiteral("甲乙丙丁。\n") + Seven;
    QTest::newRow("unchanged") << text << "第五句";
    QTest::newRow("edited before the place") << QStringLiteral("新的一行。\n") + text << "第五句";
    QTest::newRow("the place itself edited")
        << QString(text).replace(QStringLiteral("第五句！第六句"), QStringLiteral("别的")) << "";
}

void TestListening::placeKeptAcrossARestart() {
    QFETCH(QString, reopened);
    QFETCH(QString, caretAt);
    const QString text = QStringLiteral("甲乙丙丁。\n") + Seven;
    const QString path = writeFile(QStringLiteral("book.txt"), text);
    const QString other =
        writeFile(QStringLiteral("other.txt"), QStringLiteral("别的书。第二句。"));
    TFmain* w = start();
    w->FilesDropped({path});
    w->RichEdit1->moveCursor(QTextCursor::Start);
    w->NReadFromCaret->trigger();
    hearFrom(QStringLiteral("第五句"));
    w->FilesDropped({other}); // opening another document keeps the place of the first
    w->RichEdit1->moveCursor(QTextCursor::Start);
    w->NReadFromCaret->trigger();
    hearFrom(QStringLiteral("第二句"));
    m_fakes->voice.hear(SpeechBoundary::End, 8); // read to the end: nothing kept
    m_window.reset();

    writeFile(QStringLiteral("book.txt"), reopened);
    w = start();
    w->FilesDropped({other}); // read to its end: the caret stays where opening leaves it
    QCOMPARE(w->RichEdit1->textCursor().position(), w->RichEdit1->toPlainText().size());
    w->FilesDropped({path});
    const int expected = int(caretAt.isEmpty() ? reopened.size() : reopened.indexOf(caretAt));
    QCOMPARE(w->RichEdit1->textCursor().position(), expected);
}

void TestListening::keepsTheNewestPositions() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("positions.json"));
    ReadingPositions positions;
    for (int i = 0; i < ReadingPositions::Kept + 5; ++i)
        positions.remember({QStringLiteral("/doc/%1").arg(i), i, QStringLiteral("f%1").arg(i)});
    positions.remember({QStringLiteral("/doc/3"), 33, QStringLiteral("again")});
    positions.save(path);
    const ReadingPositions loaded = ReadingPositions::load(path);
    QCOMPARE(loaded.entries().size(), ReadingPositions::Kept);
    QCOMPARE(loaded.entries().first(),
             (ReadingPosition{QStringLiteral("/doc/3"), 33, QStringLiteral("again")}));
    QVERIFY(loaded.find(QStringLiteral("/doc/204")));
    QVERIFY(!loaded.find(QStringLiteral("/doc/5"))); // the oldest went
    QVERIFY(!QFile::exists(path + QStringLiteral(".tmp")));
}

void TestListening::unreadablePositionsFile() {
    m_fakes->dataDirectory.writeFile(QStringLiteral("positions.json"), "{not json");
    const QString path = writeFile(QStringLiteral("a.txt"), Seven);
    TFmain* w = start();
    w->FilesDropped({path});
    w->RichEdit1->moveCursor(QTextCursor::Start);
    w->NReadFromCaret->trigger();
    hearFrom(QStringLiteral("第三句"));
    m_window.reset(); // the exit writes a sound file in its place
    QCOMPARE(
        ReadingPositions::load(m_fakes->dataDirectory.filePath(QStringLiteral("positions.json")))
            .find(path)
            ->position,
        int(Seven.indexOf(QStringLiteral("第三句"))));
}

// The dictionary says the whole range once; a step continues in what it said, so a pattern
// that looks at the text before the step still applies.
void TestListening::stepsKeepTheDictionarysContext() {
    const QString text = QStringLiteral("Say A. Bq.");
    QTextEdit editor;
    editor.setPlainText(text);
    Listening listening(&editor);
    const auto dictionary = std::make_shared<const PronunciationDictionary>(
        QList<PronunciationRule>{{QStringLiteral("re:(?<=\\. )B"), QStringLiteral("Bee")},
                                 {QStringLiteral("re:^Say"), QStringLiteral("Tell")}});
    listening.begin(0, text, 0, dictionary);
    QCOMPARE(listening.spoken().text, QStringLiteral("Tell A. Beeq."));
    listening.moveTo(int(text.indexOf(u'B')));
    QCOMPARE(listening.spoken().text, QStringLiteral("Beeq."));
    QCOMPARE(listening.spoken().writtenStart(3), 1); // the q, counted from the step
    QCOMPARE(listening.spokenStart(), int(text.indexOf(u'B')));
}

void TestListening::selectionReadingsKeepTheDocumentsPlace_data() {
    QTest::addColumn<bool>("finish"); // heard to the selection's end, else stopped
    QTest::addColumn<QString>("kept");
    QTest::newRow("stopped in the selection's last sentence") << false << "尾句。";
    QTest::newRow("a selection heard to its end") << true << "尾句。";
}

// The place of a selection's reading is found again in the whole document, and finishing the
// selection is not finishing the document.
void TestListening::selectionReadingsKeepTheDocumentsPlace() {
    QFETCH(bool, finish);
    QFETCH(QString, kept);
    const QString text =
        QStringLiteral("开头一句。中间一句。尾句。后面还有很多很多的文字，一直写下去。");
    const QString positions = m_files.filePath(QStringLiteral("positions.json"));
    const QString address = QStringLiteral("/books/a.txt");
    const auto dictionary = std::make_shared<const PronunciationDictionary>();
    {
        QTextEdit editor;
        editor.setPlainText(text);
        Listening listening(&editor);
        listening.loadPositions(positions);
        listening.documentOpened(address, text);
        listening.begin(0, text, 0, dictionary);
        listening.heard(int(text.indexOf(QStringLiteral("中间"))));
        listening.stop();
        const int start = int(text.indexOf(QStringLiteral("中间")));
        const int end = int(text.indexOf(QStringLiteral("后面")));
        listening.begin(start, text.mid(start, end - start), 0, dictionary);
        listening.heard(int(text.indexOf(QStringLiteral("尾句"))) - start);
        if (finish)
            listening.finished();
        else
            listening.stop();
        listening.savePositions(positions);
    }
    QTextEdit editor;
    Listening listening(&editor);
    listening.loadPositions(positions);
    const std::optional<int> place = listening.documentOpened(address, text);
    QVERIFY(place);
    QCOMPARE(*place, int(text.indexOf(kept)));
}

QTEST_MAIN(TestListening)
#include "tst_listening.moc"
