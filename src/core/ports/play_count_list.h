// The play-count list as the start-up loads it and the shut-down stores it.
#pragma once

#include <cstdint>
#include <string>

namespace qbx {

class PlayCountList {
public:
    virtual ~PlayCountList() = default;
    virtual void loadFromFile(const std::string& path) = 0;
    virtual void saveToFile(const std::string& path) = 0;
    virtual std::int64_t countNodes() const = 0;
    virtual std::int64_t countEntries() const = 0;
};

}  // namespace qbx
