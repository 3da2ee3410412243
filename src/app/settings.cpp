#include "settings.h"

#include "profile_file.h"

namespace {

const QString Section = QStringLiteral("set");

QString yesNo(bool value) {
    return value ? QStringLiteral("Yes") : QStringLiteral("No");
}

} // namespace

Settings readSettings(const ProfileFile& profile) {
    const Settings defaults;
    Settings s;
    s.engine = profile.readInteger(Section, QStringLiteral("Engine"), defaults.engine);
    s.engineId = profile.readString(Section, QStringLiteral("EngineId"), defaults.engineId);
    s.speakKey = profile.readString(Section, QStringLiteral("Speakkey"), defaults.speakKey);
    s.showKeyWord =
        profile.readString(Section, QStringLiteral("ShowkeyWord"), defaults.showKeyWord);
    s.showClipBrdText =
        profile.readString(Section, QStringLiteral("ShowClipBrdText"), defaults.showClipBrdText);
    s.speakClipBrd =
        profile.readString(Section, QStringLiteral("SpeakClipBrd"), defaults.speakClipBrd);
    s.rate = profile.readInteger(Section, QStringLiteral("Rate"), defaults.rate);
    s.volume = profile.readInteger(Section, QStringLiteral("Volume"), defaults.volume);
    s.font = profile.readString(Section, QStringLiteral("Font"), defaults.font);
    s.color = profile.readInteger(Section, QStringLiteral("Color"), defaults.color);
    s.wordWrap = profile.readInteger(Section, QStringLiteral("WordWrap"), 1) != 0;
    s.toolBar = profile.readBool(Section, QStringLiteral("ToolBar"), defaults.toolBar);
    s.addressBar = profile.readBool(Section, QStringLiteral("AddressBar"), defaults.addressBar);
    s.progressBar = profile.readBool(Section, QStringLiteral("ProgressBar"), defaults.progressBar);
    s.propertyBar = profile.readBool(Section, QStringLiteral("PropertyBar"), defaults.propertyBar);
    // Follow-along highlight.
    s.highlightReading =
        profile.readBool(Section, QStringLiteral("HighlightReading"), defaults.highlightReading);
    // System-wide keys, in the form Qt writes them ("Ctrl+Alt+P"); empty: no key.
    for (GlobalKey& key : s.globalKeys) {
        const QString id = globalCommandInfo(key.command).id;
        key.key = QKeySequence::fromString(
            profile.readString(Section, id, key.key.toString(QKeySequence::PortableText)),
            QKeySequence::PortableText);
    }
    return s;
}

void writeSettings(ProfileFile& profile, const SettingsToSave& values) {
    if (values.rate)
        profile.writeInteger(Section, QStringLiteral("Rate"), *values.rate);
    if (values.volume)
        profile.writeInteger(Section, QStringLiteral("Volume"), *values.volume);
    if (values.color)
        profile.writeInteger(Section, QStringLiteral("Color"), *values.color);
    if (values.font)
        profile.writeString(Section, QStringLiteral("Font"), *values.font);
    if (values.wordWrap)
        profile.writeInteger(Section, QStringLiteral("WordWrap"), *values.wordWrap ? 1 : 0);
    if (values.bars) {
        profile.writeBool(Section, QStringLiteral("ToolBar"), values.bars->toolBar);
        profile.writeBool(Section, QStringLiteral("AddressBar"), values.bars->addressBar);
        profile.writeBool(Section, QStringLiteral("ProgressBar"), values.bars->progressBar);
        profile.writeBool(Section, QStringLiteral("PropertyBar"), values.bars->propertyBar);
    }
    if (values.speakKey) {
        // The letter-and-digit mode has always been stored under this spelling of the key.
        const bool letterDigit = *values.speakKey == QStringLiteral("LetterDigit");
        profile.writeString(Section,
                            letterDigit ? QStringLiteral("Speakkey") : QStringLiteral("SpeakKey"),
                            *values.speakKey);
    }
    if (values.showKeyWord)
        profile.writeString(Section, QStringLiteral("ShowKeyWord"), yesNo(*values.showKeyWord));
    if (values.speakClipBrd)
        profile.writeString(Section, QStringLiteral("SpeakClipBrd"), yesNo(*values.speakClipBrd));
    if (values.showClipBrdText)
        profile.writeString(Section, QStringLiteral("ShowClipBrdText"),
                            yesNo(*values.showClipBrdText));
    if (values.engine)
        profile.writeInteger(Section, QStringLiteral("Engine"), *values.engine);
    if (values.engineId)
        profile.writeString(Section, QStringLiteral("EngineId"), *values.engineId);
    // Follow-along highlight.
    if (values.highlightReading)
        profile.writeBool(Section, QStringLiteral("HighlightReading"), *values.highlightReading);
    if (values.globalKeys) {
        for (const GlobalKey& key : *values.globalKeys)
            profile.writeString(Section, globalCommandInfo(key.command).id,
                                key.key.toString(QKeySequence::PortableText));
    }
}
