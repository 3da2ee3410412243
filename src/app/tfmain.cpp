// The main window's life: construction, start-up, close and shut-down, and the view toggles.
#include "app/tfmain.h"

#include "about/tfabout.h"
#include "app/app_error.h"
#include "app/date_format.h"
#include "app/error_report.h"
#include "app/profile_file.h"
#include "app/progress_job.h"
#include "platform/data_directory.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QMenu>
#include <QProgressBar>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTextEdit>
#include <QToolButton>

namespace {
const QString SettingsFile = QStringLiteral("set.ini");
}

TFmain::TFmain(const Platform& platform, QWidget* parent)
    : QMainWindow(parent), SpVoice1(platform.voice), m_platform(platform) {
    setObjectName(QStringLiteral("Fmain"));
    m_longOperation = new ProgressJob(
        this, [this](const std::function<void()>& completion) { guarded(completion); });
    createComponents();
    connectHandlers();
    TntFormCreate();
    createAboutBox();
}

TFmain::~TFmain() {
    longOperation().abandon(); // its work uses members destroyed below
    stopWebPage();
    TntFormDestroy();
}

void TFmain::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        const auto* appError = dynamic_cast<const AppError*>(&error);
        reportError(*m_platform.dialogs, this,
                    appError ? appError->message() : QString::fromLocal8Bit(error.what()));
    }
}

void TFmain::connectItem(QAction* item, void (TFmain::*handler)()) {
    connect(item, &QAction::triggered, this,
            [this, handler] { guarded([&] { (this->*handler)(); }); });
}

void TFmain::connectButton(QAbstractButton* button, void (TFmain::*handler)()) {
    connect(button, &QAbstractButton::clicked, this,
            [this, handler] { guarded([&] { (this->*handler)(); }); });
}

// Each subsystem connects its own controls in a function of its own folder, called here.
void TFmain::connectHandlers() {
    connectItem(NExit, &TFmain::NExitClick);
    connectButton(BtnAloud, &TFmain::BtnAloudClick);
    connectButton(BtnPause, &TFmain::BtnPauseClick);
    connectButton(BtnStop, &TFmain::BtnStopClick);
    for (QAction* item : {NAloud, NNAloud, NNNAloud})
        connectItem(item, &TFmain::BtnAloudClick);
    for (QAction* item : {NPause, NNPause, NNNPause})
        connectItem(item, &TFmain::BtnPauseClick);
    for (QAction* item : {NStop, NNStop, NNNStop})
        connectItem(item, &TFmain::BtnStopClick);
    connectItem(NDefaultRate, &TFmain::NDefaultRateClick);
    connectItem(NDefaultvolume, &TFmain::NDefaultvolumeClick);
    connect(cbVoices, &QComboBox::activated, this, [this] { guarded([&] { cbVoicesChange(); }); });
    connect(TBRate, &QSlider::valueChanged, this, [this] { guarded([&] { TBRateChange(); }); });
    connect(TBVolume, &QSlider::valueChanged, this, [this] { guarded([&] { TBVolumeChange(); }); });
    connect(SpVoice1, &SpeechVoice::AudioLevel, this, &TFmain::SpVoice1AudioLevel);
    connect(SpVoice1, &SpeechVoice::SpeakFailed, this, &TFmain::SpVoice1SpeakFailed);
    connectItem(NToolbar, &TFmain::NToolbarClick);
    connectItem(NAddressBar, &TFmain::NAddressBarClick);
    connectItem(NProgressbar, &TFmain::NProgressbarClick);
    connectItem(NPropertybar, &TFmain::NPropertybarClick);
    connect(RichEdit1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PMRight->popup(RichEdit1->viewport()->mapToGlobal(at)); });

    // Documents.
    connectDocumentsHandlers();

    // Audio export.
    connectExportHandlers();

    // Key echo and clipboard.
    connectKeyEchoHandlers();

    // Editor commands.
    connectEditorHandlers();

    // Tray, language, registration, help and about.
    connectShellHandlers();

    // Follow-along highlight.
    connectHighlightHandlers();
}

