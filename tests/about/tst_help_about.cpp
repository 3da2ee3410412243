#include "about/help_text.h"
#include "about/tfabout.h"
#include "about/web_links.h"
#include "app/tfmain.h"
#include "platform/fakes/fake_platform.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

class TestHelpAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void helpTextLines();
    void mailLink_data();
    void mailLink();
    void shippedPageFoundBesideOrInstalled();
    void everyHelpCommandShowsTheSameBox();
    void webLinksGoToTheShell();
    void aboutBoxLayout();
    void aboutOpenedTwiceGivesOneBox();
    void aboutLinks();
    void aboutTextsFitWhenShown_data();
    void aboutTextsFitWhenShown();

private:
    TFmain* start();
    std::unique_ptr<FakePlatform> m_fakes;
    std::unique_ptr<TFmain> m_window;
};

void TestHelpAbout::init() {
    m_fakes = std::make_unique<FakePlatform>();
}

void TestHelpAbout::cleanup() {
    m_window.reset();
    m_fakes.reset();
}

TFmain* TestHelpAbout::start() {
    m_window = std::make_unique<TFmain>(m_fakes->bundle());
    return m_window.get();
}

void TestHelpAbout::helpTextLines() {
    const QString text = helpText(QStringLiteral("ask@example.net"));
    QVERIFY(!text.endsWith(u'\n'));
    QCOMPARE(text.count(u'\r'), 39);
    QCOMPARE(text.count(u'\n'), 39);
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 40);
    const QString dashes(79, u'-');
    for (int number = 1; number <= 40; ++number) {
        const bool dashLine = QList<int>{2, 11, 18, 30, 33, 38}.contains(number);
        QCOMPARE(lines[number - 1] == dashes, dashLine);
    }
    QCOMPARE(lines[0], QStringLiteral("欢迎使用 Parlora!"));
    QCOMPARE(
        lines[7],
        QStringLiteral("朗读剪贴板文字，在任何程序中，选择你要朗读的文字，然后点击\"复制\"菜单."));
    QCOMPARE(lines[21], QStringLiteral("停止:停止朗读. "));
    QCOMPARE(lines[22], QStringLiteral("朗读按键(所有):朗读字母，数字和控制按键。"));
    QCOMPARE(lines[36], QStringLiteral("关于:关于Parlora."));
    QCOMPARE(lines[39], QStringLiteral("请联系我们:ask@example.net."));
}

void TestHelpAbout::mailLink_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("link");
    QTest::newRow("plain") << "ask@example.net"
                           << "mailto:ask@example.net?subject=Parlora";
    QTest::newRow("unicode") << "用户@例子.中国"
                             << "mailto:%E7%94%A8%E6%88%B7@%E4%BE%8B%E5%AD%90.%E4%B8%AD%E5%9B%BD"
                                "?subject=Parlora";
    QTest::newRow("a question mark stays in the address") << "a?b@c.d"
                                                          << "mailto:a%3Fb@c.d?subject=Parlora";
}

void TestHelpAbout::mailLink() {
    QFETCH(QString, address);
    QFETCH(QString, link);
    QCOMPARE(::mailLink(address), link);
    QCOMPARE(QUrl(link).path(), address);
}

void TestHelpAbout::shippedPageFoundBesideOrInstalled() {
    QTemporaryDir root; // an installation: <prefix>/lib/parlora/ and <prefix>/share/
    const QString bin = root.path() + QStringLiteral("/lib/parlora/");
    QVERIFY(QDir().mkpath(bin));
    QCOMPARE(webLinks(bin).homePage,
             QUrl::fromLocalFile(bin + QStringLiteral("doc/parlora-help.html")).toString());

    // Not share/doc, which a system may leave out of every package it installs.
    QVERIFY(QDir().mkpath(root.path() + QStringLiteral("/share/parlora")));
    const QString installed = root.path() + QStringLiteral("/share/parlora/parlora-help.html");
    QVERIFY(QFile(installed).open(QIODevice::WriteOnly));
    QCOMPARE(webLinks(bin).homePage, QUrl::fromLocalFile(installed).toString());

    QVERIFY(QDir().mkpath(bin + QStringLiteral("doc")));
    QVERIFY(QFile(bin + QStringLiteral("doc/parlora-help.html")).open(QIODevice::WriteOnly));
    const WebLinks links = webLinks(bin);
    QCOMPARE(links.homePage,
             QUrl::fromLocalFile(bin + QStringLiteral("doc/parlora-help.html")).toString());
    QCOMPARE(links.moreVoices, links.homePage + QStringLiteral("#voices"));
    QVERIFY(links.contact.contains(u'@'));
}

void TestHelpAbout::everyHelpCommandShowsTheSameBox() {
    TFmain* w = start();
    QCOMPARE(w->NHelp->shortcut(), QKeySequence(Qt::Key_F1));
    w->NHelp->trigger();
    w->BtnHelp->click();
    w->NNHelp->trigger();
    const auto& messages = m_fakes->dialogs.messages;
    QCOMPARE(messages.size(), 3);
    for (const auto& message : messages) {
        QCOMPARE(message.caption, QStringLiteral("Parlora 帮助"));
        QCOMPARE(message.text, helpText(webLinks(m_fakes->bundle().programDirectory).contact));
    }
}

