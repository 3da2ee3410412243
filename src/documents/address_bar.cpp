// The address box: local paths and web addresses, the hidden page's text, the recent list.
#include "app/tfmain.h"

#include "app/app_error.h"
#include "app/progress_job.h"
#include "documents/address_text.h"
#include "documents/document_file.h"
#include "documents/document_reading.h"
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
#include <QTimer>
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
// apart); a pipe or a device goes there too, to be refused; anything else goes to the hidden
// page as a web address.
void TFmain::openAddress() {
    const QString address = trimmedAddress(CUrl->currentText());
    if (address.isEmpty())
        return;
    if (const QFileInfo file(address); file.isFile() || (file.exists() && !file.isDir())) {
        openPath(address);
        return;
    }
    if (longOperation().refuseWhileRunning())
        return;
    const QUrl url = webAddress(address);
    openWebPage(url);
    documentOpened(url.toString());
    AddAddress(url.toString());
}

void TFmain::openWebPage(const QUrl& address) {
    m_pageLive = true;
    m_pageAddress = address.toString();
    m_pageLifetime->stop();
    WebBrowser1->navigate(address);
}

// A link dragged from a browser opens as if typed into the box.
void TFmain::LinkDropped(const QUrl& link) {
    CUrl->setEditText(link.toString());
    openAddress();
}

// Every completed page, its own later navigations and frames too, replaces the editor's
// content with its text, as one undo step. The page lives on for a while after its first
// load, and only until the user edits the text it gave. A page too large to open is stopped
// before it is reported, or every refresh of it would report again.
void TFmain::WebBrowser1DocumentComplete(const QString& text) {
    if (!m_pageLive)
        return;
    try {
        checkOpenedTextSize(m_pageAddress, text);
    } catch (const AppError&) {
        stopWebPage();
        throw;
    }
    m_placingPageText = true;
    replaceDocumentText(*RichEdit1->document(), text);
    setDocumentAuthor(*RichEdit1->document(), {});
    m_placingPageText = false;
    documentPageLoaded();
    if (!m_pageLifetime->isActive())
        m_pageLifetime->start();
}

void TFmain::stopWebPage() {
    if (!m_pageLive)
        return;
    m_pageLive = false;
    m_pageLifetime->stop();
    WebBrowser1->stop();
}

void TFmain::watchEditsOfPageText() {
    constexpr int PageLifetime = 10'000; // milliseconds after the first load
    m_pageLifetime = new QTimer(this);
    m_pageLifetime->setSingleShot(true);
    m_pageLifetime->setInterval(PageLifetime);
    connect(m_pageLifetime, &QTimer::timeout, this, &TFmain::stopWebPage);
    connect(RichEdit1->document(), &QTextDocument::contentsChanged, this, [this] {
        if (!m_placingPageText)
            stopWebPage();
    });
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
    watchEditsOfPageText();
    WebBrowser1->documentComplete = [this](const QString& text) {
        guarded([&] { WebBrowser1DocumentComplete(text); });
    };
}
