// The part files of message splitting while the module runs: the names of the files handed to
// the host program, deleted at shut-down (or when the host is found not running), and the
// counter their names are made from, which only a new load of the module starts again.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/own_objects.h"
#include "core/ports/split_file_list.h"

namespace qbx {
struct Plugin;
}

namespace qbx::functions::splitting {

class SplitFiles final : public SplitFileList {
public:
    // The host program's wait for each part.
    static constexpr std::uint32_t kHostWaitMilliseconds = 60000;

    explicit SplitFiles(Plugin& plugin);
    ~SplitFiles() override;
    SplitFiles(const SplitFiles&) = delete;
    SplitFiles& operator=(const SplitFiles&) = delete;

    // Every listed file deleted (one already gone is no matter), and the list emptied.
    void deleteTempFiles() override;
    // The first part of the text; every further part written to a file of its own and then
    // queued through the host program. A text that cannot go whole into files comes back whole
    // and nothing is queued.
    std::string splitAndQueue(const std::string& text, const std::string& recipient,
                              std::int64_t requestedSize);
    const std::vector<std::string>& files() const { return files_; }

private:
    std::string nextFileName();
    bool writeParts(const std::string& text, const std::string& recipient, std::size_t size,
                    std::size_t count, std::vector<std::string>& written);
    void queue(const std::vector<std::string>& written);

    Plugin& plugin_;
    std::vector<std::string> files_;
    std::uint32_t counter_ = 0;
    bool queueing_ = false;  // the host program is being run for a call's parts
    OwnObjects<SplitFileList, SplitFiles>::Entry entry_;
};

// Lets the start-up make the object.
void installSplitFiles(Plugin& plugin);
// The object behind the Plugin's port; null before the start-up or after the shut-down.
SplitFiles* splitFiles(Plugin& plugin);

}  // namespace qbx::functions::splitting
