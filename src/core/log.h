// The module's one log: "-QBX.log" in the temporary folder, rotated at every load to
// "-QBX.log.old", every line flushed at once. Also the two start-up logs.
//
// The texts the classic log has always written stay exactly as they are, terse as some are:
// "k=2", "Exception 7", the exclamation line "!-!-!-!-! ZVX NEEDS REBOOT", the stage numbers
// "1" to "7" of the shut-down. Users read our log beside logs of earlier versions, so those
// texts are pinned on purpose by the golden logs (tests/golden/*.log) and by the unit tests; a
// change there is a deliberate one. Lines that new code adds are plain sentences that say what
// happened, to what, and why.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace qbx {

inline constexpr int kDebugLevel = 5;  // lines above this level are dropped; callers pass 1
// The log of one session stops growing past this size (one line says so): a runaway template
// must not fill the user's disk.
inline constexpr std::uint64_t kMaxLogBytes = std::uint64_t{64} << 20;
// One piece of work (an outermost macro call) writes at most this much; past it its lines are
// counted, not written, so that no single call can use up the session's log.
inline constexpr std::uint64_t kMaxWorkLogBytes = std::uint64_t{1} << 20;

class Log {
public:
    explicit Log(const Platform& platform);
    ~Log();
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    // WriteLog: never throws. Prefixed "[time] [heap K] [ms]: text" once the header is written.
    // A line that repeats the one before is counted instead of written; the count follows as
    // one line when another line comes (or the log ends).
    void write(std::string_view text, int level = 1) noexcept;

    // The same, also past the running piece of work's share (not past the session's cap): for
    // the one line that says why the rest of the work is skipped.
    void writeAlways(std::string_view text) noexcept;

    // A piece of work begins: its lines share kMaxWorkLogBytes. When it ends, one line says
    // how many lines past that share were left out. Pieces do not nest: a begin while one runs
    // changes nothing.
    void beginWork() noexcept;
    void endWork() noexcept;

    // OpenLog: deletes "-QBX.log.old", renames "-QBX.log" to it, creates "-QBX.log", writes
    // the five header lines and starts prefixing.
    void open() noexcept;
    // CloseLog: stops prefixing, writes "Log ended at <date time>" and closes the file.
    void close() noexcept;
    bool isOpen() const noexcept { return file_ != nullptr; }

    // Every written line is also passed here (the settings dialog's debug list) while set.
    void setMirror(std::function<void(const std::string&)> mirror) noexcept;

    // "zvxstartup.log": created by the load-time sequence, one flushed line per step.
    void startupLogOpen() noexcept;
    void startupLog(std::string_view text) noexcept;
    void startupLogClose() noexcept;

    // "QBXstartup.log": a line appended only when the file exists already.
    void writeStartupLog(std::string_view text) noexcept;

    // Unhandled-fault reporters (the exception hooks call these with what they know).
    void logLowLevelException(const void* object, const void* address, std::string_view className,
                              const std::string* message) noexcept;
    void logUnhandledFault(std::uint32_t code, const void* address, std::uint32_t flags,
                           std::string_view systemMessage) noexcept;

    std::string path() const;

private:
    // "[time] [heap K] [ms]: " of a line written now; valid until the next line.
    const std::string& linePrefix(std::uint32_t delta);
    std::string tempPath(std::string_view name) const;
    // Writes one whole line to the file, within the session's size cap.
    void writeToFile(std::string_view prefix, std::string_view text) noexcept;
    // The count line of the repeats held back, if any.
    void flushRepeats() noexcept;
    void writeLine(std::string_view text, bool always) noexcept;
    // Whether a line of this size fits the running piece of work's share (it is counted then);
    // a line that does not is counted as left out.
    bool takeWorkShare(std::uint64_t size) noexcept;

    Platform platform_;
    std::unique_ptr<OutputFile> file_;
    std::unique_ptr<OutputFile> startupFile_;
    std::function<void(const std::string&)> mirror_;
    std::uint32_t lastTick_ = 0;
    std::string cachedTime_;  // the system's text for the second of the last line
    double cachedSecond_ = 0;
    char cachedSeparator_ = '.';
    bool timeCached_ = false;
    double cachedNow_ = 0;  // the date-time and heap figure of the last line's tick
    std::uint64_t cachedHeap_ = 0;
    std::uint32_t cachedTick_ = 0;
    static constexpr std::uint32_t kHeapReadStepMs = 16;
    std::uint32_t heapTick_ = 0;  // when cachedHeap_ was read
    bool tickCached_ = false;
    std::string head_;  // "[time] [heap K] [" of the last line, and what it was made of
    std::string headTime_;
    std::uint64_t headHeap_ = 0;
    char headSeparator_ = '.';
    bool headValid_ = false;
    std::string prefix_;      // the last line's prefix
    std::string line_;        // the last line as written
    std::string mirrorLine_;  // the last line as mirrored
    bool started_ = false;
    bool mirroring_ = false;          // a mirror that logs does not see its own lines again
    std::string lastText_;            // the latest prefixed line's text, for the repeat count
    std::uint64_t repeats_ = 0;       // of lastText_, held back
    std::uint64_t bytesWritten_ = 0;  // to the file in this session
    bool capped_ = false;             // past kMaxLogBytes: nothing more is written
    bool inWork_ = false;             // between beginWork and endWork
    std::uint64_t workBytes_ = 0;     // written by the running piece of work
    std::uint64_t workLeftOut_ = 0;   // its lines past kMaxWorkLogBytes
};

// The text written for a Windows exception code ("@@@@ Unknown exception" for others).
std::string_view exceptionCodeText(std::uint32_t code);

}  // namespace qbx
