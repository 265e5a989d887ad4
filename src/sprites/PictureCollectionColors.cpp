#include "sprites/PictureCollectionColors.h"

#include <cctype>
#include <utility>

namespace {

struct TNamedColor {
    const char* Name;
    uint32_t Value;
};

constexpr TNamedColor ColorNames[] = {
    {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000}, {"clPurple", 0x800080}, {"clTeal", 0x808000}, {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF}, {"clLime", 0x00FF00}, {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000}, {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00}, {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6}, {"clCream", 0xF0FBFF}, {"clMedGray", 0xA4A0A0},
    {"clNone", 0x1FFFFFFF}, {"clDefault", 0x20000000},
    {"clScrollBar", 0x80000000}, {"clBackground", 0x80000001}, {"clActiveCaption", 0x80000002},
    {"clInactiveCaption", 0x80000003}, {"clMenu", 0x80000004}, {"clWindow", 0x80000005},
    {"clWindowFrame", 0x80000006}, {"clMenuText", 0x80000007}, {"clWindowText", 0x80000008},
    {"clCaptionText", 0x80000009}, {"clActiveBorder", 0x8000000A}, {"clInactiveBorder", 0x8000000B},
    {"clAppWorkSpace", 0x8000000C}, {"clHighlight", 0x8000000D}, {"clHighlightText", 0x8000000E},
    {"clBtnFace", 0x8000000F}, {"clBtnShadow", 0x80000010}, {"clGrayText", 0x80000011},
    {"clBtnText", 0x80000012}, {"clInactiveCaptionText", 0x80000013}, {"clBtnHighlight", 0x80000014},
    {"cl3DDkShadow", 0x80000015}, {"cl3DLight", 0x80000016}, {"clInfoText", 0x80000017},
    {"clInfoBk", 0x80000018}, {"clGradientActiveCaption", 0x8000001B},
    {"clGradientInactiveCaption", 0x8000001C},
};

// The classic desktop scheme, 0x00BBGGRR, indexed by system colour number. A fixed scheme
// keeps transparent keys the same on every desktop.
constexpr uint32_t SystemColors[] = {
    0xC8C8C8, 0x000000, 0x6A240A, 0x808080, 0xC0C0C0, 0xFFFFFF, 0x000000, 0x000000,
    0x000000, 0xFFFFFF, 0xC0C0C0, 0xC0C0C0, 0x808080, 0x6A240A, 0xFFFFFF, 0xC0C0C0,
    0x808080, 0x808080, 0x000000, 0xC0C0C0, 0xFFFFFF, 0x404040, 0xC0C0C0, 0x000000,
    0xE1FFFF, 0x000000, 0x800000, 0xF0CAA6, 0xC0C0C0,
};

bool SameText(const char* a, const std::string& b)
{
    size_t i = 0;
    for (; a[i] != 0; ++i)
        if (i >= b.size() || std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return i == b.size();
}

} // namespace

bool TPictureCollectionColors::ByName(const std::string& name, uint32_t& value)
{
    for (const auto& c : ColorNames) {
        if (SameText(c.Name, name)) {
            value = c.Value;
            return true;
        }
    }
    return false;
}

std::string TPictureCollectionColors::NameOf(uint32_t value)
{
    for (const auto& c : ColorNames)
        if (c.Value == value)
            return c.Name;
    return {};
}

uint32_t TPictureCollectionColors::ToRGB(uint32_t color)
{
    if (color & 0x80000000u) {
        const uint32_t index = color & 0xFF;
        return index < std::size(SystemColors) ? SystemColors[index] : 0;
    }
    return color & 0xFFFFFF;
}