void TestHelpAbout::webLinksGoToTheShell() {
    TFmain* w = start();
    const WebLinks links = webLinks(m_fakes->bundle().programDirectory);
    w->show(); // the label has its size once laid out
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->NHomePage->trigger();
    w->NNHomePage->trigger();
    QTest::mouseClick(w->TntLabel1, Qt::LeftButton);
    QTest::mouseClick(w->TntLabel1, Qt::RightButton); // not a click on a link
    QCOMPARE(m_fakes->shell.opened,
             QStringList({links.homePage, links.homePage, links.moreVoices}));
}

void TestHelpAbout::aboutBoxLayout() {
    TFmain* w = start();
    TFAbout* about = w->FAbout;
    QVERIFY(about && !about->isVisible());
    QCOMPARE(about->objectName(), QStringLiteral("FAbout"));
    QCOMPARE(about->windowTitle(), QStringLiteral("关于"));
    QCOMPARE(about->size(), QSize(279, 227));
    QCOMPARE(about->minimumSize(), about->maximumSize());
    QCOMPARE(about->font().pixelSize(), 11);
    QCOMPARE(about->Image1->geometry(), QRect(24, 18, 33, 32));
    QCOMPARE(about->TntLabel1->text(), QStringLiteral("Parlora 2008"));
    QVERIFY(about->TntLabel1->font().bold());
    QCOMPARE(about->TntLabel1->pos(), QPoint(67, 28));
    QCOMPARE(about->TntLabel3->pos(), QPoint(26, 88));
    QCOMPARE(about->TntLabel4->pos(), QPoint(26, 114));
    QCOMPARE(about->TntLabel4->text(), webLinks(m_fakes->bundle().programDirectory).contact);
    QCOMPARE(about->Bevel1->y(), 177);
    QCOMPARE(about->BtnClose->geometry(), QRect(199, 190, 75, 25));
    QCOMPARE(about->BtnClose->text(), QStringLiteral("关闭"));
    // The box is not one of the main window's children: their names would clash.
    QVERIFY(!w->findChildren<QWidget*>().contains(about));
}

void TestHelpAbout::aboutOpenedTwiceGivesOneBox() {
    TFmain* w = start();
    int visibleBoxes = -1;
    bool secondReturned = false;
    QTimer::singleShot(0, this, [&] {
        w->NAbout->trigger(); // the box is already showing: nothing happens
        secondReturned = true;
        visibleBoxes = 0;
        for (QWidget* top : QApplication::topLevelWidgets())
            visibleBoxes += qobject_cast<TFAbout*>(top) && top->isVisible();
        w->FAbout->BtnClose->click();
    });
    w->NNAbout->trigger(); // modal: returns when the box is closed
    QVERIFY(secondReturned);
    QCOMPARE(visibleBoxes, 1);
    QVERIFY(w->FAbout->isModal());
    QVERIFY(!w->FAbout->isVisible());
}

void TestHelpAbout::aboutLinks() {
    TFmain* w = start();
    QTest::mouseClick(w->FAbout->TntLabel3, Qt::LeftButton);
    QTest::mouseClick(w->FAbout->TntLabel4, Qt::LeftButton);
    const WebLinks links = webLinks(m_fakes->bundle().programDirectory);
    QCOMPARE(m_fakes->shell.opened, QStringList({links.homePage, ::mailLink(links.contact)}));
}

// The box draws its icon and measures its texts when first shown, not when made at start-up.
void TestHelpAbout::aboutTextsFitWhenShown_data() {
    QTest::addColumn<QString>("homePage");
    QTest::addColumn<bool>("shortened");
    QTest::newRow("short address whole") << QStringLiteral("https://example.org/") << false;
    QTest::newRow("long address shortened in the middle")
        << QStringLiteral("file:///") + QStringLiteral("folder/").repeated(40) +
               QStringLiteral("parlora-help.html")
        << true;
}

void TestHelpAbout::aboutTextsFitWhenShown() {
    QFETCH(QString, homePage);
    QFETCH(bool, shortened);
    TFAbout about(m_fakes->shell, {homePage, homePage, QStringLiteral("ask@example.net")});
    about.show();
    QVERIFY(!about.Image1->pixmap().isNull());
    QCOMPARE(about.TntLabel1->width(), about.TntLabel1->sizeHint().width());
    const QString shown = about.TntLabel3->text();
    QVERIFY2(about.TntLabel3->fontMetrics().horizontalAdvance(shown) <= about.TntLabel3->width(),
             qPrintable(shown));
    QCOMPARE(shown != homePage, shortened);
    if (shortened) {
        QVERIFY(shown.startsWith(QStringLiteral("file:///folder/")));
        QVERIFY(shown.endsWith(QStringLiteral("parlora-help.html")));
    }
    QCOMPARE(about.TntLabel3->toolTip(), homePage);
    QCOMPARE(about.TntLabel4->text(), QStringLiteral("ask@example.net"));
    about.close();
}

QTEST_MAIN(TestHelpAbout)
#include "tst_help_about.moc"
