// Natively the C library's iconv reads the charset into UTF-8, and the module's own 1251 table
// takes it from there: iconv cannot tell a malformed byte from a character 1251 lacks, while
// the two steps give one "?" for each.
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "base/cp1251.h"
#include "platform/charset_converter.h"

namespace qbx {
namespace {

// Names mailers use that the C library does not know by that name.
struct CharsetAlias {
    std::string_view name;  // lower case
    const char* libraryName;
};
constexpr CharsetAlias kAliases[] = {
    {"x-cp1250", "CP1250"},
    {"x-cp1251", "CP1251"},
    {"x-cp1252", "CP1252"},
    {"x-cp866", "CP866"},
    {"x-gbk", "GBK"},
    {"x-sjis", "SHIFT_JIS"},
    {"x-euc-jp", "EUC-JP"},
    {"ks_c_5601-1987", "CP949"},
    {"iso-8859-8-i", "ISO-8859-8"},
};

// A character takes at most four bytes of UTF-8, and a few charsets give two characters for
// one of their codes; past this the reading is refused rather than grown further.
constexpr std::size_t kUtf8BytesPerInputByte = 8;
constexpr std::size_t kUtf8Slack = 64;

// UTF-16 without a byte order mark is big-endian in mail, where the C library would take the
// machine's order.
bool hasByteOrderMark(std::string_view bytes) {
    return bytes.size() >= 2 && ((bytes[0] == '\xFE' && bytes[1] == '\xFF') ||
                                 (bytes[0] == '\xFF' && bytes[1] == '\xFE'));
}

std::string libraryName(std::string_view charset, std::string_view bytes) {
    std::string lower(charset);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (const CharsetAlias& alias : kAliases)
        if (alias.name == lower) return alias.libraryName;
    if (lower == "utf-16" && !hasByteOrderMark(bytes)) return "UTF-16BE";
    return std::string(charset);
}

class Descriptor {
public:
    explicit Descriptor(const char* from) : cd_(iconv_open("UTF-8", from)) {}
    ~Descriptor() {
        if (valid()) iconv_close(cd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

// The bytes as UTF-8; each malformed sequence gives "?" and the reading goes on after its
// first byte, a sequence cut off at the end gives one "?". Nothing past maxBytes.
std::optional<std::string> readAsUtf8(const Descriptor& cd, std::string_view bytes,
                                      std::size_t maxBytes) {
    std::string out(std::min(maxBytes, bytes.size() * 2 + 16), '\0');
    std::size_t used = 0;
    char* in = const_cast<char*>(bytes.data());  // iconv's signature; it only reads
    std::size_t inLeft = bytes.size();
    const auto put = [&](char c) {
        if (used == out.size()) {
            if (out.size() >= maxBytes) return false;
            out.resize(std::min(maxBytes, out.size() * 2 + 16));
        }
        out[used++] = c;
        return true;
    };
    bool flushed = false;
    while (!flushed) {
        char* at = out.data() + used;
        std::size_t outLeft = out.size() - used;
        // A null input at the end writes what a stateful charset still holds.
        const bool flushing = inLeft == 0;
        const std::size_t result = flushing ? iconv(cd.get(), nullptr, nullptr, &at, &outLeft)
                                            : iconv(cd.get(), &in, &inLeft, &at, &outLeft);
        used = out.size() - outLeft;
        if (result != static_cast<std::size_t>(-1)) {
            flushed = flushing;
        } else if (errno == E2BIG) {
            if (out.size() >= maxBytes) return std::nullopt;
            out.resize(std::min(maxBytes, out.size() * 2 + 16));
        } else if (flushing) {
            break;
        } else if (errno == EILSEQ) {
            if (!put('?')) return std::nullopt;
            ++in;
            --inLeft;
        } else if (errno == EINVAL) {
            if (!put('?')) return std::nullopt;
            inLeft = 0;
        } else {
            return std::nullopt;
        }
    }
    out.resize(used);
    return out;
}

class PosixCharsetConverter final : public CharsetConverter {
public:
    std::optional<std::string> toModuleText(std::string_view charset, std::string_view bytes,
                                            std::size_t maxBytes) const override {
        try {
            if (!isCharsetName(charset)) return std::nullopt;
            const Descriptor cd(libraryName(charset, bytes).c_str());
            if (!cd.valid()) return std::nullopt;
            const std::optional<std::string> utf8 =
                readAsUtf8(cd, bytes, bytes.size() * kUtf8BytesPerInputByte + kUtf8Slack);
            if (!utf8) return std::nullopt;
            std::string text = utf8ToCp1251(*utf8);
            if (text.size() > maxBytes) return std::nullopt;
            return text;
        } catch (...) {
            return std::nullopt;
        }
    }
};

}  // namespace

const CharsetConverter& systemCharsetConverter() {
    static const PosixCharsetConverter converter;
    return converter;
}

unsigned moduleTextCodePage() { return 1251; }

}  // namespace qbx
