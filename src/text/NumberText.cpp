#include "text/NumberText.h"

#include <QString>
#include <array>

namespace text {
namespace {

int HexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

struct NamedColor {
    const char* name;
    uint32_t value;
};

constexpr uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r | (g << 8) | (b << 16);
}
constexpr uint32_t System(uint32_t n) {
    return 0xFF000000u | n;
}

constexpr std::array<NamedColor, 52> Colors{{
    {"clBlack", Rgb(0, 0, 0)},
    {"clMaroon", Rgb(128, 0, 0)},
    {"clGreen", Rgb(0, 128, 0)},
    {"clOlive", Rgb(128, 128, 0)},
    {"clNavy", Rgb(0, 0, 128)},
    {"clPurple", Rgb(128, 0, 128)},
    {"clTeal", Rgb(0, 128, 128)},
    {"clGray", Rgb(128, 128, 128)},
    {"clSilver", Rgb(192, 192, 192)},
    {"clRed", Rgb(255, 0, 0)},
    {"clLime", Rgb(0, 255, 0)},
    {"clYellow", Rgb(255, 255, 0)},
    {"clBlue", Rgb(0, 0, 255)},
    {"clFuchsia", Rgb(255, 0, 255)},
    {"clAqua", Rgb(0, 255, 255)},
    {"clWhite", Rgb(255, 255, 255)},
    {"clMoneyGreen", Rgb(192, 220, 192)},
    {"clSkyBlue", Rgb(166, 202, 240)},
    {"clCream", Rgb(255, 251, 240)},
    {"clMedGray", Rgb(160, 160, 164)},
    {"clScrollBar", System(0)},
    {"clBackground", System(1)},
    {"clActiveCaption", System(2)},
    {"clInactiveCaption", System(3)},
    {"clMenu", System(4)},
    {"clWindow", System(5)},
    {"clWindowFrame", System(6)},
    {"clMenuText", System(7)},
    {"clWindowText", System(8)},
    {"clCaptionText", System(9)},
    {"clActiveBorder", System(10)},
    {"clInactiveBorder", System(11)},
    {"clAppWorkSpace", System(12)},
    {"clHighlight", System(13)},
    {"clHighlightText", System(14)},
    {"clBtnFace", System(15)},
    {"clBtnShadow", System(16)},
    {"clGrayText", System(17)},
    {"clBtnText", System(18)},
    {"clInactiveCaptionText", System(19)},
    {"clBtnHighlight", System(20)},
    {"cl3DDkShadow", System(21)},
    {"cl3DLight", System(22)},
    {"clInfoText", System(23)},
    {"clInfoBk", System(24)},
    {"clHotLight", System(26)},
    {"clGradientActiveCaption", System(27)},
    {"clGradientInactiveCaption", System(28)},
    {"clMenuHighlight", System(29)},
    {"clMenuBar", System(30)},
    {"clNone", 0x1FFFFFFFu},
    {"clDefault", 0x20000000u},
}};

} // namespace

std::optional<int32_t> ParseIntegerText(QStringView s) {
    qsizetype i = 0;
    while (i < s.size() && s[i] == u' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    const QStringView rest = s.mid(i);
    qsizetype prefix = 0;
    if (rest.startsWith(u"0x") || rest.startsWith(u"0X"))
        prefix = 2;
    else if (rest.startsWith(u'$') || rest.startsWith(u'x') || rest.startsWith(u'X'))
        prefix = 1;

    if (prefix > 0) {
        const QStringView digits = rest.mid(prefix);
        if (digits.isEmpty() || digits.size() > 8)
            return std::nullopt;
        uint32_t value = 0;
        for (QChar c : digits) {
            const int h = HexValue(c);
            if (h < 0)
                return std::nullopt;
            value = (value << 4) | static_cast<uint32_t>(h);
        }
        if (negative)
            value = 0u - value;
        return static_cast<int32_t>(value);
    }

    if (rest.isEmpty())
        return std::nullopt;
    int64_t value = 0;
    for (QChar c : rest) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 2147483648LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(value);
}

std::optional<int32_t> ParseColorText(QStringView s) {
    for (const NamedColor& color : Colors) {
        if (s.compare(QLatin1String(color.name), Qt::CaseInsensitive) == 0)
            return static_cast<int32_t>(color.value);
    }
    return ParseIntegerText(s);
}

} // namespace text
