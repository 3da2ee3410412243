// The main window's components, built once in the order of the window's layout.
#include "app/tfmain.h"
#include "app/tool_icons.h"
#include "editor/rich_editor.h"
#include "speech/voice_box.h"

#include <QAbstractItemView>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

template <typename T> T* named(T* object, const char* name) {
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

QAction* addItem(QMenu* menu, const char* name, const QString& caption,
                 const QKeySequence& shortcut = {}) {
    QAction* item = named(menu->addAction(caption), name);
    item->setShortcut(shortcut);
    return item;
}

QAction* addCheckItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* item = addItem(menu, name, caption);
    item->setCheckable(true);
    return item;
}

void addSeparator(QMenu* menu, const char* name) {
    named(menu->addSeparator(), name);
}

QMenu* addMenu(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* menu = named(bar->addMenu(caption), name);
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    return menu;
}

QToolButton* toolButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& tip, ToolIcon icon) {
    auto* button = named(new QToolButton(parent), name);
    button->setText(caption);
    button->setToolTip(tip);
    button->setIcon(toolIcon(icon));
    button->setIconSize(QSize(40, 40));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setFixedSize(74, 74);
    return button;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption) {
    return named(new QLabel(caption, parent), name);
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption) {
    return named(new QCheckBox(caption, parent), name);
}

// A track bar with its end labels on either side.
QHBoxLayout* trackRow(QLabel* low, QSlider* slider, QLabel* high) {
    auto* row = new QHBoxLayout;
    row->addWidget(low);
    row->addWidget(slider, 1);
    row->addWidget(high);
    return row;
}

QSlider* trackBar(QWidget* parent, const char* name, int minimum, int maximum, const QString& tip,
                  const QString& spokenName) {
    auto* slider = named(new QSlider(Qt::Horizontal, parent), name);
    slider->setAccessibleName(spokenName);
    slider->setRange(minimum, maximum);
    slider->setToolTip(tip);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(maximum - minimum > 20 ? 10 : 1);
    return slider;
}

// The items of the two language menus. The main menu's captions have question marks where
// the tray's have the language's own letters.
struct LanguageItem {
    const char* name;
    const char16_t* caption;
    const char* trayName;
    const char16_t* trayCaption;
};
constexpr LanguageItem Languages[] = {
    {"NEnglish", u"English(English)", "NNEnglish", u"English(English)"},
    {"NChineseSimplified", u"中文简体(ChineseSimplified)", "NNChineseSimplified",
     u"中文简体(ChineseSimplified)"},
    {"NChineseTraditional", u"中文繁體(ChineseTraditional)", "NNChineseTraditional",
     u"中文繁體(ChineseTraditional)"},
    {"NSpanish", u"Espa?ol(Spanish)", "NNSpanish", u"Español(Spanish)"},
    {"NGerman", u"Deutsch(German)", "NNGerman", u"Deutsch(German)"},
    {"NFrench", u"Fran?ais(French)", "NNFrench", u"Français(French)"},
    {"NPortuguese", u"Português(Portuguese)", "NNPortuguese", u"Português(Portuguese)"},
    {"NJapanese", u"日本語(Japanese)", "NNJapanese", u"日本語(Japanese)"},
    {"NKorean", u"??\?(Korean)", "NNKorean", u"한국어(Korean)"},
    {"NItalian", u"Italiano(Italian)", "NNItalian", u"Italiano(Italian)"},
    {"NArabic", u"?????\?(Arabic)", "NNArabic", u"عربيّة(Arabic)"},
    {"NRussian", u"Русско(Russian)", "NNRussian", u"Русско(Russian)"},
    {"NDutch", u"Nederlands(Dutch)", "NNDutch", u"Nederlands(Dutch)"},
    {"NGreek", u"Ελληνικα(Greek)", "NNGreak", u"Ελληνικα(Greek)"},
};

// The value label to the right of a caption.
QHBoxLayout* captionRow(QLabel* caption, QLabel* value) {
    auto* row = new QHBoxLayout;
    row->addWidget(caption);
    row->addWidget(value, 1, Qt::AlignRight);
    return row;
}

// Names a scroll area's bars for a screen reader, which announces their position.
void nameScrollBars(QAbstractScrollArea* area, const QString& name) {
    area->verticalScrollBar()->setAccessibleName(name + QStringLiteral("垂直滚动条"));
    area->horizontalScrollBar()->setAccessibleName(name + QStringLiteral("水平滚动条"));
}

