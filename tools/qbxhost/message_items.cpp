#include "message_items.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "base/byte_search.h"
#include "base/text.h"

namespace qbxhost {
namespace {

struct Line {
    std::size_t start;
    std::size_t end;   // before the line break (and before a CR ahead of the LF)
    std::size_t next;  // start of the following line
};

Line lineAt(std::string_view text, std::size_t start) {
    // The library's own search: the Windows runtime's is a byte loop under Wine.
    const std::size_t lf = qbx::findByte(text, '\n', start);
    const std::size_t next = lf == text.size() ? text.size() : lf + 1;
    std::size_t end = lf;
    if (end > start && text[end - 1] == '\r') --end;
    return {start, end, next};
}

// "Name:" at the start of the line, in any letter case; the rest of the line, or npos.
std::size_t valueStart(std::string_view line, std::string_view name) {
    if (line.size() <= name.size() || line[name.size()] != ':') return std::string_view::npos;
    return qbx::equalsIgnoreCase1251(line.substr(0, name.size()), name) ? name.size() + 1
                                                                        : std::string_view::npos;
}

void appendBounded(std::string& value, std::string_view part) {
    const std::string_view trimmed = qbx::trimBlankOrControl(part);
    if (trimmed.empty() || value.size() >= kMaxHeaderValueBytes) return;
    if (!value.empty()) value.push_back(' ');
    value.append(trimmed.substr(0, kMaxHeaderValueBytes - value.size()));
}

}  // namespace

std::string_view MessageItems::item(std::int32_t id) const {
    switch (id) {
        case kItemHeader: return header;
        case kItemBody: return body;
        case kItemRawMessage: return raw;
        case kItemReplyAddress: return replyTo;
        case kItemDecodedFrom: return from;
        case kItemDecodedTo: return to;
        default: return {};
    }
}

MessageItems parseMessage(std::string_view raw) {
    MessageItems items;
    items.raw = raw;
    items.header = raw;
    struct Wanted {
        std::string_view name;
        std::string* value;
        bool found;
    };
    Wanted wanted[] = {{"Reply-To", &items.replyTo, false},
                       {"From", &items.from, false},
                       {"To", &items.to, false}};
    Wanted* current = nullptr;  // the header whose continuation lines may follow
    std::size_t previousEnd = 0;
    for (std::size_t pos = 0; pos < raw.size();) {
        const Line line = lineAt(raw, pos);
        const std::string_view text = raw.substr(line.start, line.end - line.start);
        if (text.empty()) {
            // The header block ends with the line before; its line break belongs to neither part.
            items.header = raw.substr(0, previousEnd);
            items.body = raw.substr(line.next);
            break;
        }
        if (text[0] == ' ' || text[0] == '\t') {
            if (current) appendBounded(*current->value, text);
        } else {
            current = nullptr;
            for (Wanted& w : wanted) {
                if (w.found) continue;
                const std::size_t start = valueStart(text, w.name);
                if (start == std::string_view::npos) continue;
                w.found = true;
                appendBounded(*w.value, text.substr(start));
                current = &w;
                break;
            }
        }
        previousEnd = line.end;
        pos = line.next;
    }
    return items;
}

std::int32_t QBX_STDCALL messageItemCallback(std::intptr_t context, std::int32_t itemId,
                                             char* buffer, std::int32_t size) {
    const auto* items = reinterpret_cast<const MessageItems*>(context);
    if (items == nullptr) return 0;
    const std::string_view text = items->item(itemId);
    const auto length = static_cast<std::int32_t>(
        std::min<std::size_t>(text.size(), std::numeric_limits<std::int32_t>::max()));
    if (buffer == nullptr) return size == -1 ? length : 0;
    const std::int32_t n = std::clamp(size, 0, length);
    if (n > 0) std::memcpy(buffer, text.data(), static_cast<std::size_t>(n));
    return n;
}

}  // namespace qbxhost
