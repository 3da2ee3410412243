// Key echo: each key event from the system-wide hook is spoken and shown as the options say.
#include "app/tfmain.h"
#include "echo/key_names.h"
#include "platform/key_hook.h"

#include <QCheckBox>
#include <QTextCursor>
#include <QTextEdit>

void TFmain::setUpKeyEcho() {
    if (m_platform.keyHook)
        m_platform.keyHook->HookOn();
}

void TFmain::removeKeyHook() {
    if (m_platform.keyHook)
        m_platform.keyHook->HookOff();
}

// A key is echoed when it is let go and while it repeats, never on its first press.
void TFmain::KeyEchoMessage(std::uint32_t lParam) {
    const QString platformName = keyNameText(lParam);
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

bool TFmain::skipThenSpeak(const QString& text) {
    try {
        SpVoice1->Skip(QStringLiteral("Sentence"), 2147483647);
    } catch (const std::exception&) {
        return false;
    }
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