// Tab is text in the editor, so Ctrl+Tab and Ctrl+Shift+Tab move the focus on from it as Tab
// and Shift+Tab do elsewhere in the window.
class EditorFocusExit : public QObject {
public:
    explicit EditorFocusExit(QWidget* editor) : QObject(editor) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (!tab || !(key->modifiers() & Qt::ControlModifier))
            return QObject::eventFilter(watched, event);
        const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
        QKeyEvent plain(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                        back ? Qt::ShiftModifier : Qt::NoModifier);
        QCoreApplication::sendEvent(static_cast<QWidget*>(watched)->window(), &plain);
        return true;
    }
};

// Puts the widgets one after the other in the window's Tab order.
void chainFocus(std::initializer_list<QWidget*> widgets) {
    for (auto next = widgets.begin() + 1; next != widgets.end(); ++next)
        QWidget::setTabOrder(*(next - 1), *next);
}

} // namespace

void TFmain::createComponents() {
    setWindowTitle(QStringLiteral("Parlora2008"));
    setWindowIcon(programIcon());
    resize(1028, 732);

    auto* client = new QWidget(this);
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setCentralWidget(client);

    createToolBar();
    createAddressBar();
    createPropertyBar();

    Panel1 = named(new QWidget(client), "Panel1");
    Panel1->setFixedWidth(3);
    Panel1->setAutoFillBackground(true);
    Panel1->setPalette(QPalette(Qt::white));

    // Nothing is ever shown behind the editor; the panel only keeps its place in the family.
    TPMemo = named(new QWidget(client), "TPMemo");
    TPMemo->hide();

    RichEdit1 = named(new RichEditor(client), "RichEdit1");
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setContextMenuPolicy(Qt::CustomContextMenu);
    RichEdit1->setAccessibleName(QStringLiteral("正文"));
    RichEdit1->setTabChangesFocus(false);
    RichEdit1->installEventFilter(new EditorFocusExit(RichEdit1));
    nameScrollBars(RichEdit1, QStringLiteral("正文"));
    m_editorLook.bind(RichEdit1);

    ProgressBar1 = named(new QProgressBar(client), "ProgressBar1");
    ProgressBar1->setRange(0, 10);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedHeight(25);
    ProgressBar1->setAccessibleName(QStringLiteral("音量电平"));

    auto* middle = new QHBoxLayout;
    middle->setSpacing(0);
    middle->addWidget(Panel1);
    middle->addWidget(RichEdit1, 1);
    middle->addWidget(PPropertyBar);

    column->addWidget(PToolBar);
    column->addWidget(PAddressBar);
    column->addLayout(middle, 1);
    column->addWidget(ProgressBar1);

    createMainMenu();
    createEditorMenu();
    createTrayMenu();
    createTrayIcon();
    // Visual order, except that the editor comes right after the address bar: one Tab from
    // there reaches it, and Ctrl+Tab leaves it for the property bar.
    chainFocus({BtnGo, RichEdit1, cbVoices, TntLabel1, TBRate, TBVolume, CBSpeakKeyAll,
                CBSpeakletterdigit, CBSpeakLetter, CBSpeakdigit, CBSpeakClipBrd, CBShowKeyWord,
                CBShowClipBrdText});
    RichEdit1->setFocus();
}

