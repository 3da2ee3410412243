// Key echo: each key event from the system-wide hook is spoken and shown as the options say.
#include "app/progress_job.h"
#include "app/tfmain.h"
#include "echo/key_names.h"
#include "platform/key_hook.h"
#include "speech/listening.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTextEdit>

namespace {

// Tells the held keys about the key events the program's own windows receive.
class WindowKeyWatch : public QObject {
public:
    WindowKeyWatch(HeldKeys& keys, QObject* parent) : QObject(parent), m_keys(keys) {
        qApp->installEventFilter(this);
        connect(qApp, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState state) {
                    if (state != Qt::ApplicationActive)
                        m_keys.windowKeysLost();
                });
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto type = event->type();
        if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const std::uint32_t held = HeldKeys::keyOfNativeScanCode(key->nativeScanCode());
            if (type == QEvent::KeyPress)
                m_keys.windowKeyPressed(held);
            else if (!key->isAutoRepeat())
                m_keys.windowKeyReleased(held);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    HeldKeys& m_keys;
};

} // namespace

void TFmain::setUpKeyEcho() {
    if (m_platform.keyHook)
        m_platform.keyHook->HookOn();
}

void TFmain::removeKeyHook() {
    if (m_platform.keyHook)
        m_platform.keyHook->HookOff();
}

void TFmain::watchWindowKeys() {
    new WindowKeyWatch(m_heldKeys, this);
}

void TFmain::noteCommandStarted() {
    m_heldKeys.commandStarted();
}

// A key is echoed when it is let go and while it repeats, never on its first press; nothing
// is echoed while an export has the voice.
void TFmain::KeyEchoMessage(std::uint32_t lParam) {
    const QString platformName = keyNameText(lParam);
    if (!m_heldKeys.echoes(lParam) || longOperation().holdsVoice())
        return;
    if (!(lParam & keystroke::PreviousState))
        return;
    const QString name = cleanKeyName(platformName);
    const KeyKind kind = keyKind(name);
    const bool speaks[] = {
        CBSpeakKeyAll->isChecked(),
        CBSpeakletterdigit->isChecked() && kind != KeyKind::Other,
        CBSpeakLetter->isChecked() && kind == KeyKind::Letter,
        CBSpeakdigit->isChecked() && kind == KeyKind::Digit,
    };
    for (const bool speak : speaks) {
        if (speak && !skipThenSpeak(name))
            return;
    }
    if (CBShowKeyWord->isChecked())
        appendEditorLine(name);
}

// What was being read is cut off, a paused reading too: the window is no longer paused.
bool TFmain::skipThenSpeak(const QString& text) {
    try {
        listAwaitedVoices(); // in the stored voice, also before the engine's list came
        SpVoice1->Skip(QStringLiteral("Sentence"), 2147483647);
    } catch (const std::exception&) {
        return false;
    }
    m_paused = false;
    m_listening->end();
    clearReadingHighlight(); // the reading it marked is cut off
    SpVoice1->Speak(text, SpeechVoice::SpeakAsync);
    return true;
}

// Plain text as a new last line; a key name is never taken for markup.
void TFmain::appendEditorLine(const QString& line) {
    QTextCursor end(RichEdit1->document());
    end.movePosition(QTextCursor::End);
    if (!RichEdit1->document()->isEmpty())
        end.insertBlock();
    end.insertText(line);
}
