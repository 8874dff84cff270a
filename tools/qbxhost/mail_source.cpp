#include "mail_source.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

namespace qbxhost {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kEnvelope = "From ";

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/' || folder.back() == '\\') return folder + name;
    return folder + "/" + name;
}

}  // namespace

std::vector<std::string> listMessageFiles(const std::string& path,
                                          std::vector<std::string>& problems) {
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (fs::is_regular_file(status)) return {path};
    if (!fs::is_directory(status)) {
        problems.push_back("cannot read " + path + ": not a file or folder");
        return {};
    }
    std::vector<std::string> names;
    fs::directory_iterator it(path, error), end;
    for (; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        if (it->is_regular_file(ignored)) names.push_back(it->path().filename().string());
    }
    if (error) problems.push_back("cannot list " + path + ": " + error.message());
    std::sort(names.begin(), names.end());
    std::vector<std::string> files;
    files.reserve(names.size());
    for (const std::string& name : names) files.push_back(joinPath(path, name));
    return files;
}

bool isMbox(std::string_view bytes) { return bytes.substr(0, kEnvelope.size()) == kEnvelope; }

std::vector<std::string_view> splitMbox(std::string_view bytes) {
    struct Separator {
        std::size_t start;  // of the "From " line
        std::size_t next;   // of the line after it
    };
    std::vector<Separator> separators;
    bool afterEmptyLine = true;  // the start of the file counts as one
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t lf = bytes.find('\n', pos);
        const std::size_t next = lf == std::string_view::npos ? bytes.size() : lf + 1;
        std::string_view line = bytes.substr(pos, next - pos);
        if (afterEmptyLine && line.substr(0, kEnvelope.size()) == kEnvelope)
            separators.push_back({pos, next});
        afterEmptyLine = line == "\n" || line == "\r\n";
        pos = next;
    }
    std::vector<std::string_view> messages;
    messages.reserve(separators.size());
    for (std::size_t i = 0; i < separators.size(); ++i) {
        const std::size_t begin = separators[i].next;
        std::size_t end = bytes.size();
        if (i + 1 < separators.size()) {
            // The empty line before the next "From " separates; it is not the message's.
            end = separators[i + 1].start;
            end -= end >= begin + 2 && bytes.substr(end - 2, 2) == "\r\n" ? 2 : 1;
        }
        messages.push_back(bytes.substr(begin, end - begin));
    }
    return messages;
}

FileRead readMessageFile(const std::string& path, std::string& bytes, std::string& problem) {
    bytes.clear();
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) {
        problem = "cannot read " + path + ": " + error.message();
        return FileRead::Failed;
    }
    if (size > kMaxMessageFileBytes) {
        problem = "skipped " + path + ": " + std::to_string(size) + " bytes is over the limit of " +
                  std::to_string(kMaxMessageFileBytes);
        return FileRead::TooLarge;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        problem = "cannot open " + path;
        return FileRead::Failed;
    }
    // Read at most one byte past the limit: the file may have grown since it was measured.
    bytes.resize(static_cast<std::size_t>(size) + 1);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) {
        problem = "cannot read " + path;
        return FileRead::Failed;
    }
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > kMaxMessageFileBytes) {
        problem = "skipped " + path + ": it grew over the limit while being read";
        bytes.clear();
        return FileRead::TooLarge;
    }
    return FileRead::Read;
}

namespace {

// Files are read ahead up to this many bytes before their messages are handed over.
constexpr std::size_t kReadAheadBytes = std::size_t{64} << 20;

void visitMessages(const std::string& file, std::string_view bytes, const MessageVisitor& visit) {
    if (!isMbox(bytes)) {
        visit(file, bytes);
        return;
    }
    const std::vector<std::string_view> messages = splitMbox(bytes);
    if (messages.size() == 1) {
        visit(file, messages.front());
        return;
    }
    for (std::size_t i = 0; i < messages.size(); ++i)
        visit(file + "#" + std::to_string(i + 1), messages[i]);
}

}  // namespace

bool forEachMessage(const std::vector<std::string>& paths, const MessageVisitor& visit,
                    const ProblemReport& report) {
    // Files are read ahead in batches, their messages handed over after: under Wine each file
    // opened is a round trip to its server, which between two messages would leave the caches
    // cold for the module's work that is timed.
    bool allRead = true;
    std::vector<std::pair<std::string, std::string>> batch;
    std::size_t batchBytes = 0;
    const auto handOver = [&] {
        for (const auto& [file, bytes] : batch) visitMessages(file, bytes, visit);
        batch.clear();
        batchBytes = 0;
    };
    std::string problem;
    for (const std::string& path : paths) {
        std::vector<std::string> problems;
        const std::vector<std::string> files = listMessageFiles(path, problems);
        for (const std::string& line : problems) report(line);
        if (!problems.empty()) allRead = false;
        for (const std::string& file : files) {
            std::string bytes;
            const FileRead result = readMessageFile(file, bytes, problem);
            if (result != FileRead::Read) {
                report(problem);
                if (result == FileRead::Failed) allRead = false;
                continue;
            }
            batchBytes += bytes.size();
            batch.emplace_back(file, std::move(bytes));
            if (batchBytes >= kReadAheadBytes) handOver();
        }
    }
    handOver();
    return allRead;
}

}  // namespace qbxhost
