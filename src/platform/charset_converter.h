// Text of a mail charset turned into the module's text through the system's own converters:
// code pages and UTF-16 in the DLL, the C library's iconv natively. The module's text is the
// system's ANSI code page in the DLL, which is what the host shows, and code page 1251 natively.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qbx {

// A charset name is declared by the mail: longer ones are not looked up.
inline constexpr std::size_t kMaxCharsetNameLength = 64;

// Whether a declared charset name may be handed to the system at all: 1 to
// kMaxCharsetNameLength ASCII letters, digits and "-_.:+". Anything else (a path, a "//"
// option of iconv, a control byte) names no charset.
bool isCharsetName(std::string_view name);

class CharsetConverter {
public:
    virtual ~CharsetConverter() = default;
    // The bytes as module text: a character the module's code page lacks becomes "?", and so
    // does each malformed part of the bytes. Nothing when the charset is unknown or not a name,
    // when the text would come out longer than maxBytes, or when the system fails; the caller
    // then keeps the bytes as they are. Never throws.
    virtual std::optional<std::string> toModuleText(std::string_view charset,
                                                    std::string_view bytes,
                                                    std::size_t maxBytes) const = 0;
};

// The converter of this build; it lives as long as the process.
const CharsetConverter& systemCharsetConverter();

// The code page of the module's text: the system's ANSI code page in the DLL, 1251 natively.
unsigned moduleTextCodePage();

}  // namespace qbx
