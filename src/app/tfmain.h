#pragma once

#include "about/web_links.h"
#include "app/editor_look.h"
#include "app/progress_job.h"
#include "app/settings.h"
#include "echo/held_keys.h"
#include "export/audio_export.h"
#include "export/audiobook_export.h"
#include "platform/document_converter.h"
#include "platform/platform.h"
#include "platform/speech/speech_voice.h"
#include "speech/listening_place.h"
#include "speech/pronunciation_file.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class FindReplaceDialog;
class ProgressJob;
class HiddenBrowser;
class QAbstractButton;
class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPrinter;
class QProgressBar;
class QSlider;
class QSystemTrayIcon;
class QTextEdit;
class QTimer;
class QToolButton;
class Listening;
class QUrl;
class ReadingHighlight;
class TFAbout;
class VoiceManagerDialog;

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
    void SpVoice1SpeakFailed(const QString& message);
    void cbVoicesChange();
    void TBRateChange();
    void TBVolumeChange();
    void NDefaultRateClick();
    void NDefaultvolumeClick();

    // Documents: open, convert, web pages, save, recent list.
    void BtnOpenClick();
    void NNNOpenClick();
    void FilesDropped(const QStringList& paths); // local files dropped on the window
    void LinkDropped(const QUrl& link);          // a web link dropped from a browser
    void ConvertWordDocument(const QString& path);
    void ConvertPdfDocument(const QString& path);
    void RecognisePicture(const QString& path);
    void BtnGoClick();
    void CUrlKeyDown(int key);
    void CUrlSelect(int index);
    void WebBrowser1DocumentComplete(const QString& text);
    void NSaveClick();
    void AddAddress(const QString& text);
    void RememberAddress(const QString& text);

    // Audio export.
    void NExportClick();
    void NExportLineWavClick();
    void NExportBookClick();

    // Key echo, clipboard reader and the seven options.
    void KeyEchoMessage(std::uint32_t lParam);
    void ClipboardChange();
    void CBSpeakKeyAllClick();
    void NSpeakKeyAllClick();
    void NNSpeakKeyAllClick();
    void CBSpeakletterdigitClick();
    void NspeakLetterDigitClick();
    void NNSpeakLetterDigitClick();
    void CBSpeakLetterClick();
    void NspeakLetterClick();
    void NNSpeakLetterClick();
    void CBSpeakdigitClick();
    void NSpeakdigitClick();
    void NNSpeakdigitClick();
    void CBSpeakClipBrdClick();
    void NspeakClipBrdClick();
    void NNspeakClipBrdClick();
    void CBShowKeyWordClick();
    void NshowKeyWordClick();
    void NNshowkeywordClick();
    void CBShowClipBrdTextClick();
    void NshowclipBrdTextClick();
    void NNShowclipBrdTextClick();

    // Editor commands: edit, format, find and replace, print.
    void NUndoClick();
    void NRedoClick();
    void NcutClick();
    void NCopyClick();
    void NPasteClick();
    void BtnPasteClick();
    void NDeleteClick();
    void NSeleteAllClick();
    void NDateTimeClick();
    void NWordWrapClick();
    void NFontClick();
    void NBackcolorClick();
    void NLeftClick();
    void NCenterClick();
    void NRightClick();
    void RichEdit1Change();
    void TntFormMouseUp();
    void NfindClick();
    void NReplaceClick();
    void FindDialog1Find();
    void ReplaceDialog1Replace();
    void NPrintSetupClick();
    void NPrintClick();
    // Created when first shown.
    FindReplaceDialog* FindDialog1 = nullptr;
    FindReplaceDialog* ReplaceDialog1 = nullptr;

    // Tray, interface language, voice registration, help and about.
    void TrayIcon1Click();
    void NHideShowClick();
    void NEnglishClick(QAction* item);
    void applyLanguage(const QString& language);
    void NHelpClick();
    void NHomePageClick();
    void TntLabel1Click();
    void NAboutClick();
    QSystemTrayIcon* TrayIcon1 = nullptr;
    TFAbout* FAbout = nullptr; // the about box, a window of its own, made after the window

    // Follow-along highlight.
    void SpVoice1Boundary(int streamNumber, qint64 streamPosition, SpeechBoundary boundary,
                          int characterPosition, int length);
    void NHighlightClick();
    QAction* NHighlight;

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
    QAction* NExportBook;
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
    QAction* NNNExportBook;
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

    // Listening: read from the caret, step by sentence and paragraph, come back where stopped.
    void NReadFromCaretClick();
    void NPreviousSentenceClick();
    void NNextSentenceClick();
    void NPreviousParagraphClick();
    void NNextParagraphClick();
    // A document is in the editor (a file path or web address); its kept place is restored.
    void documentOpened(const QString& address);
    // The hidden page's text has arrived for the address given to documentOpened.
    void documentPageLoaded();
    void saveReadingPositions();
    // System-wide keys and 快捷键设置.
    void GlobalKeyPressed(GlobalCommand command);
    void NGlobalKeysClick();
    QAction* NGlobalKeys;
    QAction* NReadFromCaret;
    QAction* NPreviousSentence;
    QAction* NNextSentence;
    QAction* NPreviousParagraph;
    QAction* NNextParagraph;
    QAction* NNReadFromCaret;
    QAction* NNPreviousSentence;
    QAction* NNNextSentence;
    QAction* NNPreviousParagraph;
    QAction* NNNextParagraph;
    QAction* NNNReadFromCaret;
    QAction* NNNPreviousSentence;
    QAction* NNNNextSentence;
    QAction* NNNPreviousParagraph;
    QAction* NNNNextParagraph;
    // 发音词典.
    void NPronunciationClick();
    QAction* NPronunciation;
    // 语音管理.
    void NVoiceManagerClick();
    QAction* NVoiceManager;

