#include "functions/splitting/split_files.h"

#include <memory>
#include <optional>

#include "base/text.h"
#include "core/formatting.h"
#include "core/plugin.h"
#include "functions/splitting/splitting.h"
#include "platform/program_runner.h"

namespace qbx::functions::splitting {
namespace {

constexpr std::string_view kHostProgram = "thebat.exe";
// Present while the host runs; without it, the files handed to an earlier host are of no use.
constexpr std::string_view kHostRunningMarker = "thebat.ipc";

}  // namespace

SplitFiles::SplitFiles(Plugin& plugin)
    : plugin_(plugin), entry_(ownObjects<SplitFileList, SplitFiles>(), this) {}

SplitFiles::~SplitFiles() = default;

void SplitFiles::deleteTempFiles() {
    if (FileSystem* files = plugin_.platform.files)
        for (const std::string& name : files_) files->deleteFile(name);
    files_.clear();
}

std::string SplitFiles::nextFileName() {
    ++counter_;
    return partFileName(tempDir(*plugin_.platform.environment), counter_);
}

std::string SplitFiles::splitAndQueue(const std::string& text, const std::string& recipient,
                                      std::int64_t requestedSize) {
    const std::size_t size = partSize(requestedSize);
    const std::size_t count = partCount(text.size(), size);
    FileSystem* files = plugin_.platform.files;
    // The host's messages are dispatched while its program runs, and one of them may call here
    // again: that call must not delete or add to the files still being handed over.
    if (queueing_) {
        if (count > 1)
            plugin_.log.write("@@ ZVXSPLIT: nothing queued, another text is being queued");
        return text;
    }
    if (count > 1) {
        std::optional<std::string> refusal;
        if (count > kMaxParts)
            refusal = "the text makes " + decimal(static_cast<std::int64_t>(count)) +
                      " parts, more than the " + decimal(static_cast<std::int64_t>(kMaxParts)) +
                      " one call can hand over";
        else
            refusal = refusalOf(text, recipient, size);
        if (!refusal && (files == nullptr || plugin_.platform.environment == nullptr ||
                         tempDir(*plugin_.platform.environment).empty()))
            refusal = "there is no temporary folder to write the parts to";
        if (refusal) {
            plugin_.log.write("@@ ZVXSPLIT: nothing queued, " + *refusal);
            return text;
        }
    }

    const std::string programFolder = folderWithBackslash(plugin_.settings.programDir);
    if (files != nullptr && (programFolder.empty() ||
                             !files->fileExists(programFolder + std::string(kHostRunningMarker))))
        deleteTempFiles();
    if (count == 1) return text;

    // Every part is on disk before the host is handed any: a text is queued whole or not at all.
    std::vector<std::string> written;
    if (!writeParts(text, recipient, size, count, written)) {
        for (const std::string& name : written) files->deleteFile(name);
        return text;
    }
    files_.insert(files_.end(), written.begin(), written.end());
    queue(written);
    return std::string(partOf(text, size, 0));
}

bool SplitFiles::writeParts(const std::string& text, const std::string& recipient, std::size_t size,
                            std::size_t count, std::vector<std::string>& written) {
    FileSystem& files = *plugin_.platform.files;
    written.reserve(count - 1);
    for (std::size_t k = 1; k < count; ++k) {
        std::string name = nextFileName();
        if (!files.writeFileAtomic(name,
                                   partFileText(partOf(text, size, k), recipient, k + 1, count))) {
            plugin_.log.write("@@ ZVXSPLIT: cannot write " + name + ": " + files.lastError() +
                              "; nothing queued");
            return false;
        }
        written.push_back(std::move(name));
    }
    return true;
}

void SplitFiles::queue(const std::vector<std::string>& written) {
    const std::string programFolder = folderWithBackslash(plugin_.settings.programDir);
    ProgramRunner* runner = plugin_.platform.programRunner;
    const auto notQueued = [&](std::size_t from, const std::string& why) {
        plugin_.log.write("@@ ZVXSPLIT: " + why + "; " +
                          decimal(static_cast<std::int64_t>(written.size() - from)) +
                          " part(s) not queued");
    };
    // Looked for nowhere else: an empty folder would have the system search for the program.
    if (programFolder.empty()) return notQueued(0, "the host's program folder is not known");
    if (runner == nullptr) return notQueued(0, "starting programs is not available");

    const std::string program = programFolder + std::string(kHostProgram);
    queueing_ = true;
    const struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{queueing_};
    for (std::size_t k = 0; k < written.size(); ++k) {
        const std::string parameters = queueParameters(written[k]);
        const ProgramRun run = runner->runAndWait(program, parameters, kHostWaitMilliseconds);
        plugin_.log.write("mk: " + parameters);
        // One failure stops the rest: each further start would fail, or hold the host's
        // thread for another full wait.
        if (!run.started) return notQueued(k, "cannot start " + program + ": " + run.reason);
        if (!run.endedInTime)
            return notQueued(k + 1, program + " has not ended within " +
                                        decimal(kHostWaitMilliseconds / 1000) + " s");
    }
}

void installSplitFiles(Plugin& plugin) {
    plugin.factories.splitFiles = [](Plugin& owner) -> std::unique_ptr<SplitFileList> {
        return std::make_unique<SplitFiles>(owner);
    };
}

SplitFiles* splitFiles(Plugin& plugin) {
    return ownObjects<SplitFileList, SplitFiles>().find(plugin.splitFiles.get());
}

}  // namespace qbx::functions::splitting
