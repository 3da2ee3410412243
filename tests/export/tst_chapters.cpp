// Where a book's chapters begin.
#include "documents/rtf_codec.h"
#include "export/chapters.h"

#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

class TestChapters : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void titleLines_data();
    void titleLines();
    void chaptersOfText_data();
    void chaptersOfText();
    void chaptersOfHeadings_data();
    void chaptersOfHeadings();
    void chaptersOfRtfOutline();
    void joining();
    void proposedTitles_data();
    void proposedTitles();
};

Q_DECLARE_METATYPE(QList<Chapter>)

namespace {

const QString Book = QStringLiteral("书");

// The titles and the first line of each chapter's text, which is all a table can show well.
QStringList outline(const QList<Chapter>& chapters) {
    QStringList rows;
    for (const Chapter& chapter : chapters)
        rows << chapter.title + u'|' + chapter.text;
    return rows;
}

} // namespace

void TestChapters::titleLines_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("title");
    QTest::newRow("chinese numeral") << "第一章" << true;
    QTest::newRow("with a name") << "第十二章 风起云涌" << true;
    QTest::newRow("big numeral") << "  第一百零八回  " << true;
    QTest::newRow("two") << "第两千卷" << true;
    QTest::newRow("digits") << "第3节：出发" << true;
    QTest::newRow("full-width digits") << "第１２章" << true;
    QTest::newRow("ling") << "第〇章" << true;
    QTest::newRow("no number") << "第章" << false;
    QTest::newRow("other numeral") << "第壹章" << false;
    QTest::newRow("other word") << "第一天" << false;
    QTest::newRow("not at the start") << "这是第一章" << false;
    QTest::newRow("a long sentence")
        << "第一章讲的是一个很长的故事，主人公从小就住在山里，后来他走出了大山，见到了外面的世界。"
        << false;
    QTest::newRow("english") << "Chapter 12" << true;
    QTest::newRow("roman") << "CHAPTER XII" << true;
    QTest::newRow("english with a name") << "Chapter 3. The Return" << true;
    QTest::newRow("lower case roman") << "chapter iv" << true;
    QTest::newRow("no number") << "Chapter" << false;
    QTest::newRow("a word") << "Chapter one" << false;
    QTest::newRow("prose") << "Chapters 3 to 5 were lost." << false;
    QTest::newRow("glued") << "Chapter12" << false;
    QTest::newRow("blanks around the number") << "第 3 章" << true;
    QTest::newRow("ideographic blanks") << "第\u30004\u3000章 尾声" << true;
    QTest::newRow("a sentence starting with 第一回") << "第一回见到他时，我才十岁。" << false;
    QTest::newRow("a sentence starting with 第二节") << "第二节课是数学。" << false;
    QTest::newRow("two sentences") << "第二节课是数学。他回到了家" << false;
    QTest::newRow("the word 章节") << "第三章节…" << false;
    QTest::newRow("the word 章节 alone") << "第三章节" << false;
    QTest::newRow("an english sentence") << "Chapter 5 is where it changed." << false;
}

void TestChapters::titleLines() {
    QFETCH(QString, line);
    QFETCH(bool, title);
    QCOMPARE(isChapterTitleLine(line), title);
}