// Start-up. Each step applies what an earlier one prepared; a step that fails ends start-up
// there, is reported, and the window opens with the later steps' controls as built.
void TFmain::TntFormCreate() {
    // One step a line, in start-up order.
    // clang-format off
    const std::pair<int, void (TFmain::*)()> steps[] = {
        {1, &TFmain::setDateFormat},
        {2, &TFmain::readSettingsFile},
        {3, &TFmain::acceptFileDrops},
        {4, &TFmain::registerVoices},
        {5, &TFmain::setVoiceEvents},
        {6, &TFmain::fillVoiceList},
        {7, &TFmain::applyRateAndVolume},
        {8, &TFmain::setUpKeyEcho},
        {9, &TFmain::restoreViewBars},
        {10, &TFmain::restoreKeyEchoMode},
        {11, &TFmain::restoreSimpleOptions},
        {12, &TFmain::restoreEditorLook},
        {12, &TFmain::restoreReadingHighlight},
        {12, &TFmain::applyGlobalKeys},
        {13, &TFmain::joinClipboard},
        {14, &TFmain::loadRecentList},
    };
    // clang-format on
    guarded([&] {
        for (const auto& [number, step] : steps) {
            m_startupStepsDone = number - 1;
            (this->*step)();
        }
        m_startupStepsDone = 15;
    });
}

void TFmain::setDateFormat() {
    setProcessDateFormat(DateFormat{});
}

void TFmain::readSettingsFile() {
    m_settings = readSettings(ProfileFile::load(m_platform.dataDirectory->filePath(SettingsFile)));
}

void TFmain::restoreViewBars() {
    const std::tuple<QAction*, QWidget*, bool> bars[] = {
        {NToolbar, PToolBar, m_settings.toolBar},
        {NAddressBar, PAddressBar, m_settings.addressBar},
        {NProgressbar, ProgressBar1, m_settings.progressBar},
        {NPropertybar, PPropertyBar, m_settings.propertyBar},
    };
    for (const auto& [item, bar, shown] : bars) {
        item->setChecked(shown);
        bar->setVisible(shown);
    }
}

void TFmain::restoreKeyEchoMode() {
    const std::tuple<QString, QCheckBox*, QAction*, QAction*> modes[] = {
        {QStringLiteral("All"), CBSpeakKeyAll, NSpeakKeyAll, NNSpeakKeyAll},
        {QStringLiteral("LetterDigit"), CBSpeakletterdigit, NspeakLetterDigit, NNSpeakLetterDigit},
        {QStringLiteral("Letter"), CBSpeakLetter, NspeakLetter, NNSpeakLetter},
        {QStringLiteral("Digit"), CBSpeakdigit, NSpeakdigit, NNSpeakdigit},
    };
    const QString& saved = m_settings.speakKey;
    const bool known = saved == QStringLiteral("None") ||
                       std::any_of(std::begin(modes), std::end(modes),
                                   [&](const auto& mode) { return std::get<0>(mode) == saved; });
    if (!known)
        return;
    for (const auto& [value, box, item, trayItem] : modes) {
        box->setChecked(value == saved);
        item->setChecked(value == saved);
        trayItem->setChecked(value == saved);
    }
}

void TFmain::restoreSimpleOptions() {
    const std::tuple<QString, QCheckBox*, QAction*, QAction*> options[] = {
        {m_settings.showKeyWord, CBShowKeyWord, NshowKeyWord, NNshowkeyword},
        {m_settings.showClipBrdText, CBShowClipBrdText, NshowclipBrdText, NNShowclipBrdText},
        {m_settings.speakClipBrd, CBSpeakClipBrd, NspeakClipBrd, NNspeakClipBrd},
    };
    for (const auto& [saved, box, item, trayItem] : options) {
        if (saved != QStringLiteral("Yes") && saved != QStringLiteral("No"))
            continue;
        for (QAction* each : {item, trayItem})
            each->setChecked(saved == QStringLiteral("Yes"));
        box->setChecked(saved == QStringLiteral("Yes"));
    }
}

