#include "core/recipient_list.h"

#include "base/text.h"
#include "core/kept_files.h"
#include "platform/platform.h"

namespace qbx {

RecipientRule parseRecipientRule(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return {std::string(), std::string(line)};
    return {std::string(line.substr(0, equals)), std::string(line.substr(equals + 1))};
}

std::vector<std::string> recipientLinesOf(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    // Split by hand so that a megabyte of line ends never becomes a million empty strings.
    while (start <= text.size() && lines.size() < kMaxRecipientLines) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        if (!trimBlankOrControl(line).empty()) lines.emplace_back(line);
        if (end == text.size()) break;
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

bool loadRecipientList(RecipientList& list, FileSystem& files, const std::string& installDir) {
    list.lines.clear();
    list.unreadReason.clear();
    const std::string path = installDir + kRecipientFileName;
    if (!files.fileExists(path)) return false;
    const auto bytes = files.readFile(path, kMaxRecipientFileBytes);
    if (!bytes) {
        list.unreadReason = files.lastError().empty() ? "unreadable" : files.lastError();
        return false;
    }
    list.lines = recipientLinesOf(*bytes);
    return true;
}

bool saveRecipientList(RecipientList& list, FileSystem& files, const std::string& installDir,
                       std::string& error) {
    const std::string path = installDir + kRecipientFileName;
    if (!list.unreadReason.empty()) {
        // The rules we could not read are the user's: they go aside before the list replaces
        // them, and stay in place when they cannot.
        const KeptAside kept = keepAside(files, path);
        if (!kept.kept && files.fileExists(path)) {
            error = path + ": not written over, it could not be read (" + list.unreadReason +
                    ") nor kept aside (" + kept.failure + ")";
            return false;
        }
        list.unreadReason.clear();
    }
    std::string bytes;
    for (const std::string& line : list.lines) bytes += line + "\r\n";
    if (files.writeFileAtomic(path, bytes)) return true;
    error = path + ": " + files.lastError();
    return false;
}

}  // namespace qbx
