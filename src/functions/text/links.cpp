#include "functions/text/links.h"

#include <algorithm>

#include "functions/text/text_builder.h"

namespace qbx::functions::text {
namespace {

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Where the scheme next begins at or after `from`, case aside; npos when nowhere.
std::size_t findScheme(std::string_view text, std::string_view scheme, std::size_t from) {
    const auto at =
        std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), scheme.begin(),
                    scheme.end(), [](char a, char b) { return asciiLower(a) == b; });
    return at == text.end() ? std::string_view::npos : static_cast<std::size_t>(at - text.begin());
}

// The next place of one scheme, looked for again only once the walk has passed it: a scheme
// that occurs far off, or never, is not searched for again at every link.
class SchemeFinder {
public:
    SchemeFinder(std::string_view text, std::string_view scheme)
        : text_(text), scheme_(scheme), next_(findScheme(text, scheme, 0)) {}
    std::size_t nextFrom(std::size_t from) {
        if (next_ != std::string_view::npos && next_ < from)
            next_ = findScheme(text_, scheme_, from);
        return next_;
    }

private:
    std::string_view text_;
    std::string_view scheme_;
    std::size_t next_;
};

}  // namespace

bool isLinkChar(char c) {
    const auto u = static_cast<unsigned char>(asciiLower(c));
    return (u >= 33 && u <= 58) || u == '@' || u == '_' || (u >= 'a' && u <= 'z') || u == '~';
}

BoundedText extractLinks(std::string_view text, std::size_t maxSize) {
    TextBuilder out(maxSize);
    SchemeFinder http(text, "http:");
    SchemeFinder ftp(text, "ftp:");
    std::size_t from = 0;
    while (true) {
        // npos is the largest value: the smaller is the earlier scheme that exists.
        const std::size_t start = std::min(http.nextFrom(from), ftp.nextFrom(from));
        if (start == std::string_view::npos) break;
        std::size_t end = start;
        while (end < text.size() && isLinkChar(text[end])) ++end;
        if ((out.size() > 0 && !out.append("\r\n")) || !out.append(text.substr(start, end - start)))
            break;
        from = end;
    }
    return out.take();
}

}  // namespace qbx::functions::text
