#include "color_value.h"

#include "profile_number.h"

#include <QPalette>
#include <array>

namespace ColorValue {
namespace {

struct NamedColor {
    const char16_t* name;
    quint32 value;
};

constexpr std::array<NamedColor, 52> Names{{
    {u"clBlack", 0x00000000},
    {u"clMaroon", 0x00000080},
    {u"clGreen", 0x00008000},
    {u"clOlive", 0x00008080},
    {u"clNavy", 0x00800000},
    {u"clPurple", 0x00800080},
    {u"clTeal", 0x00808000},
    {u"clGray", 0x00808080},
    {u"clSilver", 0x00C0C0C0},
    {u"clRed", 0x000000FF},
    {u"clLime", 0x0000FF00},
    {u"clYellow", 0x0000FFFF},
    {u"clBlue", 0x00FF0000},
    {u"clFuchsia", 0x00FF00FF},
    {u"clAqua", 0x00FFFF00},
    {u"clWhite", 0x00FFFFFF},
    {u"clMoneyGreen", 0x00C0DCC0},
    {u"clSkyBlue", 0x00F0CAA6},
    {u"clCream", 0x00F0FBFF},
    {u"clMedGray", 0x00A4A0A0},
    {u"clActiveBorder", 0xFF00000A},
    {u"clActiveCaption", 0xFF000002},
    {u"clAppWorkSpace", 0xFF00000C},
    {u"clBackground", 0xFF000001},
    {u"clBtnFace", 0xFF00000F},
    {u"clBtnHighlight", 0xFF000014},
    {u"clBtnShadow", 0xFF000010},
    {u"clBtnText", 0xFF000012},
    {u"clCaptionText", 0xFF000009},
    {u"clDefault", 0x20000000},
    {u"clGradientActiveCaption", 0xFF00001B},
    {u"clGradientInactiveCaption", 0xFF00001C},
    {u"clGrayText", 0xFF000011},
    {u"clHighlight", 0xFF00000D},
    {u"clHighlightText", 0xFF00000E},
    {u"clHotLight", 0xFF00001A},
    {u"clInactiveBorder", 0xFF00000B},
    {u"clInactiveCaption", 0xFF000003},
    {u"clInactiveCaptionText", 0xFF000013},
    {u"clInfoBk", 0xFF000018},
    {u"clInfoText", 0xFF000017},
    {u"clMenu", 0xFF000004},
    {u"clMenuBar", 0xFF00001E},
    {u"clMenuHighlight", 0xFF00001D},
    {u"clMenuText", 0xFF000007},
    {u"clNone", 0x1FFFFFFF},
    {u"clScrollBar", 0xFF000000},
    {u"cl3DDkShadow", 0xFF000015},
    {u"cl3DLight", 0xFF000016},
    {u"clWindow", 0xFF000005},
    {u"clWindowFrame", 0xFF000006},
    {u"clWindowText", 0xFF000008},
}};

// The desktop's system colour numbers, as palette roles of this desktop.
QPalette::ColorRole systemRole(int number) {
    switch (number) {
    case 0x05: // window
    case 0x0C: // application work space
        return QPalette::Base;
    case 0x08: // window text
    case 0x07: // menu text
        return QPalette::Text;
    case 0x0D: // highlight
    case 0x1D: // menu highlight
        return QPalette::Highlight;
    case 0x0E:
        return QPalette::HighlightedText;
    case 0x12: // button text
    case 0x09: // caption text
        return QPalette::ButtonText;
    case 0x11:
        return QPalette::PlaceholderText;
    case 0x10:
    case 0x15:
        return QPalette::Dark;
    case 0x14:
    case 0x16:
        return QPalette::Light;
    case 0x18:
        return QPalette::ToolTipBase;
    case 0x17:
        return QPalette::ToolTipText;
    case 0x1A:
        return QPalette::Link;
    default: // button face, menus, borders, captions, scroll bars
        return QPalette::Window;
    }
}

} // namespace

QString toText(qint32 color) {
    for (const NamedColor& named : Names) {
        if (named.value == static_cast<quint32>(color))
            return QString::fromUtf16(named.name);
    }
    return QStringLiteral("$%1").arg(static_cast<quint32>(color), 8, 16, QChar(u'0')).toUpper();
}

std::optional<qint32> fromText(const QString& text) {
    for (const NamedColor& named : Names) {
        if (text.compare(QString::fromUtf16(named.name), Qt::CaseInsensitive) == 0)
            return static_cast<qint32>(named.value);
    }
    return parseProfileInteger(text);
}

QColor toQColor(qint32 color, const QPalette& palette) {
    const auto value = static_cast<quint32>(color);
    if (value == static_cast<quint32>(clNone) || value == static_cast<quint32>(clDefault))
        return {};
    if ((value & 0xFF000000u) == 0xFF000000u)
        return palette.color(QPalette::Active, systemRole(int(value & 0xFFu)));
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace ColorValue
