// Placeholder: the log is being written.
#include "core/log.h"

namespace qbx {
Log::Log(const Platform& platform) : platform_(platform) {}
Log::~Log() = default;
void Log::write(std::string_view, int) noexcept {}
void Log::open() noexcept {}
void Log::close() noexcept {}
void Log::setMirror(std::function<void(const std::string&)> mirror) noexcept { mirror_ = std::move(mirror); }
void Log::startupLogOpen() noexcept {}
void Log::startupLog(std::string_view) noexcept {}
void Log::startupLogClose() noexcept {}
void Log::writeStartupLog(std::string_view) noexcept {}
}  // namespace qbx
