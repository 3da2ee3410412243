#include "app/tfmain.h"
#include "export/audiobook_dialog.h"
#include "platform/fakes/fake_platform.h"
#include "speech/global_keys_dialog.h"
#include "speech/pronunciation_dialog.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QSlider>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

namespace {

QString describe(QAccessibleInterface* object) {
    QObject* o = object->object();
    return QStringLiteral("%1 %2 (%3)")
        .arg(o ? QString::fromLatin1(o->metaObject()->className()) : QStringLiteral("-"),
             o ? o->objectName() : QString())
        .arg(int(object->role()));
}

// Every object below the root that a screen reader would stop at (it takes the focus or shows a
// value) and has no name.
void collectUnnamed(QAccessibleInterface* object, QStringList& unnamed, int depth = 0) {
    QVERIFY2(depth < 50, "the accessible tree loops");
    const bool stopsAt = object->state().focusable || object->valueInterface();
    if (stopsAt && object->text(QAccessible::Name).trimmed().isEmpty())
        unnamed << describe(object);
    for (int i = 0; i < object->childCount(); ++i) {
        if (QAccessibleInterface* child = object->child(i))
            collectUnnamed(child, unnamed, depth + 1);
    }
}

QAccessibleInterface* accessibleOf(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget);
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void noFocusableOrValueObjectIsUnnamed();
    void controlsAreNamedInChinese_data();
    void controlsAreNamedInChinese();
    void controlsAreLabelledByTheirCaptions_data();
    void controlsAreLabelledByTheirCaptions();
    void valueControlsReportTheirValues();
    void linkIsPressedLikeAClick_data();
    void linkIsPressedLikeAClick();
    void tabMovesInVisualOrder_data();
    void tabMovesInVisualOrder();
    void tabIsTextInTheEditor();
    void tabCycleReachesEveryControlOnce();
    void dialogsHaveNoUnnamedControls_data();
    void dialogsHaveNoUnnamedControls();

private:
    QWidget* child(const QString& name) { return m_window->findChild<QWidget*>(name); }
    QString focusName() const {
        QWidget* focus = QApplication::focusWidget();
        // The address box's text field stands for the box.
        while (focus && focus->objectName().isEmpty())
            focus = focus->parentWidget();
        return focus ? focus->objectName() : QString();
    }

    std::unique_ptr<FakePlatform> m_fakes;
    std::unique_ptr<TFmain> m_window;
};

void TestAccessibility::init() {
    m_fakes = std::make_unique<FakePlatform>();
    m_fakes->voice.voices = {{QStringLiteral("sit/cmn"),
                              QStringLiteral("Chinese (Mandarin, latin as English)"),
                              QStringLiteral("cmn")},
                             {QStringLiteral("gmw/en"), QStringLiteral("English (Great Britain)"),
                              QStringLiteral("en-gb")}};
    m_window = std::make_unique<TFmain>(m_fakes->bundle());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestAccessibility::cleanup() {
    m_window.reset();
    m_fakes.reset();
}

void TestAccessibility::noFocusableOrValueObjectIsUnnamed() {
    QAccessibleInterface* root = accessibleOf(m_window.get());
    QVERIFY(root);
    QStringList unnamed;
    collectUnnamed(root, unnamed);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral("; "))));
}

void TestAccessibility::controlsAreNamedInChinese_data() {
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("role");
    const struct {
        const char* object;
        const char16_t* name;
        QAccessible::Role role;
    } rows[] = {
        {"RichEdit1", u"正文", QAccessible::EditableText},
        {"TBRate", u"语速", QAccessible::Slider},
        {"TBVolume", u"音量", QAccessible::Slider},
        {"ProgressBar1", u"音量电平", QAccessible::ProgressBar},
        {"CUrl", u"地址", QAccessible::ComboBox},
        {"BtnGo", u"转到", QAccessible::Button},
        // Named by its item, and by its label through a relation.
        {"cbVoices", u"中文（普通话）", QAccessible::ComboBox},
        {"TntLabel1", u"获取更多语音引擎...", QAccessible::Link},
        {"BtnAloud", u"朗读", QAccessible::Button},
        {"CBSpeakClipBrd", u"朗读剪贴板", QAccessible::CheckBox},
    };
    for (const auto& row : rows)
        QTest::newRow(row.object) << QString::fromLatin1(row.object) << QString::fromUtf16(row.name)
                                  << int(row.role);
}

