// The follow-along highlight on the window, with a voice that reports scripted boundaries.
#include "app/tfmain.h"
#include "platform/fakes/fake_platform.h"
#include "speech/reading_highlight.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QScrollBar>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

class TestFollowAlong : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void spokenToEditorPositions_data();
    void spokenToEditorPositions();
    void marksSentenceAndWord();
    void wordsMapToTheEditor_data();
    void wordsMapToTheEditor();
    void documentAndSelectionUntouched();
    void clearing_data();
    void clearing();
    void scrollsUnlessTheUserScrolled();
    void menuItemAndStoredKey();

private:
    TFmain* start(const QByteArray& settings = {});
    // The texts under the sentence and the word highlights.
    QStringList highlighted() const;

    std::unique_ptr<FakePlatform> m_fakes;
    std::unique_ptr<TFmain> m_window;
};

void TestFollowAlong::init() {
    m_fakes = std::make_unique<FakePlatform>();
    m_fakes->voice.voices = {{QStringLiteral("gmw/en"), QStringLiteral("English")}};
}

void TestFollowAlong::cleanup() {
    m_window.reset();
    m_fakes.reset();
}

TFmain* TestFollowAlong::start(const QByteArray& settings) {
    if (!settings.isEmpty())
        m_fakes->dataDirectory.writeFile(QStringLiteral("set.ini"), settings);
    m_window = std::make_unique<TFmain>(m_fakes->bundle());
    return m_window.get();
}

QStringList TestFollowAlong::highlighted() const {
    QStringList texts;
    for (const QTextEdit::ExtraSelection& selection : m_window->RichEdit1->extraSelections())
        texts << selection.cursor.selectedText();
    return texts;
}

void TestFollowAlong::spokenToEditorPositions_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QList<int>>("positions");
    QTest::newRow("no breaks") << QStringLiteral("ab") << QList<int>{0, 1, 2};
    QTest::newRow("line feed") << QStringLiteral("a\nb") << QList<int>{0, 1, 1, 2, 3};
    QTest::newRow("paragraph separators")
        << QStringLiteral("a\u2029\u2029b") << QList<int>{0, 1, 1, 2, 2, 3, 4};
    QTest::newRow("CR LF kept") << QStringLiteral("a\r\nb") << QList<int>{0, 1, 2, 3, 4};
    QTest::newRow("surrogate pair") << QStringLiteral("𠀀\nb") << QList<int>{0, 1, 2, 2, 3, 4};
}

void TestFollowAlong::spokenToEditorPositions() {
    QFETCH(QString, source);
    QFETCH(QList<int>, positions);
    const QString spoken = QString(source)
                               .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                               .replace(u'\u2029', u'\n')
                               .replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    const std::vector<int> mapped = editorPositions(source, spoken);
    QCOMPARE(QList<int>(mapped.begin(), mapped.end()), positions);
}

void TestFollowAlong::marksSentenceAndWord() {
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("One two. Three four."));
    w->BtnAloud->click();
    QVERIFY(highlighted().isEmpty());
    m_fakes->voice.hear(SpeechBoundary::Sentence, 0);
    QCOMPARE(highlighted(), QStringList{QStringLiteral("One two.")});
    m_fakes->voice.hear(SpeechBoundary::Word, 0, 3);
    m_fakes->voice.hear(SpeechBoundary::Word, 4, 3);
    QCOMPARE(highlighted(), (QStringList{QStringLiteral("One two."), QStringLiteral("two")}));
    m_fakes->voice.hear(SpeechBoundary::Sentence, 9);
    m_fakes->voice.hear(SpeechBoundary::Word, 9, 5);
    QCOMPARE(highlighted(), (QStringList{QStringLiteral("Three four."), QStringLiteral("Three")}));
    const auto selections = w->RichEdit1->extraSelections();
    QVERIFY(selections.at(0).format.background() != selections.at(1).format.background());
}

void TestFollowAlong::wordsMapToTheEditor_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selectFrom"); // -1: no selection
    QTest::addColumn<int>("selectTo");
    QTest::addColumn<int>("position"); // in the spoken text, breaks as CR LF
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("word");
    QTest::newRow("after two breaks")
        << QStringLiteral("第一行\n\n第二行。") << -1 << -1 << 7 << 3 << QStringLiteral("第二行");
    QTest::newRow("in a selection")
        << QStringLiteral("skip this\nread that") << 5 << 19 << 6 << 4 << QStringLiteral("read");
    QTest::newRow("after a surrogate pair")
        << QStringLiteral("𠀀 word") << -1 << -1 << 3 << 4 << QStringLiteral("word");
    // A word the engine places past the text ends with it.
    QTest::newRow("past the end") << QStringLiteral("end") << -1 << -1 << 0 << 9
                                  << QStringLiteral("end");
}

void TestFollowAlong::wordsMapToTheEditor() {
    QFETCH(QString, text);
    QFETCH(int, selectFrom);
    QFETCH(int, selectTo);
    QFETCH(int, position);
    QFETCH(int, length);
    QFETCH(QString, word);
    TFmain* w = start();
    w->RichEdit1->setPlainText(text);
    if (selectFrom >= 0) {
        QTextCursor cursor(w->RichEdit1->document());
        cursor.setPosition(selectFrom);
        cursor.setPosition(selectTo, QTextCursor::KeepAnchor);
        w->RichEdit1->setTextCursor(cursor);
    }
    w->NAloud->trigger();
    m_fakes->voice.hear(SpeechBoundary::Sentence, 0);
    m_fakes->voice.hear(SpeechBoundary::Word, position, length);
    QCOMPARE(highlighted().value(1), word);
}

