// A hardware monitor's shared-memory block as the tests build it: the header, then 80-byte
// sensor records (type, 12 name bytes, current, low and high as little-endian doubles).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace qbx::test {

class SensorBlock {
public:
    SensorBlock() : bytes_(88, 'h') {}
    SensorBlock& add(int type, std::string_view name, double current, double low = 0.0,
                     double high = 0.0) {
        std::string record(80, '\0');
        record[0] = static_cast<char>(type);
        record.replace(1, name.size() < 12 ? name.size() : 12, name.substr(0, 12));
        putDouble(record, 16, current);
        putDouble(record, 24, low);
        putDouble(record, 32, high);
        record.replace(40, 40, std::string(40, 'x'));
        bytes_ += record;
        return *this;
    }
    // Empty records (type 0) up to the full hundred.
    std::string full() const {
        std::string block = bytes_;
        block.resize(88 + 100 * 80, '\0');
        return block;
    }
    const std::string& bytes() const { return bytes_; }

private:
    static void putDouble(std::string& record, std::size_t offset, double value) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        for (std::size_t i = 0; i < 8; ++i)
            record[offset + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    }
    std::string bytes_;
};

}  // namespace qbx::test
