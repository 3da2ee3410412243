#include "echo/key_names.h"

namespace {

struct KeyName {
    unsigned scanCode;
    bool extended;
    const char* name;
};

// Names by scan code as a US keyboard labels its keys; letter and digit keys carry one character.
constexpr KeyName Names[] = {
    {0x01, false, "Esc"},         {0x02, false, "1"},         {0x03, false, "2"},
    {0x04, false, "3"},           {0x05, false, "4"},         {0x06, false, "5"},
    {0x07, false, "6"},           {0x08, false, "7"},         {0x09, false, "8"},
    {0x0a, false, "9"},           {0x0b, false, "0"},         {0x0c, false, "-"},
    {0x0d, false, "="},           {0x0e, false, "Backspace"}, {0x0f, false, "Tab"},
    {0x10, false, "Q"},           {0x11, false, "W"},         {0x12, false, "E"},
    {0x13, false, "R"},           {0x14, false, "T"},         {0x15, false, "Y"},
    {0x16, false, "U"},           {0x17, false, "I"},         {0x18, false, "O"},
    {0x19, false, "P"},           {0x1a, false, "["},         {0x1b, false, "]"},
    {0x1c, false, "Enter"},       {0x1d, false, "Left Ctrl"}, {0x1e, false, "A"},
    {0x1f, false, "S"},           {0x20, false, "D"},         {0x21, false, "F"},
    {0x22, false, "G"},           {0x23, false, "H"},         {0x24, false, "J"},
    {0x25, false, "K"},           {0x26, false, "L"},         {0x27, false, ";"},
    {0x28, false, "'"},           {0x29, false, "`"},         {0x2a, false, "Left Shift"},
    {0x2b, false, "\\"},          {0x2c, false, "Z"},         {0x2d, false, "X"},
    {0x2e, false, "C"},           {0x2f, false, "V"},         {0x30, false, "B"},
    {0x31, false, "N"},           {0x32, false, "M"},         {0x33, false, ","},
    {0x34, false, "."},           {0x35, false, "/"},         {0x36, false, "Right Shift"},
    {0x37, false, "Num *"},       {0x38, false, "Left Alt"},  {0x39, false, "Space"},
    {0x3a, false, "Caps Lock"},   {0x3b, false, "F1"},        {0x3c, false, "F2"},
    {0x3d, false, "F3"},          {0x3e, false, "F4"},        {0x3f, false, "F5"},
    {0x40, false, "F6"},          {0x41, false, "F7"},        {0x42, false, "F8"},
    {0x43, false, "F9"},          {0x44, false, "F10"},       {0x45, false, "Pause"},
    {0x46, false, "Scroll Lock"}, {0x47, false, "Num 7"},     {0x48, false, "Num 8"},
    {0x49, false, "Num 9"},       {0x4a, false, "Num -"},     {0x4b, false, "Num 4"},
    {0x4c, false, "Num 5"},       {0x4d, false, "Num 6"},     {0x4e, false, "Num +"},
    {0x4f, false, "Num 1"},       {0x50, false, "Num 2"},     {0x51, false, "Num 3"},
    {0x52, false, "Num 0"},       {0x53, false, "Num Del"},   {0x54, false, "Sys Req"},
    {0x56, false, "\\"},          {0x57, false, "F11"},       {0x58, false, "F12"},
    {0x64, false, "F13"},         {0x65, false, "F14"},       {0x66, false, "F15"},
    {0x67, false, "F16"},         {0x68, false, "F17"},       {0x69, false, "F18"},
    {0x6a, false, "F19"},         {0x6b, false, "F20"},       {0x6c, false, "F21"},
    {0x6d, false, "F22"},         {0x6e, false, "F23"},       {0x76, false, "F24"},
    {0x1c, true, "Num Enter"},    {0x1d, true, "Right Ctrl"}, {0x35, true, "Num /"},
    {0x37, true, "Prnt Scrn"},    {0x38, true, "Right Alt"},  {0x45, true, "Num Lock"},
    {0x46, true, "Break"},        {0x47, true, "Home"},       {0x48, true, "Up"},
    {0x49, true, "Page Up"},      {0x4b, true, "Left"},       {0x4d, true, "Right"},
    {0x4f, true, "End"},          {0x50, true, "Down"},       {0x51, true, "Page Down"},
    {0x52, true, "Insert"},       {0x53, true, "Delete"},     {0x5b, true, "Left Super"},
    {0x5c, true, "Right Super"},  {0x5d, true, "Menu"},
};

} // namespace

bool isKeystroke(std::uint32_t lParam) {
    const bool oneEvent = (lParam & 0xffffu) == 1;
    const bool unusedClear = (lParam & 0x3e000000u) == 0;
    const bool scanCode = (lParam >> 16 & 0xffu) != 0;
    const bool releaseOfDownKey =
        !(lParam & keystroke::Transition) || (lParam & keystroke::PreviousState);
    return oneEvent && unusedClear && scanCode && releaseOfDownKey;
}

QString keyNameText(std::uint32_t lParam) {
    const unsigned scanCode = lParam >> 16 & 0xffu;
    const bool extended = lParam & keystroke::Extended;
    for (const KeyName& key : Names) {
        if (key.scanCode == scanCode && key.extended == extended)
            return QString::fromLatin1(key.name);
    }
    return {};
}

QString cleanKeyName(QString name) {
    for (const char* part : {"Num ", "Right ", "Left "})
        name.remove(QLatin1String(part), Qt::CaseSensitive);
    return name;
}

KeyKind keyKind(const QString& cleanedName) {
    if (cleanedName.size() != 1)
        return KeyKind::Other;
    const char16_t c = cleanedName.front().unicode();
    if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'))
        return KeyKind::Letter;
    if (c >= u'0' && c <= u'9')
        return KeyKind::Digit;
    return KeyKind::Other;
}