void TFmain::createToolBar() {
    PToolBar = named(new QWidget(this), "PToolBar");
    PToolBar->setFixedHeight(88);
    BtnOpen = toolButton(PToolBar, "BtnOpen", QStringLiteral("打开"), QStringLiteral("打开"),
                         ToolIcon::Open);
    BtnPaste = toolButton(PToolBar, "BtnPaste", QStringLiteral("粘贴"), QStringLiteral("Paste"),
                          ToolIcon::Paste);
    BtnExport = toolButton(PToolBar, "BtnExport", QStringLiteral("导出"),
                           QStringLiteral("Export Wav"), ToolIcon::Export);
    BtnAloud = toolButton(PToolBar, "BtnAloud", QStringLiteral("朗读"), QStringLiteral("Aloud"),
                          ToolIcon::Aloud);
    BtnPause = toolButton(PToolBar, "BtnPause", QStringLiteral("暂停"), QStringLiteral("Pause"),
                          ToolIcon::Pause);
    BtnStop = toolButton(PToolBar, "BtnStop", QStringLiteral("停止"), QStringLiteral("停止朗读"),
                         ToolIcon::Stop);
    BtnHelp = toolButton(PToolBar, "BtnHelp", QStringLiteral("帮助"), QStringLiteral("帮助"),
                         ToolIcon::Help);
    BtnAbout = toolButton(PToolBar, "BtnAbout", QStringLiteral("关于"), QStringLiteral("关于"),
                          ToolIcon::About);

    auto* row = new QHBoxLayout(PToolBar);
    row->setContentsMargins(6, 6, 6, 6);
    row->setSpacing(2);
    for (QToolButton* button :
         {BtnOpen, BtnPaste, BtnExport, BtnAloud, BtnPause, BtnStop, BtnHelp, BtnAbout})
        row->addWidget(button);
    row->addStretch(1);
}

void TFmain::createAddressBar() {
    PAddressBar = named(new QWidget(this), "PAddressBar");
    PAddressBar->setFixedHeight(40);
    lblUrl = label(PAddressBar, "lblUrl", QStringLiteral("地址(&D):"));
    CUrl = named(new QComboBox(PAddressBar), "CUrl");
    CUrl->setEditable(true);
    CUrl->setInsertPolicy(QComboBox::NoInsert);
    CUrl->setFixedWidth(801);
    CUrl->setToolTip(QStringLiteral("在此输入文件位置或网页地址,按回车键或转到按钮."));
    CUrl->setAccessibleName(QStringLiteral("地址"));
    CUrl->lineEdit()->setAccessibleName(QStringLiteral("地址"));
    CUrl->view()->setAccessibleName(QStringLiteral("地址"));
    lblUrl->setBuddy(CUrl);
    BtnGo = named(new QToolButton(PAddressBar), "BtnGo");
    BtnGo->setText(QStringLiteral("转到"));
    BtnGo->setAccessibleName(QStringLiteral("转到"));

    auto* row = new QHBoxLayout(PAddressBar);
    row->setContentsMargins(8, 4, 8, 4);
    row->addWidget(lblUrl);
    row->addWidget(CUrl);
    row->addWidget(BtnGo);
    row->addStretch(1);
}