void TestAccessibility::controlsAreNamedInChinese() {
    QFETCH(QString, object);
    QFETCH(QString, name);
    QFETCH(int, role);
    QWidget* widget = child(object);
    QVERIFY(widget);
    QAccessibleInterface* accessible = accessibleOf(widget);
    QVERIFY(accessible);
    QCOMPARE(accessible->text(QAccessible::Name), name);
    QCOMPARE(int(accessible->role()), role);
}

void TestAccessibility::controlsAreLabelledByTheirCaptions_data() {
    QTest::addColumn<QString>("object");
    QTest::addColumn<QString>("label");
    QTest::newRow("address") << "CUrl"
                             << "lblUrl";
    QTest::newRow("voices") << "cbVoices"
                            << "lblengine";
    QTest::newRow("rate") << "TBRate"
                          << "lblRate1";
    QTest::newRow("volume") << "TBVolume"
                            << "lblVolume1";
}

void TestAccessibility::controlsAreLabelledByTheirCaptions() {
    QFETCH(QString, object);
    QFETCH(QString, label);
    QStringList labels;
    for (const auto& [other, relation] : accessibleOf(child(object))->relations(QAccessible::Label))
        labels << (other->object() ? other->object()->objectName() : QString());
    QCOMPARE(labels, QStringList{label});
}

void TestAccessibility::valueControlsReportTheirValues() {
    m_window->TBRate->setValue(-4);
    m_window->TBVolume->setValue(65);
    m_window->ProgressBar1->setValue(7);
    const std::pair<QWidget*, int> rows[] = {
        {m_window->TBRate, -4}, {m_window->TBVolume, 65}, {m_window->ProgressBar1, 7}};
    for (const auto& [widget, value] : rows) {
        QAccessibleValueInterface* shown = accessibleOf(widget)->valueInterface();
        QVERIFY2(shown, qPrintable(widget->objectName()));
        QCOMPARE(shown->currentValue().toInt(), value);
    }
    QCOMPARE(accessibleOf(m_window->TBRate)->valueInterface()->minimumValue().toInt(), -10);
    QCOMPARE(accessibleOf(m_window->TBVolume)->valueInterface()->maximumValue().toInt(), 100);
}

void TestAccessibility::linkIsPressedLikeAClick_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("press action") << "action";
    QTest::newRow("Enter") << "enter";
    QTest::newRow("Space") << "space";
    QTest::newRow("click") << "click";
}

void TestAccessibility::linkIsPressedLikeAClick() {
    QFETCH(QString, how);
    QLabel* link = m_window->TntLabel1;
    if (how == QStringLiteral("action")) {
        QAccessibleActionInterface* actions = accessibleOf(link)->actionInterface();
        QVERIFY(actions);
        QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
        actions->doAction(QAccessibleActionInterface::pressAction());
    } else if (how == QStringLiteral("click")) {
        QTest::mouseClick(link, Qt::LeftButton);
    } else {
        link->setFocus(Qt::TabFocusReason);
        QVERIFY(link->hasFocus());
        QTest::keyClick(link, how == QStringLiteral("enter") ? Qt::Key_Return : Qt::Key_Space);
    }
    QCOMPARE(m_fakes->shell.opened.size(), 1);
}

void TestAccessibility::tabMovesInVisualOrder_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("to");
    const int none = Qt::NoModifier;
    const int ctrl = Qt::ControlModifier;
    const int shift = Qt::ShiftModifier;
    QTest::newRow("address box, Tab") << "CUrl" << int(Qt::Key_Tab) << none << "BtnGo";
    QTest::newRow("go, Tab: the editor") << "BtnGo" << int(Qt::Key_Tab) << none << "RichEdit1";
    QTest::newRow("editor, Ctrl+Tab") << "RichEdit1" << int(Qt::Key_Tab) << ctrl << "cbVoices";
    QTest::newRow("editor, Ctrl+Shift+Tab")
        << "RichEdit1" << int(Qt::Key_Tab) << (ctrl | shift) << "BtnGo";
    // What X11 sends for Ctrl+Shift+Tab.
    QTest::newRow("editor, Ctrl+Shift+Backtab")
        << "RichEdit1" << int(Qt::Key_Backtab) << (ctrl | shift) << "BtnGo";
    QTest::newRow("voices, Shift+Tab: the editor")
        << "cbVoices" << int(Qt::Key_Backtab) << shift << "RichEdit1";
    QTest::newRow("voices, Tab: the link") << "cbVoices" << int(Qt::Key_Tab) << none << "TntLabel1";
    QTest::newRow("link, Tab") << "TntLabel1" << int(Qt::Key_Tab) << none << "TBRate";
    QTest::newRow("rate, Tab") << "TBRate" << int(Qt::Key_Tab) << none << "TBVolume";
    QTest::newRow("volume, Tab") << "TBVolume" << int(Qt::Key_Tab) << none << "CBSpeakKeyAll";
    QTest::newRow("last box, Tab: the tool bar")
        << "CBShowClipBrdText" << int(Qt::Key_Tab) << none << "BtnOpen";
    QTest::newRow("tool bar, Shift+Tab: the last box")
        << "BtnOpen" << int(Qt::Key_Backtab) << shift << "CBShowClipBrdText";
    QTest::newRow("last tool button, Tab") << "BtnAbout" << int(Qt::Key_Tab) << none << "CUrl";
}