void TestChapters::chaptersOfText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("chapters");
    QTest::newRow("chinese titles")
        << "第一章 起\n甲。\n第二章 承\n乙。\n第三章 合\n丙。"
        << QStringList{"第一章 起|第一章 起\n甲。", "第二章 承|第二章 承\n乙。",
                       "第三章 合|第三章 合\n丙。"};
    QTest::newRow("text before the first title")
        << "序言。\n\nChapter 1\nOne.\nChapter 2\nTwo."
        << QStringList{"书|序言。\n", "Chapter 1|Chapter 1\nOne.", "Chapter 2|Chapter 2\nTwo."};
    QTest::newRow("blank text before the first title")
        << "\n  \nCHAPTER I\nA.\nCHAPTER II\nB."
        << QStringList{"CHAPTER I|CHAPTER I\nA.", "CHAPTER II|CHAPTER II\nB."};
    QTest::newRow("none") << "Just some text.\nAnd more."
                          << QStringList{"书|Just some text.\nAnd more."};
    QTest::newRow("one") << "第一回\n话说天下大势。"
                         << QStringList{"第一回|第一回\n话说天下大势。"};
    QTest::newRow("a title at the very end")
        << "第一章\n甲。\n第二章" << QStringList{"第一章|第一章\n甲。", "第二章|第二章"};
    QTest::newRow("blanks in a title collapse")
        << "Chapter  2 \t Home\nText." << QStringList{"Chapter 2 Home|Chapter  2 \t Home\nText."};
    QTest::newRow("crlf and paragraph separators")
        << "第一章\r\n甲。\u2029第二章\r\n乙。"
        << QStringList{"第一章|第一章\n甲。", "第二章|第二章\n乙。"};
    QTest::newRow("short lines between blank lines")
        << "Home\n\nA long day began.\n\nRoad\n\nIt went on.\n\nSea\n\nWaves."
        << QStringList{"Home|Home\n\nA long day began.\n", "Road|Road\n\nIt went on.\n",
                       "Sea|Sea\n\nWaves."};
    QTest::newRow("two short lines are not enough")
        << "Home\n\nA long day began\n\nIt went on and on and on and on and on."
        << QStringList{"书|Home\n\nA long day began\n\nIt went on and on and on and on and on."};
    QTest::newRow("short sentences are no titles")
        << "Yes.\n\nNo!\n\nWhy?\n\nBecause." << QStringList{"书|Yes.\n\nNo!\n\nWhy?\n\nBecause."};
    QTest::newRow("titles by pattern win over short lines")
        << "Home\n\nRoad\n\nSea\n\n第一章\n甲。"
        << QStringList{"书|Home\n\nRoad\n\nSea\n", "第一章|第一章\n甲。"};
    QTest::newRow("a table of contents")
        << "小书\n\n目录\n第一章 起\n第二章 承\n第三章 转\n\n第一章 起\n"
           "第一回见到他时，我才十岁。\n第二章 承\n第二节课是数学。他回到了家。\n第三章 转\n"
           "丙。\n第 4 章 尾声\n完。"
        << QStringList{"书|小书\n\n目录\n第一章 起\n第二章 承\n第三章 转\n",
                       "第一章 起|第一章 起\n第一回见到他时，我才十岁。",
                       "第二章 承|第二章 承\n第二节课是数学。他回到了家。",
                       "第三章 转|第三章 转\n丙。", "第 4 章 尾声|第 4 章 尾声\n完。"};
    QTest::newRow("contents with page numbers and blank lines")
        << "CONTENTS\n\nChapter 1 Home   3\n\nChapter 2 Sea   9\n\nChapter 1 Home\nA.\n"
           "Chapter 2 Sea\nB."
        << QStringList{"书|CONTENTS\n\nChapter 1 Home   3\n\nChapter 2 Sea   9\n",
                       "Chapter 1 Home|Chapter 1 Home\nA.", "Chapter 2 Sea|Chapter 2 Sea\nB."};
    QTest::newRow("contents apart from the chapters")
        << "目 录\n第一章\n第二章\n\n前言。\n第一章\n甲。\n第二章\n乙。"
        << QStringList{"书|目 录\n第一章\n第二章\n\n前言。", "第一章|第一章\n甲。",
                       "第二章|第二章\n乙。"};
    QTest::newRow("a volume over its first chapter")
        << "第一卷 风\n第一章\n甲。\n第二章\n乙。"
        << QStringList{"第一卷 风|第一卷 风", "第一章|第一章\n甲。", "第二章|第二章\n乙。"};
    QTest::newRow("empty") << "" << QStringList{};
}

void TestChapters::chaptersOfText() {
    QFETCH(QString, text);
    QFETCH(QStringList, chapters);
    QCOMPARE(outline(findChapters(text, Book)), chapters);
}

