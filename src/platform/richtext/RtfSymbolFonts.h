#pragma once
// Symbol fonts: fonts whose codes stand for signs of their own rather than
// for the letters of a character set. Text in them is read as the signs the
// font shows, from the font's published chart, so that it reads right in
// whatever font shows it here.
#include <QStringView>

#include <cstdint>
#include <optional>

namespace platform {

enum class RtfSymbolFont : std::uint8_t { Symbol, Wingdings, Wingdings2, Wingdings3, Webdings, ZapfDingbats };

// The symbol font a font name stands for, whatever its letter case, blanks
// and hyphens ("Wingdings 2", "ZapfDingbats", "ITC Zapf Dingbats").
std::optional<RtfSymbolFont> SymbolFontOfName(QStringView name);

// The character the font shows at a code. A code where the chart has no
// character keeps the font's own code as Windows gives it (U+F000 + code);
// codes below 0x20 are the control characters they are.
char32_t SymbolFontCharacter(RtfSymbolFont font, unsigned char code);

}  // namespace platform
