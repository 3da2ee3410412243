// The address box: local paths and web addresses, the hidden page's text, the recent list.
#include "app/tfmain.h"

#include "documents/address_text.h"
#include "documents/document_file.h"
#include "documents/recent_list_file.h"
#include "platform/data_directory.h"
#include "platform/hidden_browser.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextEdit>
#include <QToolButton>

namespace {

const QString RecentListFile = QStringLiteral("files.ini");

// Enter in the address box opens the address; the box itself never sees it, so that it does
// not also report the matching list entry as chosen.
class EnterKeyFilter : public QObject {
public:
    EnterKeyFilter(std::function<void(int)> keyDown, QObject* parent)
        : QObject(parent), m_keyDown(std::move(keyDown)) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        if (auto* list = qobject_cast<QWidget*>(watched); list && list->isWindow())
            list->hide(); // the completer's list, which would open its marked entry too
        m_keyDown(key);
        return true;
    }

private:
    std::function<void(int)> m_keyDown;
};

} // namespace

void TFmain::BtnGoClick() {
    openAddress();
}

void TFmain::CUrlKeyDown(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        openAddress();
}

// Choosing an entry opens it at once.
void TFmain::CUrlSelect(int index) {
    CUrl->setEditText(CUrl->itemText(index));
    openAddress();
}

// An existing file opens by its kind, with its path as typed (this file system tells case
// apart); anything else goes to the hidden page as a web address.
void TFmain::openAddress() {
    const QString address = trimmedAddress(CUrl->currentText());
    if (address.isEmpty())
        return;
    if (QFileInfo(address).isFile()) {
        openPath(address);
        return;
    }
    const QUrl url = webAddress(address);
    WebBrowser1->navigate(url);
    AddAddress(url.toString());
}

// A link dragged from a browser opens as if typed into the box.
void TFmain::LinkDropped(const QUrl& link) {
    CUrl->setEditText(link.toString());
    openAddress();
}

// Every completed page replaces the editor's content with its text.
void TFmain::WebBrowser1DocumentComplete(const QString& text) {
    RichEdit1->clear();
    setDocumentText(*RichEdit1->document(), text);
}

void TFmain::AddAddress(const QString& text) {
    if (containsAddress(recentList(), text))
        return;
    // The box keeps what the user typed; adding the first item would replace it.
    const QString typed = CUrl->currentText();
    CUrl->addItem(text);
    CUrl->setEditText(typed);
}

void TFmain::RememberAddress(const QString& text) {
    CUrl->setEditText(text);
    AddAddress(text);
}

QStringList TFmain::recentList() const {
    QStringList entries;
    for (int i = 0; i < CUrl->count(); ++i)
        entries << CUrl->itemText(i);
    return entries;
}

void TFmain::loadRecentList() {
    const QString path = m_platform.dataDirectory->filePath(RecentListFile);
    if (!QFileInfo(path).isFile())
        return;
    CUrl->clear();
    CUrl->addItems(readRecentListFile(path));
    CUrl->setEditText(QString());
}

// An empty list leaves the file of an earlier run as it is.
void TFmain::saveRecentList() {
    const QStringList entries = recentList();
    if (entries.isEmpty())
        return;
    writeRecentListFile(m_platform.dataDirectory->filePath(RecentListFile),
                        recentEntriesToSave(entries));
}

void TFmain::connectAddressBar() {
    auto* enter = new EnterKeyFilter([this](int key) { guarded([&] { CUrlKeyDown(key); }); }, this);
    CUrl->installEventFilter(enter);
    CUrl->lineEdit()->installEventFilter(enter);
    connect(CUrl, &QComboBox::activated, this,
            [this](int index) { guarded([&] { CUrlSelect(index); }); });
    // The list drops down as soon as the user types, the first entry that begins with the
    // typed text marked; typing goes on in the box. Enter there opens what the box holds, once.
    CUrl->completer()->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    CUrl->completer()->popup()->installEventFilter(enter);
    connectButton(BtnGo, &TFmain::BtnGoClick);
    WebBrowser1 = m_platform.browser;
    WebBrowser1->documentComplete = [this](const QString& text) {
        guarded([&] { WebBrowser1DocumentComplete(text); });
    };
}