Q_SIGNALS:
    // The window has closed: the program ends once every handler has returned.
    void closed();

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
    void listVoices();
    // Lists the voices that start-up left to come; AppError when the engine failed.
    void listAwaitedVoices();
    void applyRateAndVolume();
    void setRateFromVoice(int rate);
    void setVolumeFromVoice(int volume);
    void restoreViewBars();
    void restoreKeyEchoMode();
    void restoreSimpleOptions();
    void restoreEditorLook();
    SettingsToSave settingsToSave() const;
    // The voice list is filled first if needed, so a reading before it came uses the stored one.
    std::optional<VoiceToken> selectedVoice();

    // The window's one long operation at a time (an export, a conversion); closing ends it.
    ProgressJob& longOperation() { return *m_longOperation; }
    ProgressJob* m_longOperation;
    // A command of the window starts: the keys held now are not echoed by it.
    void noteCommandStarted();
    bool voiceIsExporting();

    Platform m_platform;
    Settings m_settings;
    EditorLook m_editorLook;
    int m_startupStepsDone = 0;      // the number of the last start-up step that completed
    QList<VoiceToken> m_voiceTokens; // the token of each item of cbVoices
    bool m_voicesAwaited = false;    // start-up left the voice list to be filled when they come
    bool m_paused = false;

    // Documents: helpers and state.
    void connectDocumentsHandlers();
    void connectAddressBar();
    void acceptFileDrops();
    void openPath(const QString& path);
    void openDroppedPaths();
    void loadIntoEditor(const QString& path);
    struct ConversionResult {
        QString text;
        QString failure; // a message for the user; the path is remembered all the same
    };
    // Scanned pages and pictures are recognised in the chosen voice's language.
    using Conversion = std::function<ConversionResult(const ConversionCancelled& cancelled,
                                                      const Recognition& recognition)>;
    void convertInBackground(const QString& path, const Conversion& convert);
    void openAddress();
    void openWebPage(const QUrl& address);
    // The page stops (scripts, timers, refreshes): its text can no longer replace the editor's.
    void stopWebPage();
    void watchEditsOfPageText();
    QStringList m_droppedPaths; // waiting for a conversion to end
    QTimer* m_pageLifetime = nullptr;
    bool m_pageLive = false;
    QString m_pageAddress;
    bool m_placingPageText = false;
    QStringList recentList() const;
    void loadRecentList();
    void saveRecentList();
    bool m_plainText = false; // how the editor reads files; only saving changes it

    // Audio export: helpers and state.
    void connectExportHandlers();
    bool prepareExportVoice();
    AudioExport& audioExport();
    std::unique_ptr<AudioExport> m_audioExport;
    void exportBook(const QList<Chapter>& chapters, AudiobookOptions options);

    // Key echo and clipboard: helpers and state.
    struct OptionControls {
        QCheckBox* box;
        QAction* item;
        QAction* trayItem;
    };
    void connectKeyEchoHandlers();
    void setUpKeyEcho();
    void joinClipboard();
    void leaveClipboard();
    void removeKeyHook();
    // Cuts off what the voice is saying and speaks the text; false, silently, when the voice
    // could not be cut off. Key echo and the clipboard reader speak only through this.
    bool skipThenSpeak(const QString& text);
    void appendEditorLine(const QString& line);
    std::array<OptionControls, 4> keyModes() const;
    void keyModeBoxChanged(int mode);
    void keyModeItemClicked(int mode);
    void optionBoxChanged(const OptionControls& option);
    void optionItemClicked(QAction* clicked, QCheckBox* box);
    void watchWindowKeys();
    QMetaObject::Connection m_clipboardWatch;
    HeldKeys m_heldKeys;

    // Editor commands: helpers and state.
    void connectEditorHandlers();
    void alignText(Qt::Alignment alignment);
    void findNextFrom(FindReplaceDialog* dialog);
    QPrinter& printer();
    std::shared_ptr<QPrinter> m_printer; // the printer the dialogs set up, made on first use

    // Tray, language, registration, help and about: helpers and state.
    void connectShellHandlers();
    void createTrayIcon();
    void createAboutBox();
    void changeEvent(QEvent* event) override;
    void hideToTray();
    void registerVoices();
    void removeVoices();
    WebLinks m_links;
    std::unique_ptr<TFAbout> m_about;
    Qt::WindowStates m_stateBeforeTray;

    // Follow-along highlight: helpers and state.
    void connectHighlightHandlers();
    void restoreReadingHighlight();
    // Removes the highlight of the reading; the reading goes on unhighlighted.
    void clearReadingHighlight();
    ReadingHighlight* m_readingHighlight = nullptr;

    // Listening: helpers and state.
    void connectListeningHandlers();
    // A new reading of text (the editor's from rangeStart), spoken from offset from of it.
    void readFrom(int rangeStart, const QString& text, int from);
    // Releases the voice and speaks what the listening holds, with the voice chosen.
    void speakListening();
    void stepListening(ListeningStep step);
    // Continues the reading at an editor position; during a pause when the pause ends.
    void continueListeningAt(int editorPosition);
    // Resumes a paused reading, speaking from where a step during the pause moved it.
    void resumeListening();
    void restoreReadingPosition(const QString& address);
    Listening* m_listening = nullptr;
    void applyGlobalKeys();
    void releaseGlobalKeys();
    void readSelectionAnywhere();
    bool m_globalKeysConnected = false;
    QString m_awaitedPage; // the address whose page text is on its way
    // Cuts off any reading and speaks the text as it stands with the voice chosen.
    void speakAside(const QString& text);

    // Pronunciation dictionary: helpers and state.
    void connectPronunciationHandlers();
    // The rules of the file as it is now; none when the data folder cannot be had.
    SharedPronunciation pronunciation();
    PronunciationFile& pronunciationFile();
    std::unique_ptr<PronunciationFile> m_pronunciationFile;

    // Voice manager: helpers and state.
    void connectVoiceManagerHandlers();
    void importVoice(const QPointer<VoiceManagerDialog>& dialog, const QString& path);
    // Runs install as the window's long operation; doneFormat tells the name it returns.
    void installVoice(const QPointer<VoiceManagerDialog>& dialog, const ProgressJob::Texts& texts,
                      const QString& doneFormat,
                      const std::function<QString(BackgroundJob::Control&)>& install);
    void removeNaturalVoice(const QPointer<VoiceManagerDialog>& dialog, const QString& name);
    void tryNaturalVoice(const QString& name);
    void naturalVoicesChanged(const QPointer<VoiceManagerDialog>& dialog);
    // Lists the voices again, keeping the chosen one while it is installed.
    void relistVoices();
    std::unique_ptr<SpeechVoice> m_voiceTrial;
};