// The property bar scrolls rather than forcing its height on the window, so that the window
// fits small screens (1024x600) whole.
void TFmain::createPropertyBar() {
    auto* scroller = named(new QScrollArea(this), "PPropertyBar");
    scroller->setFixedWidth(201);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller->setWidgetResizable(true);
    // Its controls take the focus, not the bar; it scrolls to the one that has it.
    scroller->setFocusPolicy(Qt::NoFocus);
    nameScrollBars(scroller, QStringLiteral("属性栏"));
    auto* bar = new QWidget(scroller);
    scroller->setWidget(bar);
    PPropertyBar = scroller;

    lblengine = label(bar, "lblengine", QStringLiteral("语音引擎:"));
    cbVoices = named(new VoiceBox(bar), "cbVoices");
    cbVoices->setToolTip(QStringLiteral("选择要朗读的语音引擎"));
    // On this desktop a screen reader names a list box by its label and speaks its item.
    cbVoices->setAccessibleName(QStringLiteral("语音引擎"));
    cbVoices->view()->setAccessibleName(QStringLiteral("语音引擎"));
    lblengine->setBuddy(cbVoices);
    // Long voice names are shown whole in the drop-down, not by widening the bar; the closed
    // box cuts them in the middle.
    cbVoices->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbVoices->setMinimumContentsLength(8);
    TntLabel1 = label(bar, "TntLabel1", QStringLiteral("获取更多语音引擎..."));

    lblRate1 = label(bar, "lblRate1", QStringLiteral("语速:"));
    lblRate = label(bar, "lblRate", QStringLiteral("0"));
    TBRate = trackBar(bar, "TBRate", -10, 10, QStringLiteral("点击拖动调节朗读语速(默认0)"),
                      QStringLiteral("语速"));
    lblMinSpeed = label(bar, "lblMinSpeed", QStringLiteral("-10"));
    lblMaxSpeed = label(bar, "lblMaxSpeed", QStringLiteral("10"));
    lblRate1->setBuddy(TBRate);

    lblVolume1 = label(bar, "lblVolume1", QStringLiteral("音量:"));
    lblVolume = label(bar, "lblVolume", QStringLiteral("0"));
    TBVolume = trackBar(bar, "TBVolume", 0, 100, QStringLiteral("点击拖动调节朗读音量(默认80)"),
                        QStringLiteral("音量"));
    lblMinVolume = label(bar, "lblMinVolume", QStringLiteral("0"));
    TntLabel4 = label(bar, "TntLabel4", QStringLiteral("100"));
    lblVolume1->setBuddy(TBVolume);

    CBSpeakKeyAll = checkBox(bar, "CBSpeakKeyAll", QStringLiteral("朗读按键(所有)"));
    CBSpeakletterdigit =
        checkBox(bar, "CBSpeakletterdigit", QStringLiteral("朗读按键(字母和数字)"));
    CBSpeakLetter = checkBox(bar, "CBSpeakLetter", QStringLiteral("朗读按键(仅字母)"));
    CBSpeakdigit = checkBox(bar, "CBSpeakdigit", QStringLiteral("朗读按键(仅数字)"));
    CBSpeakClipBrd = checkBox(bar, "CBSpeakClipBrd", QStringLiteral("朗读剪贴板"));
    CBShowKeyWord = checkBox(bar, "CBShowKeyWord", QStringLiteral("显示按键字符"));
    CBShowClipBrdText = checkBox(bar, "CBShowClipBrdText", QStringLiteral("显示剪贴板文字"));

    auto* column = new QVBoxLayout(bar);
    column->setContentsMargins(8, 8, 8, 8);
    column->addWidget(lblengine);
    column->addWidget(cbVoices);
    column->addWidget(TntLabel1);
    column->addSpacing(12);
    column->addLayout(captionRow(lblRate1, lblRate));
    column->addLayout(trackRow(lblMinSpeed, TBRate, lblMaxSpeed));
    column->addSpacing(8);
    column->addLayout(captionRow(lblVolume1, lblVolume));
    column->addLayout(trackRow(lblMinVolume, TBVolume, TntLabel4));
    column->addSpacing(12);
    for (QCheckBox* box : {CBSpeakKeyAll, CBSpeakletterdigit, CBSpeakLetter, CBSpeakdigit,
                           CBSpeakClipBrd, CBShowKeyWord, CBShowClipBrdText})
        column->addWidget(box);
    column->addStretch(1);
}