void TestFollowAlong::documentAndSelectionUntouched() {
    TFmain* w = start();
    w->RichEdit1->setHtml(QStringLiteral("<p>Some <b>bold</b> words here.</p>"));
    QTextCursor cursor(w->RichEdit1->document());
    cursor.setPosition(1);
    cursor.setPosition(3, QTextCursor::KeepAnchor);
    w->RichEdit1->setTextCursor(cursor);
    w->RichEdit1->document()->clearUndoRedoStacks();
    w->RichEdit1->document()->setModified(false);
    const QString html = w->RichEdit1->toHtml();

    cursor.clearSelection(); // read the whole text, then select again
    w->RichEdit1->setTextCursor(cursor);
    w->BtnAloud->click();
    cursor.setPosition(1);
    cursor.setPosition(3, QTextCursor::KeepAnchor);
    w->RichEdit1->setTextCursor(cursor);
    m_fakes->voice.hear(SpeechBoundary::Sentence, 0);
    m_fakes->voice.hear(SpeechBoundary::Word, 5, 4);
    QCOMPARE(highlighted().value(1), QStringLiteral("bold"));

    QCOMPARE(w->RichEdit1->toHtml(), html);
    QVERIFY(!w->RichEdit1->document()->isUndoAvailable());
    QVERIFY(!w->RichEdit1->document()->isModified());
    QCOMPARE(w->RichEdit1->textCursor().selectionStart(), 1);
    QCOMPARE(w->RichEdit1->textCursor().selectionEnd(), 3);
}

void TestFollowAlong::clearing_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("cleared");
    QTest::newRow("pause keeps it") << "pause" << false;
    QTest::newRow("stop") << "stop" << true;
    QTest::newRow("end of the text") << "end" << true;
    QTest::newRow("an edit") << "edit" << true;
    QTest::newRow("switched off") << "off" << true;
}

void TestFollowAlong::clearing() {
    QFETCH(QString, action);
    QFETCH(bool, cleared);
    TFmain* w = start();
    w->RichEdit1->setPlainText(QStringLiteral("One two three."));
    w->BtnAloud->click();
    m_fakes->voice.hear(SpeechBoundary::Sentence, 0);
    m_fakes->voice.hear(SpeechBoundary::Word, 0, 3);
    if (action == QStringLiteral("pause"))
        w->NPause->trigger();
    else if (action == QStringLiteral("stop"))
        w->BtnStop->click();
    else if (action == QStringLiteral("end"))
        m_fakes->voice.hear(SpeechBoundary::End, 14);
    else if (action == QStringLiteral("edit"))
        w->RichEdit1->textCursor().insertText(QStringLiteral("x"));
    else
        w->NHighlight->trigger();
    QCOMPARE(highlighted().isEmpty(), cleared);
    // What is still heard of that reading no longer shows.
    m_fakes->voice.hear(SpeechBoundary::Word, 4, 3);
    QCOMPARE(highlighted().isEmpty(), cleared);
}

void TestFollowAlong::scrollsUnlessTheUserScrolled() {
    TFmain* w = start();
    w->resize(500, 400);
    w->show();
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("Line %1 is read.").arg(i, 3, 10, QChar(u'0'));
    w->RichEdit1->setPlainText(lines.join(u'\n'));
    QScrollBar* bar = w->RichEdit1->verticalScrollBar();
    const auto lineStart = [](int line) { return line * 19; }; // 17 characters and CR LF
    const auto hearLine = [&](int line) {
        m_fakes->voice.hear(SpeechBoundary::Sentence, lineStart(line));
        m_fakes->voice.hear(SpeechBoundary::Word, lineStart(line), 4);
    };
    w->BtnAloud->click();
    hearLine(0);
    QCOMPARE(bar->value(), 0);
    hearLine(150);
    QCOMPARE(highlighted().value(0), lines.at(150));
    QVERIFY(bar->value() > 0);
    const QRect shown = w->RichEdit1->cursorRect(w->RichEdit1->extraSelections().at(0).cursor);
    QVERIFY(w->RichEdit1->viewport()->rect().contains(shown));

    bar->setValue(0); // the user looks elsewhere
    hearLine(160);
    QCOMPARE(bar->value(), 0);

    w->BtnAloud->click(); // the next reading follows again
    hearLine(100);
    QVERIFY(bar->value() > 0);
}

void TestFollowAlong::menuItemAndStoredKey() {
    TFmain* w = start();
    const QList<QAction*> items = w->NSpeakI->actions();
    QCOMPARE(items.indexOf(w->NHighlight), items.indexOf(w->NStop) + 1);
    QCOMPARE(w->NHighlight->text(), QStringLiteral("朗读时突出显示"));
    QVERIFY(w->NHighlight->isCheckable() && w->NHighlight->isChecked());

    w->NHighlight->trigger(); // off
    w->RichEdit1->setPlainText(QStringLiteral("One two."));
    w->BtnAloud->click();
    m_fakes->voice.hear(SpeechBoundary::Word, 0, 3);
    QVERIFY(highlighted().isEmpty());
    m_window.reset(); // exit writes the settings

    w = start();
    QVERIFY(!w->NHighlight->isChecked());
    w->RichEdit1->setPlainText(QStringLiteral("One two."));
    w->BtnAloud->click();
    m_fakes->voice.hear(SpeechBoundary::Word, 0, 3);
    QVERIFY(highlighted().isEmpty());
    w->NHighlight->trigger(); // on again: the next reading is followed
    w->BtnAloud->click();
    m_fakes->voice.hear(SpeechBoundary::Word, 0, 3);
    // A word heard before its sentence is reported marks the sentence too.
    QCOMPARE(highlighted(), (QStringList{QStringLiteral("One two."), QStringLiteral("One")}));
}

QTEST_MAIN(TestFollowAlong)
#include "tst_follow_along.moc"
