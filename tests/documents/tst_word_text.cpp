#include "documents/word_text.h"

#include <QtTest>

// What the fast Word converter writes: when it can be shown, and how it is made fit to read.
class TestWordText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void usableOutput_data();
    void usableOutput();
    void tableRowsBecomeTabbedLines_data();
    void tableRowsBecomeTabbedLines();
};

void TestWordText::usableOutput_data() {
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QByteArray>("errors");
    QTest::addColumn<bool>("usable");
    QTest::newRow("Chinese and emoji")
        << QByteArray("中文 \xF0\x9F\x98\x80\n") << QByteArray() << true;
    QTest::newRow("replacement characters")
        << QByteArray("text \xEF\xBF\xBD\xEF\xBF\xBD\n") << QByteArray() << false;
    QTest::newRow("not UTF-8") << QByteArray("caf\xE9\n") << QByteArray() << false;
    QTest::newRow("cut sequence") << QByteArray("ab\xE4\xB8") << QByteArray() << false;
    QTest::newRow("error reported")
        << QByteArray("some text\n") << QByteArray("x.doc is not a Word Document.\n") << false;
    QTest::newRow("blank error channel") << QByteArray("text\n") << QByteArray(" \n") << true;
}

void TestWordText::usableOutput() {
    QFETCH(QByteArray, output);
    QFETCH(QByteArray, errors);
    QFETCH(bool, usable);
    QCOMPARE(isUsableWordConverterOutput(output, errors), usable);
}

void TestWordText::tableRowsBecomeTabbedLines_data() {
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty cell") << QByteArray("|a | |c|\n") << QStringLiteral("a\t\tc");
    QTest::newRow("bar inside text") << QByteArray("a | b\n") << QStringLiteral("a | b");
}

void TestWordText::tableRowsBecomeTabbedLines() {
    QFETCH(QByteArray, output);
    QFETCH(QString, text);
    QCOMPARE(wordConverterText(output), text);
}

QTEST_GUILESS_MAIN(TestWordText)
#include "tst_word_text.moc"
