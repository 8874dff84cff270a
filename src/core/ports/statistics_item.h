// One statistics item as the start-up and the shut-down handle it, and the sixteen slots the
// items live in. The names are the items' file names (and the log's), so they never change.
#pragma once

#include <array>
#include <cstddef>

namespace qbx {

enum class StatSlot : int {
    Words = 0,
    Charsets = 1,
    Mailers = 2,
    Recipients = 3,
    Senders = 4,
    Temp2 = 5,
    Spam = 6,
    NonSpam = 7,
    RawTraffic = 8,
    Traffic = 9,
    SenderIp = 10,
    SenderNames = 11,
    RecipientName = 12,
    DialUp = 13,
    SenderServer = 14,
    Servers = 15
};

inline constexpr int kStatItemCount = 16;
inline constexpr std::array<const char*, kStatItemCount> kStatItemNames = {
    "Words",         "Charsets", "Mailers",       "Recipients", "Senders",   "temp2",
    "Spam",          "NonSpam",  "Madrawtraffic", "Traffic",    "Sender_IP", "SenderNames",
    "RecipientName", "DialUp",   "Sender_Server", "Servers"};

constexpr std::size_t slotIndex(StatSlot slot) noexcept { return static_cast<std::size_t>(slot); }
constexpr const char* slotName(StatSlot slot) noexcept { return kStatItemNames[slotIndex(slot)]; }

class StatisticsItem {
public:
    virtual ~StatisticsItem() = default;
    virtual void storeIfChanged() = 0;  // writes its file when its store is marked changed
    virtual void sortIfChanged() = 0;   // sorts when still marked changed; writes nothing
    virtual void setSortByCount(bool byCount) = 0;
    virtual void switchCheckOff() = 0;
};

}  // namespace qbx