void TFmain::createMainMenu() {
    MainMenu1 = named(menuBar(), "MainMenu1");

    NFile = addMenu(MainMenu1, "NFile", QStringLiteral("文件(&F)"));
    NOpen = addItem(NFile, "NOpen", QStringLiteral("打开(&O)"));
    NSave = addItem(NFile, "NSave", QStringLiteral("保存(&S)"));
    addSeparator(NFile, "N7");
    NExport = addItem(NFile, "NExport", QStringLiteral("导出为WAV(&W)"));
    NExportLineWav = addItem(NFile, "NExportLineWav", QStringLiteral("导出每行为WAV(&L)"));
    NExportBook = addItem(NFile, "NExportBook", QStringLiteral("导出为有声书(&B)..."));
    addSeparator(NFile, "N8");
    NPrintSetup = addItem(NFile, "NPrintSetup", QStringLiteral("打印设置(&U)"));
    NPrint = addItem(NFile, "NPrint", QStringLiteral("打印(&P)"),
                     QKeySequence(QStringLiteral("Ctrl+P")));
    addSeparator(NFile, "N9");
    NExit = addItem(NFile, "NExit", QStringLiteral("退出(&X)"));

    NEdit = addMenu(MainMenu1, "NEdit", QStringLiteral("编辑(&E)"));
    NUndo =
        addItem(NEdit, "NUndo", QStringLiteral("撤销(&U)"), QKeySequence(QStringLiteral("Ctrl+Z")));
    NRedo =
        addItem(NEdit, "NRedo", QStringLiteral("重做(&R)"), QKeySequence(QStringLiteral("Ctrl+Y")));
    addSeparator(NEdit, "N1");
    Ncut =
        addItem(NEdit, "Ncut", QStringLiteral("剪切(&X)"), QKeySequence(QStringLiteral("Ctrl+X")));
    NCopy =
        addItem(NEdit, "NCopy", QStringLiteral("复制(&C)"), QKeySequence(QStringLiteral("Ctrl+C")));
    // Ctrl+P belongs to Print, which comes first in menu order; Paste only shows the key.
    NPaste = addItem(NEdit, "NPaste", QStringLiteral("粘贴(&P)\tCtrl+P"));
    NDelete = addItem(NEdit, "NDelete", QStringLiteral("清除(&D)"));
    NSeleteAll = addItem(NEdit, "NSeleteAll", QStringLiteral("全选(&A)"),
                         QKeySequence(QStringLiteral("Ctrl+A")));
    addSeparator(NEdit, "N2");
    Nfind =
        addItem(NEdit, "Nfind", QStringLiteral("查找(&F)"), QKeySequence(QStringLiteral("Ctrl+F")));
    NReplace = addItem(NEdit, "NReplace", QStringLiteral("替换(&R)"),
                       QKeySequence(QStringLiteral("Ctrl+H")));
    addSeparator(NEdit, "N4");
    NDateTime =
        addItem(NEdit, "NDateTime", QStringLiteral("日期/时间(&D)"), QKeySequence(Qt::Key_F5));

    NFormat = addMenu(MainMenu1, "NFormat", QStringLiteral("格式(&O)"));
    NWordWrap = addCheckItem(NFormat, "NWordWrap", QStringLiteral("自动换行(&W)"));
    NFont = addItem(NFormat, "NFont", QStringLiteral("字体(&F)..."));
    NBackcolor = addItem(NFormat, "NBackcolor", QStringLiteral("背景颜色(&C)"));
    addSeparator(NFormat, "N3");
    NLeft = addItem(NFormat, "NLeft", QStringLiteral("左对齐(&L)"));
    NCenter = addItem(NFormat, "NCenter", QStringLiteral("居中(&C)"));
    NRight = addItem(NFormat, "NRight", QStringLiteral("右对齐(&R)"));

    NSpeakI = addMenu(MainMenu1, "NSpeakI", QStringLiteral("朗读(&S)"));
    NAloud = addItem(NSpeakI, "NAloud", QStringLiteral("朗读(&S)"));
    NPause = addItem(NSpeakI, "NPause", QStringLiteral("暂停(&U)"));
    NStop = addItem(NSpeakI, "NStop", QStringLiteral("停止(&O)"));
    NHighlight = addCheckItem(NSpeakI, "NHighlight", QStringLiteral("朗读时突出显示"));
    addSeparator(NSpeakI, "N30");
    NReadFromCaret = addItem(NSpeakI, "NReadFromCaret", QStringLiteral("从光标处朗读"), Qt::Key_F6);
    NPreviousSentence = addItem(NSpeakI, "NPreviousSentence", QStringLiteral("上一句"), Qt::Key_F7);
    NNextSentence = addItem(NSpeakI, "NNextSentence", QStringLiteral("下一句"), Qt::Key_F8);
    NPreviousParagraph =
        addItem(NSpeakI, "NPreviousParagraph", QStringLiteral("上一段"), Qt::SHIFT | Qt::Key_F7);
    NNextParagraph =
        addItem(NSpeakI, "NNextParagraph", QStringLiteral("下一段"), Qt::SHIFT | Qt::Key_F8);
    NGlobalKeys = addItem(NSpeakI, "NGlobalKeys", QStringLiteral("快捷键设置..."));
    NPronunciation = addItem(NSpeakI, "NPronunciation", QStringLiteral("发音词典(&D)..."));
    NVoiceManager = addItem(NSpeakI, "NVoiceManager", QStringLiteral("语音管理(&M)..."));
    addSeparator(NSpeakI, "N5");
    NSpeakKeyAll = addCheckItem(NSpeakI, "NSpeakKeyAll", QStringLiteral("朗读按键(所有)"));
    keyModeGroup = new QActionGroup(this);
    NspeakLetterDigit =
        addCheckItem(NSpeakI, "NspeakLetterDigit", QStringLiteral("朗读按键(字母和数字)"));
    NspeakLetter = addCheckItem(NSpeakI, "NspeakLetter", QStringLiteral("朗读按键(仅字母)"));
    NSpeakdigit = addCheckItem(NSpeakI, "NSpeakdigit", QStringLiteral("朗读按键(仅数字)"));
    for (QAction* item : {NspeakLetterDigit, NspeakLetter, NSpeakdigit})
        keyModeGroup->addAction(item);
    NspeakClipBrd = addCheckItem(NSpeakI, "NspeakClipBrd", QStringLiteral("朗读剪贴板"));
    addSeparator(NSpeakI, "N6");
    NshowKeyWord = addCheckItem(NSpeakI, "NshowKeyWord", QStringLiteral("显示按键字符"));
    NshowclipBrdText = addCheckItem(NSpeakI, "NshowclipBrdText", QStringLiteral("显示剪贴板内容"));
    addSeparator(NSpeakI, "N18");
    NDefaultRate = addItem(NSpeakI, "NDefaultRate", QStringLiteral("默认语速"));
    NDefaultvolume = addItem(NSpeakI, "NDefaultvolume", QStringLiteral("默认音量"));

    NView = addMenu(MainMenu1, "NView", QStringLiteral("查看(&V)"));
    NToolbar = addCheckItem(NView, "NToolbar", QStringLiteral("工具栏(&T)"));
    NAddressBar = addCheckItem(NView, "NAddressBar", QStringLiteral("地址栏(&A)"));
    NProgressbar = addCheckItem(NView, "NProgressbar", QStringLiteral("进度栏(&P)"));
    NPropertybar = addCheckItem(NView, "NPropertybar", QStringLiteral("属性栏(&O)"));
    for (QAction* item : {NToolbar, NAddressBar, NProgressbar, NPropertybar})
        item->setChecked(true);

    // Built but never shown: the interface stays in its built-in language.
    NLanguage = addMenu(MainMenu1, "NLanguage", QStringLiteral("语言(&L)"));
    NLanguage->menuAction()->setVisible(false);
    for (const LanguageItem& language : Languages)
        languageItems << addItem(NLanguage, language.name, QString::fromUtf16(language.caption));

    NHelps = addMenu(MainMenu1, "NHelps", QStringLiteral("帮助(&H)"));
    NHelp = addItem(NHelps, "NHelp", QStringLiteral("帮助(&H)"), QKeySequence(Qt::Key_F1));
    NHomePage = addItem(NHelps, "NHomePage", QStringLiteral("访问网站(&V)"));
    NCheckUpdates = addItem(NHelps, "NCheckUpdates", QStringLiteral("检查新版本(&C)"));
    NCheckUpdates->setVisible(false);
    addSeparator(NHelps, "N16");
    NAbout = addItem(NHelps, "NAbout", QStringLiteral("关于(&A)"));
}