void TestChapters::chaptersOfHeadings_data() {
    // Each paragraph: its heading level, a blank, its text.
    QTest::addColumn<QStringList>("paragraphs");
    QTest::addColumn<QStringList>("chapters");
    QTest::newRow("headings") << QStringList{"0 Preface.", "1 Start", "0 A.", "1 End", "0 B."}
                              << QStringList{"书|Preface.", "Start|Start\nA.", "End|End\nB."};
    QTest::newRow("one top heading over chapters")
        << QStringList{"1 The Book", "2 Start", "0 A.", "2 End", "0 B."}
        << QStringList{"书|The Book", "Start|Start\nA.", "End|End\nB."};
    QTest::newRow("sections stay in their chapter")
        << QStringList{"1 One", "2 Part", "0 A.", "1 Two", "0 B."}
        << QStringList{"One|One\nPart\nA.", "Two|Two\nB."};
    QTest::newRow("a single heading")
        << QStringList{"1 Only", "0 A."} << QStringList{"Only|Only\nA."};
    QTest::newRow("empty headings are no titles")
        << QStringList{"1  ", "0 A.", "1 Real", "0 B."} << QStringList{"书| \nA.", "Real|Real\nB."};
    QTest::newRow("no headings: title lines")
        << QStringList{"0 第一章", "0 甲。", "0 第二章", "0 乙。"}
        << QStringList{"第一章|第一章\n甲。", "第二章|第二章\n乙。"};
}

void TestChapters::chaptersOfHeadings() {
    QFETCH(QStringList, paragraphs);
    QFETCH(QStringList, chapters);
    QTextDocument document;
    QTextCursor cursor(&document);
    for (qsizetype i = 0; i < paragraphs.size(); ++i) {
        if (i > 0)
            cursor.insertBlock();
        QTextBlockFormat format;
        format.setHeadingLevel(paragraphs[i].section(u' ', 0, 0).toInt());
        cursor.setBlockFormat(format);
        cursor.insertText(paragraphs[i].section(u' ', 1));
    }
    QCOMPARE(outline(documentChapters(document, Book)), chapters);
}

void TestChapters::chaptersOfRtfOutline() {
    QTextDocument document;
    QVERIFY(readRtf("{\\rtf1\\ansi {\\pard\\outlinelevel0 Start\\par}{\\pard A.\\par}"
                    "{\\pard\\outlinelevel0 End\\par}{\\pard B.\\par}}",
                    document));
    QCOMPARE(outline(documentChapters(document, Book)),
             (QStringList{"Start|Start\nA.", "End|End\nB.\n"}));
}

void TestChapters::joining() {
    const QList<Chapter> chapters{{"A", "a"}, {"B", "b"}, {"C", "c"}};
    QCOMPARE(joinedWithPrevious(chapters, 2), (QList<Chapter>{{"A", "a"}, {"B", "b\nc"}}));
    QCOMPARE(joinedWithPrevious(chapters, 1), (QList<Chapter>{{"A", "a\nb"}, {"C", "c"}}));
    QCOMPARE(joinedWithPrevious(chapters, 0), chapters); // the first has nothing before it
}

void TestChapters::proposedTitles_data() {
    QTest::addColumn<QString>("ownTitle");
    QTest::addColumn<QString>("file"); // made in a temporary folder when set
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::newRow("the document's own") << "  My  Book "
                                        << "x.epub"
                                        << "Line"
                                        << "My Book";
    QTest::newRow("the file's name") << ""
                                     << "Sea Story.v2.txt"
                                     << "Line"
                                     << "Sea Story.v2";
    QTest::newRow("the first short line") << ""
                                          << ""
                                          << "\n  河边的故事 \n正文。"
                                          << "河边的故事";
    QTest::newRow("a first sentence is no title") << ""
                                                  << ""
                                                  << "It rained.\nMore."
                                                  << "";
    QTest::newRow("a first chapter title is no book title") << ""
                                                            << ""
                                                            << "第一章\n甲。"
                                                            << "";
    QTest::newRow("a long first line") << ""
                                       << "" << QString(31, u'x') << "";
    QTest::newRow("nothing") << ""
                             << ""
                             << ""
                             << "";
}

void TestChapters::proposedTitles() {
    QFETCH(QString, ownTitle);
    QFETCH(QString, file);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QTemporaryDir dir;
    QString address;
    if (!file.isEmpty()) {
        address = dir.filePath(file);
        QFile made(address);
        QVERIFY(made.open(QIODevice::WriteOnly));
    }
    QTextDocument document;
    document.setPlainText(text);
    document.setMetaInformation(QTextDocument::DocumentTitle, ownTitle);
    QCOMPARE(bookTitle(document, address), title);
}

QTEST_GUILESS_MAIN(TestChapters)
#include "tst_chapters.moc"