void TFmain::restoreEditorLook() {
    if (!m_settings.font.isEmpty()) {
        FontSpec font = m_editorLook.font();
        textToFont(m_settings.font, font);
        m_editorLook.setFont(font);
    }
    m_editorLook.setBackground(m_settings.color);
    RichEdit1->setLineWrapMode(m_settings.wordWrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    NWordWrap->setChecked(RichEdit1->lineWrapMode() != QTextEdit::NoWrap);
}

void TFmain::closeEvent(QCloseEvent* event) {
    bool canClose = true;
    TntFormCloseQuery(canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    TntFormClose();
    event->accept();
    Q_EMIT closed();
}

// Closing is never refused; a long operation and speech end before the window goes.
void TFmain::TntFormCloseQuery(bool& canClose) {
    longOperation().abandon();
    stopWebPage();
    try {
        SpVoice1->ReleaseVoice();
    } catch (const std::exception&) {
        // Closing goes on whatever the engine says.
    }
    canClose = true;
}

void TFmain::TntFormClose() {
    leaveClipboard();
    try {
        SpVoice1->Skip(QStringLiteral("Sentence"), 2147483647);
    } catch (const std::exception&) {
        // Not reported: the program is ending.
        return;
    }
    removeKeyHook();
}

void TFmain::TntFormDestroy() {
    guarded([&] { removeVoices(); });
    guarded([&] {
        const QString path = m_platform.dataDirectory->filePath(SettingsFile);
        ProfileFile profile = ProfileFile::load(path);
        writeSettings(profile, settingsToSave());
        profile.save(path);
    });
    guarded([&] { saveRecentList(); });
    guarded([&] { saveReadingPositions(); });
    guarded([&] { releaseGlobalKeys(); });
    TrayIcon1->hide();
}

// What the exit writes: the controls' state for every value whose start-up step ran. After a
// start-up that ended early the file keeps the values the window never showed.
SettingsToSave TFmain::settingsToSave() const {
    const auto ran = [this](int step) { return m_startupStepsDone >= step; };
    SettingsToSave save;
    if (ran(7)) {
        save.rate = TBRate->value();
        save.volume = TBVolume->value();
    }
    if (ran(12)) {
        save.color = m_editorLook.background();
        save.font = fontToText(m_editorLook.font());
        save.wordWrap = RichEdit1->lineWrapMode() != QTextEdit::NoWrap;
        save.highlightReading = NHighlight->isChecked();
    }
    if (ran(9)) {
        save.bars = SettingsToSave::Bars{!PToolBar->isHidden(), !PAddressBar->isHidden(),
                                         !ProgressBar1->isHidden(), !PPropertyBar->isHidden()};
    }
    if (ran(10)) {
        // Tested in this order; should several be checked, the last one stands.
        QString mode = QStringLiteral("None");
        const std::pair<QCheckBox*, QString> modes[] = {
            {CBSpeakKeyAll, QStringLiteral("All")},
            {CBSpeakletterdigit, QStringLiteral("LetterDigit")},
            {CBSpeakLetter, QStringLiteral("Letter")},
            {CBSpeakdigit, QStringLiteral("Digit")},
        };
        for (const auto& [box, value] : modes) {
            if (box->isChecked())
                mode = value;
        }
        save.speakKey = mode;
    }
    if (ran(11)) {
        save.showKeyWord = CBShowKeyWord->isChecked();
        save.speakClipBrd = CBSpeakClipBrd->isChecked();
        save.showClipBrdText = CBShowClipBrdText->isChecked();
    }
    if (ran(6) && cbVoices->currentIndex() >= 0) {
        save.engine = cbVoices->currentIndex();
        save.engineId = m_voiceTokens.value(cbVoices->currentIndex()).id;
    }
    return save;
}

void TFmain::NExitClick() {
    close();
}

// A checkable menu item inverts its own check mark when chosen; the bar follows it.
void TFmain::NToolbarClick() {
    PToolBar->setVisible(NToolbar->isChecked());
}
void TFmain::NAddressBarClick() {
    PAddressBar->setVisible(NAddressBar->isChecked());
}
void TFmain::NProgressbarClick() {
    ProgressBar1->setVisible(NProgressbar->isChecked());
}
void TFmain::NPropertybarClick() {
    PPropertyBar->setVisible(NPropertybar->isChecked());
}
