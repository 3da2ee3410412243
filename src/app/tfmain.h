#pragma once

#include "app/editor_look.h"
#include "app/settings.h"
#include "platform/platform.h"
#include "platform/speech/speech_voice.h"

#include <QMainWindow>
#include <functional>
#include <optional>

class HiddenBrowser;
class QAbstractButton;
class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QProgressBar;
class QSlider;
class QTextEdit;
class QToolButton;

// The main window: a rich-text editor with the tool bar, address bar, property bar and progress
// bar around it. Every component carries its well-known name as objectName; the handlers of each
// subsystem are defined in that subsystem's folder.
class TFmain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFmain(const Platform& platform, QWidget* parent = nullptr);
    ~TFmain() override;

    // Start-up, close and shut-down.
    void TntFormCreate();
    void TntFormCloseQuery(bool& canClose);
    void TntFormClose();
    void TntFormDestroy();

    // View toggles and exit.
    void NExitClick();
    void NToolbarClick();
    void NAddressBarClick();
    void NProgressbarClick();
    void NPropertybarClick();

    // Reading control, voice, rate and volume.
    void BtnAloudClick();
    void BtnPauseClick();
    void BtnStopClick();
    void SpVoice1AudioLevel(int streamNumber, qint64 streamPosition, int level);
    void cbVoicesChange();
    void TBRateChange();
    void TBVolumeChange();
    void NDefaultRateClick();
    void NDefaultvolumeClick();

    // Documents: open, convert, web pages, save, recent list.
    void BtnOpenClick();
    void NNNOpenClick();
    void FilesDropped(const QStringList& paths); // local files dropped on the window
    void ConvertWordDocument(const QString& path);
    void ConvertPdfDocument(const QString& path);
    void BtnGoClick();
    void CUrlKeyDown(int key);
    void CUrlSelect(int index);
    void WebBrowser1DocumentComplete(const QString& text);
    void NSaveClick();
    void AddAddress(const QString& text);
    void RememberAddress(const QString& text);

    // Audio export.

    // Key echo, clipboard reader and the seven options.

    // Editor commands: edit, format, find and replace, print.

    // Tray, interface language, voice registration, help and about.

    // Follow-along highlight.

    SpeechVoice* SpVoice1;
    HiddenBrowser* WebBrowser1 = nullptr;

    // Tool bar.
    QWidget* PToolBar;
    QToolButton* BtnOpen;
    QToolButton* BtnPaste;
    QToolButton* BtnExport;
    QToolButton* BtnAloud;
    QToolButton* BtnPause;
    QToolButton* BtnStop;
    QToolButton* BtnHelp;
    QToolButton* BtnAbout;

    // Address bar.
    QWidget* PAddressBar;
    QLabel* lblUrl;
    QComboBox* CUrl;
    QToolButton* BtnGo;

    // Property bar.
    QWidget* PPropertyBar;
    QLabel* lblengine;
    QComboBox* cbVoices;
    QLabel* TntLabel1;
    QLabel* lblRate1;
    QSlider* TBRate;
    QLabel* lblMinSpeed;
    QLabel* lblMaxSpeed;
    QLabel* lblRate;
    QLabel* lblVolume1;
    QSlider* TBVolume;
    QLabel* lblMinVolume;
    QLabel* TntLabel4;
    QLabel* lblVolume;
    QCheckBox* CBSpeakKeyAll;
    QCheckBox* CBSpeakletterdigit;
    QCheckBox* CBSpeakLetter;
    QCheckBox* CBSpeakdigit;
    QCheckBox* CBSpeakClipBrd;
    QCheckBox* CBShowKeyWord;
    QCheckBox* CBShowClipBrdText;

    QProgressBar* ProgressBar1;
    QWidget* Panel1;
    QWidget* TPMemo;
    QTextEdit* RichEdit1;

    // Main menu.
    QMenuBar* MainMenu1;
    QMenu* NFile;
    QAction* NOpen;
    QAction* NSave;
    QAction* NExport;
    QAction* NExportLineWav;
    QAction* NPrintSetup;
    QAction* NPrint;
    QAction* NExit;
    QMenu* NEdit;
    QAction* NUndo;
    QAction* NRedo;
    QAction* Ncut;
    QAction* NCopy;
    QAction* NPaste;
    QAction* NDelete;
    QAction* NSeleteAll;
    QAction* Nfind;
    QAction* NReplace;
    QAction* NDateTime;
    QMenu* NFormat;
    QAction* NWordWrap;
    QAction* NFont;
    QAction* NBackcolor;
    QAction* NLeft;
    QAction* NCenter;
    QAction* NRight;
    QMenu* NSpeakI;
    QAction* NAloud;
    QAction* NPause;
    QAction* NStop;
    QAction* NSpeakKeyAll;
    QActionGroup* keyModeGroup;
    QAction* NspeakLetterDigit;
    QAction* NspeakLetter;
    QAction* NSpeakdigit;
    QAction* NspeakClipBrd;
    QAction* NshowKeyWord;
    QAction* NshowclipBrdText;
    QAction* NDefaultRate;
    QAction* NDefaultvolume;
    QMenu* NView;
    QAction* NToolbar;
    QAction* NAddressBar;
    QAction* NProgressbar;
    QAction* NPropertybar;
    QMenu* NLanguage;
    QMenu* NHelps;
    QAction* NHelp;
    QAction* NHomePage;
    QAction* NCheckUpdates;
    QAction* NAbout;

    // Editor pop-up menu.
    QMenu* PMRight;
    QAction* NNCut;
    QAction* NNcopy;
    QAction* NNPaste;
    QAction* NNAloud;
    QAction* NNPause;
    QAction* NNStop;

    // Tray menu (the menu of the notification-area icon).
    QMenu* PMBar;
    QAction* NHideShow;
    QAction* NNNOpen;
    QAction* NNNPaste;
    QAction* NNNAloud;
    QAction* NNNPause;
    QAction* NNNStop;
    QAction* NNNExport;
    QAction* NNNExportLineWav;
    QMenu* NAloudItems;
    QAction* NNSpeakKeyAll;
    QAction* NNSpeakLetterDigit;
    QAction* NNSpeakLetter;
    QAction* NNSpeakdigit;
    QActionGroup* trayKeyModeGroup;
    QAction* NNspeakClipBrd;
    QAction* NNshowkeyword;
    QAction* NNShowclipBrdText;
    QMenu* NNLanguage;
    QAction* NNHelp;
    QAction* NNHomePage;
    QAction* NNCheckUpdates;
    QAction* NNAbout;
    QAction* NNExit;

    // The 14 items of each language menu, main menu first.
    QList<QAction*> languageItems;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createComponents();
    void createToolBar();
    void createAddressBar();
    void createPropertyBar();
    void createMainMenu();
    void createEditorMenu();
    void createTrayMenu();
    void connectHandlers();
    // A menu item's or a button's activation runs the handler through guarded().
    void connectItem(QAction* item, void (TFmain::*handler)());
    void connectButton(QAbstractButton* button, void (TFmain::*handler)());

    // Runs a handler; what it lets through goes to the general error report.
    void guarded(const std::function<void()>& handler);

    // Start-up steps.
    void setDateFormat();
    void readSettingsFile();
    void setVoiceEvents();
    void fillVoiceList();
    void applyRateAndVolume();
    void setRateFromVoice(int rate);
    void setVolumeFromVoice(int volume);
    void restoreViewBars();
    void restoreKeyEchoMode();
    void restoreSimpleOptions();
    void restoreEditorLook();
    SettingsToSave settingsToSave() const;
    std::optional<VoiceToken> selectedVoice() const;

    Platform m_platform;
    Settings m_settings;
    EditorLook m_editorLook;
    int m_startupStepsDone = 0;      // the number of the last start-up step that completed
    QList<VoiceToken> m_voiceTokens; // the token of each item of cbVoices
    bool m_paused = false;

    // Documents: helpers and state.
    void connectDocumentsHandlers();
    void connectAddressBar();
    void acceptFileDrops();
    void openPath(const QString& path);
    void loadIntoEditor(const QString& path);
    void openAddress();
    QStringList recentList() const;
    void loadRecentList();
    void saveRecentList();
    bool m_plainText = false; // how the editor reads files; only saving changes it

    // Audio export: helpers and state.

    // Key echo and clipboard: helpers and state.

    // Editor commands: helpers and state.

    // Tray, language, registration, help and about: helpers and state.

    // Follow-along highlight: helpers and state.
};