// The notification-area icon's menu: the everyday commands without the window.
void TFmain::createTrayMenu() {
    PMBar = named(new QMenu(this), "PMBar");
    NHideShow = addItem(PMBar, "NHideShow", QStringLiteral("恢复窗口"));
    addSeparator(PMBar, "N10");
    NNNOpen = addItem(PMBar, "NNNOpen", QStringLiteral("打开文件"));
    NNNPaste = addItem(PMBar, "NNNPaste", QStringLiteral("粘贴内容"));
    addSeparator(PMBar, "N12");
    NNNAloud = addItem(PMBar, "NNNAloud", QStringLiteral("开始朗读"));
    NNNPause = addItem(PMBar, "NNNPause", QStringLiteral("暂停朗读"));
    NNNStop = addItem(PMBar, "NNNStop", QStringLiteral("停止朗读"));
    NNNReadFromCaret = addItem(PMBar, "NNNReadFromCaret", QStringLiteral("从光标处朗读\tF6"));
    NNNPreviousSentence = addItem(PMBar, "NNNPreviousSentence", QStringLiteral("上一句\tF7"));
    NNNNextSentence = addItem(PMBar, "NNNNextSentence", QStringLiteral("下一句\tF8"));
    NNNPreviousParagraph =
        addItem(PMBar, "NNNPreviousParagraph", QStringLiteral("上一段\tShift+F7"));
    NNNNextParagraph = addItem(PMBar, "NNNNextParagraph", QStringLiteral("下一段\tShift+F8"));
    addSeparator(PMBar, "N13");
    NNNExport = addItem(PMBar, "NNNExport", QStringLiteral("导出为WAV文件"));
    NNNExportLineWav = addItem(PMBar, "NNNExportLineWav", QStringLiteral("导出每行为WAV文件"));
    NNNExportBook = addItem(PMBar, "NNNExportBook", QStringLiteral("导出为有声书..."));
    addSeparator(PMBar, "N29");

    NAloudItems = named(PMBar->addMenu(QStringLiteral("朗读选项")), "NAloudItems");
    NAloudItems->menuAction()->setObjectName(QStringLiteral("NAloudItems"));
    NNSpeakKeyAll = addCheckItem(NAloudItems, "NNSpeakKeyAll", QStringLiteral("朗读按键(所有)"));
    NNSpeakLetterDigit =
        addCheckItem(NAloudItems, "NNSpeakLetterDigit", QStringLiteral("朗读按键(字母和数字)"));
    NNSpeakLetter = addCheckItem(NAloudItems, "NNSpeakLetter", QStringLiteral("朗读按键(仅字母)"));
    NNSpeakdigit = addCheckItem(NAloudItems, "NNSpeakdigit", QStringLiteral("朗读按键(仅数字)"));
    // Unlike the main menu, all four key modes of the tray are one radio group.
    trayKeyModeGroup = new QActionGroup(this);
    for (QAction* item : {NNSpeakKeyAll, NNSpeakLetterDigit, NNSpeakLetter, NNSpeakdigit})
        trayKeyModeGroup->addAction(item);
    NNspeakClipBrd = addCheckItem(NAloudItems, "NNspeakClipBrd", QStringLiteral("朗读剪切板"));
    addSeparator(NAloudItems, "N28");
    NNshowkeyword = addCheckItem(NAloudItems, "NNshowkeyword", QStringLiteral("显示按键字符"));
    NNShowclipBrdText =
        addCheckItem(NAloudItems, "NNShowclipBrdText", QStringLiteral("显示剪切板文字"));

    // Built but never shown, like the main menu's language menu.
    NNLanguage = named(PMBar->addMenu(QStringLiteral("选择语言")), "NNLanguage");
    NNLanguage->menuAction()->setObjectName(QStringLiteral("NNLanguage"));
    NNLanguage->menuAction()->setVisible(false);
    for (const LanguageItem& language : Languages)
        languageItems << addItem(NNLanguage, language.trayName,
                                 QString::fromUtf16(language.trayCaption));

    addSeparator(PMBar, "N14");
    NNHelp = addItem(PMBar, "NNHelp", QStringLiteral("软件帮助"));
    NNHomePage = addItem(PMBar, "NNHomePage", QStringLiteral("访问网站"));
    NNCheckUpdates = addItem(PMBar, "NNCheckUpdates", QStringLiteral("检查新版本"));
    NNCheckUpdates->setVisible(false);
    NNAbout = addItem(PMBar, "NNAbout", QStringLiteral("关于软件"));
    addSeparator(PMBar, "N19");
    NNExit = addItem(PMBar, "NNExit", QStringLiteral("关闭退出"));
}

