// The system-independent part of a log file written through a mapping: lines are copied into
// a window of the file mapped into memory, the window moving on when it is full. Bytes copied
// there are the system's at once, as those of a write call are: they outlive our process. When
// the system refuses a window the file is settled and written by plain calls from then on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/platform.h"

namespace qbx {

class MappedLogWriter : public OutputFile {
public:
    // A multiple of every system's mapping granularity (64 KB on Windows): the most zeros the
    // file holds after its last line while it is written.
    static constexpr std::size_t kWindowBytes = 256u << 10;

    bool write(std::string_view bytes) final;
    // The bytes are the system's already.
    bool flush() final { return true; }
    // Gives the file the size of what was written; later writes go on at the end by plain
    // calls.
    void settle();

protected:
    // Derived classes call settle() in their destructors, while their handles are still open.
    ~MappedLogWriter() override = default;

    // Maps [start, start + kWindowBytes) for writing, the file grown (and its room taken on
    // the disk) to the window's end; null when the system refuses.
    virtual char* mapWindow(std::uint64_t start) = 0;
    virtual void unmapWindow(char* view) = 0;
    // Cuts the file at `size`.
    virtual bool cutAt(std::uint64_t size) = 0;
    // Writes the bytes at `offset` by plain calls (all of them, or false).
    virtual bool writeAt(std::uint64_t offset, std::string_view bytes) = 0;

private:
    char* view_ = nullptr;
    std::size_t used_ = 0;       // of the mapped window
    std::uint64_t written_ = 0;  // in the whole file
    bool plain_ = false;
};

// The size of a file of `size` bytes without the zeros that end `tail` (its last bytes).
std::uint64_t sizeWithoutTrailingZeros(std::uint64_t size, std::string_view tail);

}  // namespace qbx
