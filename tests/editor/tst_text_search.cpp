#include "editor/date_stamp.h"
#include "editor/job_title.h"
#include "editor/text_search.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

class TestTextSearch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void find_data();
    void find();
    void replace_data();
    void replace();
    void replaceIsOneUndoStep();
    void replaceKeepsFormats();
    void stamp_data();
    void stamp();
    void longTimeFormatHasNoZone();
    void jobTitle_data();
    void jobTitle();
};

void TestTextSearch::find_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("search");
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<int>("found");
    QTest::newRow("first") << "abc abc"
                           << "abc" << 0 << false << false << 0;
    QTest::newRow("second") << "abc abc"
                            << "abc" << 3 << false << false << 4;
    QTest::newRow("none after") << "abc abc"
                                << "abc" << 7 << false << false << -1;
    QTest::newRow("no wrap") << "abc xyz"
                             << "abc" << 1 << false << false << -1;
    QTest::newRow("any case") << "x ABC"
                              << "abc" << 0 << false << false << 2;
    QTest::newRow("case kept") << "x ABC"
                               << "abc" << 0 << true << false << -1;
    QTest::newRow("part of word") << "abcd"
                                  << "abc" << 0 << false << false << 0;
    QTest::newRow("whole word") << "abcd abc"
                                << "abc" << 0 << false << true << 5;
    QTest::newRow("chinese") << "我们在读书"
                             << "读书" << 0 << false << false << 3;
    QTest::newRow("astral") << "\U0001F600a\U0001F600b"
                            << "\U0001F600b" << 1 << false << false << 3;
    QTest::newRow("empty") << "abc"
                           << "" << 0 << false << false << -1;
}

void TestTextSearch::find() {
    QFETCH(QString, text);
    QFETCH(QString, search);
    QFETCH(int, from);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(int, found);
    QTextDocument document(text);
    QCOMPARE(findText(document, search, from, {matchCase, wholeWord}), found);
}

void TestTextSearch::replace_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("all");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("next");
    QTest::newRow("a to aa") << "a a"
                             << "a"
                             << "aa" << 0 << true << "aa aa" << 3 << 5;
    QTest::newRow("after selection") << "a a a"
                                     << "a"
                                     << "b" << 2 << true << "a b b" << 4 << 5;
    QTest::newRow("single") << "ab ab"
                            << "ab"
                            << "x" << 0 << false << "x ab" << 0 << 1;
    QTest::newRow("none") << "abc"
                          << "z"
                          << "y" << 0 << true << "abc" << -1 << 0;
    QTest::newRow("chinese") << "读书读书"
                             << "读书"
                             << "写字" << 0 << true << "写字写字" << 2 << 4;
    QTest::newRow("to nothing") << "xaxa"
                                << "a"
                                << "" << 0 << true << "xx" << 2 << 2;
}

void TestTextSearch::replace() {
    QFETCH(QString, text);
    QFETCH(QString, search);
    QFETCH(QString, replacement);
    QFETCH(int, from);
    QFETCH(bool, all);
    QFETCH(QString, result);
    QFETCH(int, start);
    QFETCH(int, next);
    QTextDocument document(text);
    const ReplaceRun run = replaceText(document, search, replacement, from, {}, all);
    QCOMPARE(document.toPlainText(), result);
    QCOMPARE(run.start, start);
    QCOMPARE(run.next, next);
    if (start >= 0)
        QCOMPARE(run.length, int(replacement.size()));
}

void TestTextSearch::replaceIsOneUndoStep() {
    QTextDocument document(QStringLiteral("a b a b a"));
    replaceText(document, QStringLiteral("a"), QStringLiteral("c"), 0, {}, true);
    QCOMPARE(document.toPlainText(), QStringLiteral("c b c b c"));
    document.undo();
    QCOMPARE(document.toPlainText(), QStringLiteral("a b a b a"));
}

void TestTextSearch::replaceKeepsFormats() {
    QTextDocument document;
    document.setHtml(QStringLiteral("<b>bold</b> x <i>it</i>"));
    replaceText(document, QStringLiteral("x"), QStringLiteral("yy"), 0, {}, true);
    QTextCursor cursor(&document);
    cursor.setPosition(1);
    QVERIFY(cursor.charFormat().font().bold());
    cursor.setPosition(document.toPlainText().indexOf(QStringLiteral("it")) + 1);
    QVERIFY(cursor.charFormat().font().italic());
}

void TestTextSearch::stamp_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("stamp");
    QTest::newRow("afternoon") << QDateTime(QDate(2008, 5, 17), QTime(14, 3, 9))
                               << "2008-05-17 14:03:09";
    QTest::newRow("midnight") << QDateTime(QDate(2008, 5, 17), QTime(0, 0)) << "2008-05-17";
    QTest::newRow("after midnight")
        << QDateTime(QDate(2008, 5, 17), QTime(0, 0, 1)) << "2008-05-17 00:00:01";
}

void TestTextSearch::stamp() {
    QFETCH(QDateTime, now);
    QFETCH(QString, stamp);
    QCOMPARE(dateTimeStamp(now, QStringLiteral("yyyy-MM-dd"), QStringLiteral("HH:mm:ss")), stamp);
}

void TestTextSearch::longTimeFormatHasNoZone() {
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::Chinese, QLocale::China),
                                  QLocale(QLocale::English, QLocale::UnitedStates)}) {
        const QString format = longTimeFormat(locale);
        QVERIFY2(!format.contains(u't'), qPrintable(format));
        QVERIFY2(format.contains(QStringLiteral("ss")), qPrintable(format));
    }
}

void TestTextSearch::jobTitle_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::newRow("first line") << "第一行\r\nsecond"
                                << "第一行";
    QTest::newRow("long") << QString(300, u'x') << QString(255, u'x');
    QTest::newRow("pair not split")
        << QString(254, u'x') + QStringLiteral("\U0001F600") << QString(254, u'x');
    QTest::newRow("empty") << ""
                           << "";
}

void TestTextSearch::jobTitle() {
    QFETCH(QString, text);
    QFETCH(QString, title);
    QCOMPARE(printJobTitle(text), title);
}

QTEST_MAIN(TestTextSearch)
#include "tst_text_search.moc"