void TFmain::createEditorMenu() {
    PMRight = named(new QMenu(this), "PMRight");
    NNCut = addItem(PMRight, "NNCut", QStringLiteral("剪切(&X)"));
    NNcopy = addItem(PMRight, "NNcopy", QStringLiteral("复制(&C)"));
    NNPaste = addItem(PMRight, "NNPaste", QStringLiteral("粘贴(&P)"));
    addSeparator(PMRight, "N11");
    NNAloud = addItem(PMRight, "NNAloud", QStringLiteral("朗读(&S)"));
    NNPause = addItem(PMRight, "NNPause", QStringLiteral("暂停(&U)"));
    NNStop = addItem(PMRight, "NNStop", QStringLiteral("停止(&O)"));
    // The keys belong to the main menu's items; the pop-ups only show them.
    NNReadFromCaret = addItem(PMRight, "NNReadFromCaret", QStringLiteral("从光标处朗读\tF6"));
    NNPreviousSentence = addItem(PMRight, "NNPreviousSentence", QStringLiteral("上一句\tF7"));
    NNNextSentence = addItem(PMRight, "NNNextSentence", QStringLiteral("下一句\tF8"));
    NNPreviousParagraph =
        addItem(PMRight, "NNPreviousParagraph", QStringLiteral("上一段\tShift+F7"));
    NNNextParagraph = addItem(PMRight, "NNNextParagraph", QStringLiteral("下一段\tShift+F8"));
}
