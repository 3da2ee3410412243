// Qt's own texts in the Chinese window, and the program's dialogs using the same ones.
#include "app/toolkit_language.h"
#include "export/audiobook_dialog.h"
#include "speech/global_keys_dialog.h"
#include "speech/pronunciation_dialog.h"

#include <QDialogButtonBox>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <QtTest>
#include <memory>

class TestToolkitLanguage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void standardButtons_data();
    void standardButtons();
    void editorMenu();
    void dialogsShowTheStandardButtons_data();
    void dialogsShowTheStandardButtons();
};

void TestToolkitLanguage::initTestCase() {
    QVERIFY(loadToolkitTranslations());
}

void TestToolkitLanguage::standardButtons_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("ok") << int(QDialogButtonBox::Ok) << QStringLiteral("确定");
    QTest::newRow("cancel") << int(QDialogButtonBox::Cancel) << QStringLiteral("取消");
    QTest::newRow("close") << int(QDialogButtonBox::Close) << QStringLiteral("关闭");
    QTest::newRow("save") << int(QDialogButtonBox::Save) << QStringLiteral("保存");
}

void TestToolkitLanguage::standardButtons() {
    QFETCH(int, button);
    QFETCH(QString, text);
    QDialogButtonBox box{QDialogButtonBox::StandardButtons(button)};
    QCOMPARE(box.button(QDialogButtonBox::StandardButton(button))->text().remove(u'&'), text);
    // A message box's buttons are the same standard ones.
    QMessageBox message(QMessageBox::Information, QStringLiteral("Parlora"), QString(),
                        QMessageBox::StandardButton(button));
    QCOMPARE(message.button(QMessageBox::StandardButton(button))->text().remove(u'&'), text);
}

void TestToolkitLanguage::editorMenu() {
    QTextEdit editor;
    editor.setPlainText(QStringLiteral("一句话"));
    editor.selectAll();
    std::unique_ptr<QMenu> menu(editor.createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator())
            texts << action->text();
    }
    QVERIFY2(std::none_of(texts.begin(), texts.end(),
                          [](const QString& text) {
                              return text.contains(QStringLiteral("Copy")) ||
                                     text.contains(QStringLiteral("Paste")) ||
                                     text.contains(QStringLiteral("Select All"));
                          }),
             qPrintable(texts.join(u',')));
    QVERIFY2(std::any_of(texts.begin(), texts.end(),
                         [](const QString& text) { return text.contains(QStringLiteral("复制")); }),
             qPrintable(texts.join(u',')));
}

namespace {
std::unique_ptr<QDialog> dialogNamed(const QString& title) {
    if (title == QStringLiteral("发音词典"))
        return std::make_unique<PronunciationDialog>(
            PronunciationList{}, [](const PronunciationList&) { return true; }, nullptr);
    if (title == QStringLiteral("快捷键设置"))
        return std::make_unique<GlobalKeysDialog>(defaultGlobalKeys(), QList<GlobalCommand>{},
                                                  nullptr);
    return std::make_unique<AudiobookDialog>(
        QList<Chapter>{}, QStringLiteral("书"), [] { return QString(); }, nullptr);
}
} // namespace

void TestToolkitLanguage::dialogsShowTheStandardButtons_data() {
    QTest::addColumn<QString>("title");
    for (const char* title : {"发音词典", "快捷键设置", "导出为有声书"})
        QTest::newRow(title) << QString::fromUtf8(title);
}

// Every dialog of the program says 确定 and 取消 as Qt's own dialogs do.
void TestToolkitLanguage::dialogsShowTheStandardButtons() {
    QFETCH(QString, title);
    const std::unique_ptr<QDialog> dialog = dialogNamed(title);
    QCOMPARE(dialog->windowTitle(), title);
    auto* box = dialog->findChild<QDialogButtonBox*>();
    QVERIFY(box);
    QCOMPARE(box->button(QDialogButtonBox::Ok)->text().remove(u'&'), QStringLiteral("确定"));
    QCOMPARE(box->button(QDialogButtonBox::Cancel)->text().remove(u'&'), QStringLiteral("取消"));
}

QTEST_MAIN(TestToolkitLanguage)
#include "tst_toolkit_language.moc"
