#include "functions/splitting/splitting.h"

#include <algorithm>

#include "base/text.h"
#include "core/host_texts.h"

namespace qbx::functions::splitting {

std::size_t partSize(std::int64_t requested) {
    return requested <= 0 ? kDefaultPartSize : static_cast<std::size_t>(requested);
}

std::size_t partCount(std::size_t textLength, std::size_t size) {
    if (size == 0) size = kDefaultPartSize;
    return std::max<std::size_t>(1, textLength / size + (textLength % size != 0 ? 1 : 0));
}

std::string_view partOf(std::string_view text, std::size_t size, std::size_t k) {
    if (size == 0) size = kDefaultPartSize;
    if (k > text.size() / size) return {};
    return text.substr(k * size, size);
}

std::string partFileText(std::string_view part, std::string_view recipient, std::size_t i,
                         std::size_t n) {
    std::string line;
    line.reserve(part.size() + recipient.size() + 40);
    line.append(part);
    line.append("%TO=\"");
    line.append(recipient);
    line.append("\"%SUBJECT=\"[");
    line.append(std::to_string(i));
    line.push_back('/');
    line.append(std::to_string(n));
    line.append("]\r\n");
    return line;
}

std::string partFileName(std::string_view tempFolder, std::uint32_t counter) {
    std::string name(tempFolder);
    name += "temp";
    name += padLeft(std::to_string(counter), 4, '0');
    name += ".tzvx";
    return name;
}

std::string folderWithBackslash(std::string_view folder) {
    std::string joined(folder);
    if (!joined.empty() && joined.back() != '\\' && joined.back() != '/') joined.push_back('\\');
    return joined;
}

std::string queueParameters(std::string_view fileName) {
    std::string parameters = "/MAILT=\"";
    parameters.append(fileName);
    parameters.append("\";QUEUE");
    return parameters;
}

std::optional<std::string> refusalOf(std::string_view text, std::string_view recipient,
                                     std::size_t size) {
    if (holdsHostMacro(text)) return "the text holds a macro";
    if (holdsHostMacro(recipient)) return "the recipient holds a macro";
    if (recipient.find_first_of("\"\r\n") != std::string_view::npos)
        return "the recipient holds a quote or a line break";
    // A backslash before the closing quote, or a doubled percent sign, is read by the host as
    // something other than the recipient's text.
    if (!recipient.empty() && recipient.back() == '\\') return "the recipient ends in a backslash";
    if (recipient == "%%") return "the recipient is \"%%\"";
    // The first part stays in the message: only the parts that go into files count.
    const std::size_t count = partCount(text.size(), size);
    for (std::size_t k = 1; k < count; ++k) {
        const std::string_view part = partOf(text, size, k);
        if (!part.empty() && part.back() == '%')
            return "part " + std::to_string(k + 1) + " ends in \"%\"";
    }
    return std::nullopt;
}

}  // namespace qbx::functions::splitting
