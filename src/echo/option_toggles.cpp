// The seven options, each shown in three places: the property-bar check box holds the state,
// the main-menu and tray items follow it, and at most one key mode is on.
#include "app/tfmain.h"
#include "platform/key_hook.h"

#include <QAction>
#include <QCheckBox>

void TFmain::connectKeyEchoHandlers() {
    if (m_platform.keyHook) {
        connect(m_platform.keyHook, &KeyHook::KeyMessage, this,
                [this](std::uint32_t lParam) { guarded([&] { KeyEchoMessage(lParam); }); });
    }
    watchWindowKeys();
    // A check box reacts to every change of its state, by the user or by the program.
    const std::pair<QCheckBox*, void (TFmain::*)()> boxes[] = {
        {CBSpeakKeyAll, &TFmain::CBSpeakKeyAllClick},
        {CBSpeakletterdigit, &TFmain::CBSpeakletterdigitClick},
        {CBSpeakLetter, &TFmain::CBSpeakLetterClick},
        {CBSpeakdigit, &TFmain::CBSpeakdigitClick},
        {CBSpeakClipBrd, &TFmain::CBSpeakClipBrdClick},
        {CBShowKeyWord, &TFmain::CBShowKeyWordClick},
        {CBShowClipBrdText, &TFmain::CBShowClipBrdTextClick},
    };
    for (const auto& [box, handler] : boxes) {
        connect(box, &QCheckBox::toggled, this,
                [this, handler = handler] { guarded([&] { (this->*handler)(); }); });
    }
    const std::pair<QAction*, void (TFmain::*)()> items[] = {
        {NSpeakKeyAll, &TFmain::NSpeakKeyAllClick},
        {NNSpeakKeyAll, &TFmain::NNSpeakKeyAllClick},
        {NspeakLetterDigit, &TFmain::NspeakLetterDigitClick},
        {NNSpeakLetterDigit, &TFmain::NNSpeakLetterDigitClick},
        {NspeakLetter, &TFmain::NspeakLetterClick},
        {NNSpeakLetter, &TFmain::NNSpeakLetterClick},
        {NSpeakdigit, &TFmain::NSpeakdigitClick},
        {NNSpeakdigit, &TFmain::NNSpeakdigitClick},
        {NspeakClipBrd, &TFmain::NspeakClipBrdClick},
        {NNspeakClipBrd, &TFmain::NNspeakClipBrdClick},
        {NshowKeyWord, &TFmain::NshowKeyWordClick},
        {NNshowkeyword, &TFmain::NNshowkeywordClick},
        {NshowclipBrdText, &TFmain::NshowclipBrdTextClick},
        {NNShowclipBrdText, &TFmain::NNShowclipBrdTextClick},
    };
    for (const auto& [item, handler] : items)
        connectItem(item, handler);
}

std::array<TFmain::OptionControls, 4> TFmain::keyModes() const {
    return {{
        {CBSpeakKeyAll, NSpeakKeyAll, NNSpeakKeyAll},
        {CBSpeakletterdigit, NspeakLetterDigit, NNSpeakLetterDigit},
        {CBSpeakLetter, NspeakLetter, NNSpeakLetter},
        {CBSpeakdigit, NSpeakdigit, NNSpeakdigit},
    }};
}

// Turned on, a mode turns the others off (each reacting in turn) and owns both menus.
void TFmain::keyModeBoxChanged(int mode) {
    const auto modes = keyModes();
    const OptionControls& changed = modes[mode];
    if (!changed.box->isChecked()) {
        changed.item->setChecked(false);
        changed.trayItem->setChecked(false);
        return;
    }
    for (const OptionControls& other : modes) {
        if (other.box != changed.box)
            other.box->setChecked(false);
    }
    for (const OptionControls& each : modes) {
        each.item->setChecked(each.box == changed.box);
        each.trayItem->setChecked(each.box == changed.box);
    }
}

// The item of the mode that is on turns it off, like unticking its check box.
void TFmain::keyModeItemClicked(int mode) {
    QCheckBox* box = keyModes()[mode].box;
    box->setChecked(!box->isChecked());
}

void TFmain::optionBoxChanged(const OptionControls& option) {
    option.item->setChecked(option.box->isChecked());
    option.trayItem->setChecked(option.box->isChecked());
}

// The clicked item has already flipped its own check; the box takes it over, the rest follows.
void TFmain::optionItemClicked(QAction* clicked, QCheckBox* box) {
    box->setChecked(clicked->isChecked());
}

void TFmain::CBSpeakKeyAllClick() {
    keyModeBoxChanged(0);
}
void TFmain::NSpeakKeyAllClick() {
    keyModeItemClicked(0);
}
void TFmain::NNSpeakKeyAllClick() {
    keyModeItemClicked(0);
}
void TFmain::CBSpeakletterdigitClick() {
    keyModeBoxChanged(1);
}
void TFmain::NspeakLetterDigitClick() {
    keyModeItemClicked(1);
}
void TFmain::NNSpeakLetterDigitClick() {
    keyModeItemClicked(1);
}
void TFmain::CBSpeakLetterClick() {
    keyModeBoxChanged(2);
}
void TFmain::NspeakLetterClick() {
    keyModeItemClicked(2);
}
void TFmain::NNSpeakLetterClick() {
    keyModeItemClicked(2);
}
void TFmain::CBSpeakdigitClick() {
    keyModeBoxChanged(3);
}
void TFmain::NSpeakdigitClick() {
    keyModeItemClicked(3);
}
void TFmain::NNSpeakdigitClick() {
    keyModeItemClicked(3);
}

void TFmain::CBSpeakClipBrdClick() {
    optionBoxChanged({CBSpeakClipBrd, NspeakClipBrd, NNspeakClipBrd});
}
void TFmain::NspeakClipBrdClick() {
    optionItemClicked(NspeakClipBrd, CBSpeakClipBrd);
}
void TFmain::NNspeakClipBrdClick() {
    optionItemClicked(NNspeakClipBrd, CBSpeakClipBrd);
}
void TFmain::CBShowKeyWordClick() {
    optionBoxChanged({CBShowKeyWord, NshowKeyWord, NNshowkeyword});
}
void TFmain::NshowKeyWordClick() {
    optionItemClicked(NshowKeyWord, CBShowKeyWord);
}
void TFmain::NNshowkeywordClick() {
    optionItemClicked(NNshowkeyword, CBShowKeyWord);
}
void TFmain::CBShowClipBrdTextClick() {
    optionBoxChanged({CBShowClipBrdText, NshowclipBrdText, NNShowclipBrdText});
}
void TFmain::NshowclipBrdTextClick() {
    optionItemClicked(NshowclipBrdText, CBShowClipBrdText);
}
void TFmain::NNShowclipBrdTextClick() {
    optionItemClicked(NNShowclipBrdText, CBShowClipBrdText);
}
