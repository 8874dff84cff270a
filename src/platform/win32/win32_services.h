// The real system services of the DLL. The module works in the system's ANSI code page, so
// every call is the "A" form.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace qbx::win32 {

// Values under HKEY_CURRENT_USER. Only REG_SZ and REG_EXPAND_SZ read as text (the latter
// unexpanded); values over 1 MiB are refused as if missing.
class Win32Registry final : public Registry {
public:
    static constexpr std::size_t kMaxValueBytes = 1u << 20;
    RegValue readString(std::string_view key, std::string_view name) override;
    bool writeString(std::string_view key, std::string_view name, std::string_view value) override;
};

class Win32FileSystem final : public FileSystem {
public:
    bool fileExists(const std::string& path) override;
    bool directoryExists(const std::string& path) override;
    bool createDirectory(const std::string& path) override;
    bool createDirectories(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path, std::size_t maxBytes) override;
    bool writeFileAtomic(const std::string& path, std::string_view bytes) override;
    bool appendToExistingFile(const std::string& path, std::string_view bytes) override;
    bool deleteFile(const std::string& path) override;
    bool renameFile(const std::string& from, const std::string& to) override;
    std::unique_ptr<OutputFile> createFile(const std::string& path) override;
    std::unique_ptr<OutputFile> createNewFile(const std::string& path) override;
    std::unique_ptr<OutputFile> createLogFile(const std::string& path) override;
    void settleLogFile(const std::string& path) override;
    std::vector<std::string> listFiles(const std::string& folder, std::string_view suffix) override;

private:
    // share and disposition as CreateFile takes them (DWORDs).
    // mapped: a log file written through a mapping (opened for reading too, which that needs).
    std::unique_ptr<OutputFile> openForWriting(const std::string& path, unsigned long share,
                                               unsigned long disposition, bool mapped = false);
};

// The system's profile functions. A value that reading would change (blanks or matching quotes
// at its ends) is written inside quotes, which reading takes off again; line breaks become
// blanks. Names and values are read up to kMaxReadBytes; a section, key or value longer than
// kMaxWriteBytes is refused: the "A" functions wrap its length round and write something else
// while reporting success.
class Win32ProfileStore final : public ProfileStore {
public:
    static constexpr std::size_t kMaxReadBytes = 4u << 20;
    static constexpr std::size_t kMaxWriteBytes = 32766;
    static constexpr std::size_t kMaxKeyNames = 1u << 16;
    std::vector<std::string> keyNames(const std::string& path, std::string_view section) override;
    std::string readString(const std::string& path, std::string_view section, std::string_view key,
                           std::string_view fallback) override;
    bool writeString(const std::string& path, std::string_view section, std::string_view key,
                     std::string_view value) override;
    bool deleteKey(const std::string& path, std::string_view section,
                   std::string_view key) override;
    bool eraseSection(const std::string& path, std::string_view section) override;
};

class Win32Environment final : public Environment {
public:
    std::string expandVariables(std::string_view text) override;
    std::string tempDirectory() override;
    std::string systemDirectory() override;
    std::string hostProgramPath() override;
    std::string modulePath() override;
};

// Heap in use is the process's private committed bytes (its commit charge): one cheap call. The
// C run time's own statistics (_heapwalk) walk every block under the heap lock, far too slow
// for a figure printed on every log line.
class Win32Clock final : public Clock {
public:
    double now() override;
    double universalNow() override;
    double localToUniversal(double localDateTime) override;
    std::uint32_t tickCount() override;
    std::uint64_t heapBytesInUse() override;
};

class Win32Locale final : public LocaleFormat {
public:
    std::string longTime(double dateTime) override;
    std::string shortDate(double dateTime) override;
    std::string shortTime(double dateTime) override;
    std::string longDate(double dateTime) override;
    char decimalSeparator() override;
    char thousandSeparator() override;
    DateTimeNames dateTimeNames() override;
};

class Win32Ui final : public UserInterface {
public:
    // At most this many messages per call, so that a queue that refills itself cannot hold us.
    static constexpr int kMaxMessagesPerPump = 4096;
    void pumpMessages() override;
    void messageBox(std::string_view text, std::string_view caption, MessageIcon icon) override;
};

// A text for an "A" call: empty when it holds a NUL, which would cut it short unseen.
std::optional<std::string> zeroTerminated(std::string_view text);

}  // namespace qbx::win32
