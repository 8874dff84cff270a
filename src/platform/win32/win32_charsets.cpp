#include "platform/win32/win32_charsets.h"

#include <windows.h>

#include <climits>

#include "platform/charset_converter.h"

namespace qbx::win32 {
namespace {

struct CharsetRow {
    std::string_view name;  // lower case
    unsigned codePage;
};

// The names mailers declare (IANA's names and the aliases seen in mail) and the system's code
// page for each. Where Windows has two numbers for one charset, the one its converters accept
// is taken (20932 for EUC-JP and 949 for EUC-KR, not the browser-only 51932 and 51949).
// clang-format off
constexpr CharsetRow kCharsets[] = {
    {"windows-1250", 1250}, {"cp1250", 1250}, {"x-cp1250", 1250},
    {"windows-1251", 1251}, {"cp1251", 1251}, {"x-cp1251", 1251},
    {"windows-1252", 1252}, {"cp1252", 1252}, {"x-cp1252", 1252},
    {"windows-1253", 1253}, {"cp1253", 1253},
    {"windows-1254", 1254}, {"cp1254", 1254},
    {"windows-1255", 1255}, {"cp1255", 1255},
    {"windows-1256", 1256}, {"cp1256", 1256},
    {"windows-1257", 1257}, {"cp1257", 1257},
    {"windows-1258", 1258}, {"cp1258", 1258},
    {"windows-874", 874}, {"tis-620", 874}, {"cp874", 874},
    {"us-ascii", 20127}, {"ascii", 20127},
    {"iso-8859-1", 28591}, {"iso8859-1", 28591}, {"iso_8859-1", 28591}, {"latin1", 28591},
    {"iso-8859-2", 28592}, {"iso8859-2", 28592}, {"iso_8859-2", 28592}, {"latin2", 28592},
    {"iso-8859-3", 28593}, {"iso8859-3", 28593}, {"latin3", 28593},
    {"iso-8859-4", 28594}, {"iso8859-4", 28594}, {"latin4", 28594},
    {"iso-8859-5", 28595}, {"iso8859-5", 28595}, {"iso_8859-5", 28595},
    {"iso-8859-6", 28596}, {"iso8859-6", 28596},
    {"iso-8859-7", 28597}, {"iso8859-7", 28597},
    {"iso-8859-8", 28598}, {"iso8859-8", 28598},
    {"iso-8859-8-i", 38598},
    {"iso-8859-9", 28599}, {"iso8859-9", 28599}, {"latin5", 28599},
    {"iso-8859-13", 28603}, {"iso8859-13", 28603},
    {"iso-8859-15", 28605}, {"iso8859-15", 28605}, {"latin-9", 28605},
    {"koi8-r", 20866}, {"koi8r", 20866},
    {"koi8-u", 21866}, {"koi8u", 21866},
    {"cp866", 866}, {"ibm866", 866}, {"866", 866}, {"x-cp866", 866},
    {"cp852", 852}, {"ibm852", 852},
    {"cp850", 850}, {"ibm850", 850},
    {"cp437", 437}, {"ibm437", 437},
    {"utf-8", CP_UTF8}, {"utf8", CP_UTF8},
    {"utf-7", CP_UTF7},
    {"utf-16", kUtf16ByMark},
    {"utf-16le", kUtf16LittleEndian},
    {"utf-16be", kUtf16BigEndian},
    {"big5", 950}, {"big5-hkscs", 950},
    {"gb2312", 936}, {"gbk", 936}, {"x-gbk", 936}, {"cp936", 936},
    {"gb18030", 54936},
    {"hz-gb-2312", 52936},
    {"shift_jis", 932}, {"shift-jis", 932}, {"sjis", 932}, {"x-sjis", 932}, {"windows-31j", 932},
    {"cp932", 932},
    {"euc-jp", 20932}, {"x-euc-jp", 20932},
    {"iso-2022-jp", 50220},
    {"euc-kr", 949}, {"ks_c_5601-1987", 949}, {"cp949", 949},
    {"iso-2022-kr", 50225},
};
// clang-format on

// Our own reading of UTF-16: the byte order given, or for kUtf16ByMark the one a leading byte
// order mark names (the mark itself dropped), big-endian without one. A lone last byte is one
// malformed character.
std::wstring readUtf16(unsigned codePage, std::string_view bytes) {
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    bool bigEndian = codePage != kUtf16LittleEndian;
    std::size_t start = 0;
    if (codePage == kUtf16ByMark && bytes.size() >= 2) {
        if (byteAt(0) == 0xFF && byteAt(1) == 0xFE) {
            bigEndian = false;
            start = 2;
        } else if (byteAt(0) == 0xFE && byteAt(1) == 0xFF) {
            start = 2;
        }
    }
    std::wstring text;
    text.reserve(bytes.size() / 2 + 1);
    std::size_t i = start;
    for (; i + 1 < bytes.size(); i += 2) {
        const unsigned high = bigEndian ? byteAt(i) : byteAt(i + 1);
        const unsigned low = bigEndian ? byteAt(i + 1) : byteAt(i);
        text += static_cast<wchar_t>((high << 8) | low);
    }
    if (i < bytes.size()) text += L'\xFFFD';
    return text;
}

}  // namespace

std::optional<unsigned> charsetCodePage(std::string_view charset) {
    if (!isCharsetName(charset)) return std::nullopt;
    std::string lower(charset);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (const CharsetRow& row : kCharsets)
        if (row.name == lower) return row.codePage;
    return std::nullopt;
}

std::optional<std::wstring> codePageToUtf16(unsigned codePage, std::string_view bytes) {
    if (codePage == kUtf16ByMark || codePage == kUtf16LittleEndian || codePage == kUtf16BigEndian)
        return readUtf16(codePage, bytes);
    if (!IsValidCodePage(codePage)) return std::nullopt;
    if (bytes.empty()) return std::wstring();
    if (bytes.size() > INT_MAX / 2) return std::nullopt;
    const int length = static_cast<int>(bytes.size());
    // No flags: the code pages of the ISO-2022 family and UTF-7 refuse any, and malformed
    // bytes are to become U+FFFD rather than fail the whole text.
    const int count = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    if (count <= 0) return std::nullopt;
    std::wstring text(static_cast<std::size_t>(count), L'\0');
    if (MultiByteToWideChar(codePage, 0, bytes.data(), length, text.data(), count) != count)
        return std::nullopt;
    return text;
}

std::optional<std::string> utf16ToAnsi(std::wstring_view text) {
    if (text.empty()) return std::string();
    if (text.size() > INT_MAX / 4) return std::nullopt;
    const int length = static_cast<int>(text.size());
    // A system whose ANSI code page is UTF-8 lacks no character, and its converter refuses
    // both the flag and a default character.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* fallback = utf8 ? nullptr : "?";
    const int count =
        WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, fallback, nullptr);
    if (count <= 0) return std::nullopt;
    std::string out(static_cast<std::size_t>(count), '\0');
    if (WideCharToMultiByte(CP_ACP, flags, text.data(), length, out.data(), count, fallback,
                            nullptr) != count)
        return std::nullopt;
    return out;
}

namespace {

class Win32CharsetConverter final : public CharsetConverter {
public:
    std::optional<std::string> toModuleText(std::string_view charset, std::string_view bytes,
                                            std::size_t maxBytes) const override {
        try {
            const std::optional<unsigned> codePage = charsetCodePage(charset);
            if (!codePage) return std::nullopt;
            const std::optional<std::wstring> wide = codePageToUtf16(*codePage, bytes);
            if (!wide) return std::nullopt;
            std::optional<std::string> text = utf16ToAnsi(*wide);
            if (!text || text->size() > maxBytes) return std::nullopt;
            return text;
        } catch (...) {
            return std::nullopt;
        }
    }
};

}  // namespace
}  // namespace qbx::win32

namespace qbx {

const CharsetConverter& systemCharsetConverter() {
    static const win32::Win32CharsetConverter converter;
    return converter;
}

unsigned moduleTextCodePage() { return GetACP(); }

}  // namespace qbx