void TestAccessibility::tabMovesInVisualOrder() {
    QFETCH(QString, from);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, to);
    child(from)->setFocus(Qt::OtherFocusReason);
    QCOMPARE(focusName(), from);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(focusName(), to);
}

void TestAccessibility::tabIsTextInTheEditor() {
    QVERIFY(!m_window->RichEdit1->tabChangesFocus());
    m_window->RichEdit1->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(m_window->RichEdit1, Qt::Key_Tab);
    QCOMPARE(focusName(), QStringLiteral("RichEdit1"));
    QCOMPARE(m_window->RichEdit1->toPlainText(), QStringLiteral("\t"));
}

// Tab all the way round (Ctrl+Tab out of the editor): each control once, in visual order.
void TestAccessibility::tabCycleReachesEveryControlOnce() {
    const QStringList expected{
        QStringLiteral("BtnOpen"),
        QStringLiteral("BtnPaste"),
        QStringLiteral("BtnExport"),
        QStringLiteral("BtnAloud"),
        QStringLiteral("BtnPause"),
        QStringLiteral("BtnStop"),
        QStringLiteral("BtnHelp"),
        QStringLiteral("BtnAbout"),
        QStringLiteral("CUrl"),
        QStringLiteral("BtnGo"),
        QStringLiteral("RichEdit1"),
        QStringLiteral("cbVoices"),
        QStringLiteral("TntLabel1"),
        QStringLiteral("TBRate"),
        QStringLiteral("TBVolume"),
        QStringLiteral("CBSpeakKeyAll"),
        QStringLiteral("CBSpeakletterdigit"),
        QStringLiteral("CBSpeakLetter"),
        QStringLiteral("CBSpeakdigit"),
        QStringLiteral("CBSpeakClipBrd"),
        QStringLiteral("CBShowKeyWord"),
        QStringLiteral("CBShowClipBrdText"),
    };
    m_window->BtnOpen->setFocus(Qt::OtherFocusReason);
    QStringList visited;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        visited << focusName();
        const bool inEditor = visited.back() == QStringLiteral("RichEdit1");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                        inEditor ? Qt::ControlModifier : Qt::NoModifier);
    }
    QCOMPARE(visited, expected);
    QCOMPARE(focusName(), expected.first());
}

namespace {
// Each dialog with something in its lists, so that their rows are walked too.
std::unique_ptr<QDialog> dialogNamed(const QString& title, QWidget* parent) {
    if (title == QStringLiteral("发音词典")) {
        PronunciationList list;
        list.entries = {{{QStringLiteral("行长"), QStringLiteral("航掌")}, {}}};
        return std::make_unique<PronunciationDialog>(
            list, [](const PronunciationList&) { return true; }, parent);
    }
    if (title == QStringLiteral("快捷键设置"))
        return std::make_unique<GlobalKeysDialog>(defaultGlobalKeys(),
                                                  QList<GlobalCommand>{GlobalCommand(0)}, parent);
    return std::make_unique<AudiobookDialog>(
        QList<Chapter>{{QStringLiteral("第一章"), QStringLiteral("第一章 开始")},
                       {QStringLiteral("第二章"), QStringLiteral("第二章 结束")}},
        QStringLiteral("书"), [] { return QString(); }, parent);
}
} // namespace

void TestAccessibility::dialogsHaveNoUnnamedControls_data() {
    QTest::addColumn<QString>("title");
    for (const char* title : {"发音词典", "快捷键设置", "导出为有声书"})
        QTest::newRow(title) << QString::fromUtf8(title);
}

void TestAccessibility::dialogsHaveNoUnnamedControls() {
    QFETCH(QString, title);
    const std::unique_ptr<QDialog> dialog = dialogNamed(title, m_window.get());
    QCOMPARE(dialog->windowTitle(), title);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    QAccessibleInterface* root = accessibleOf(dialog.get());
    QVERIFY(root);
    QCOMPARE(root->text(QAccessible::Name), title);
    QStringList unnamed;
    collectUnnamed(root, unnamed);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral("; "))));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
