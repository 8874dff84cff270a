// The readings a hardware monitor publishes in its shared-memory block: up to ten sensors of
// each of four kinds, taken from the block's records, and their texts as the macros give them.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qbx::functions::sensors {

inline constexpr std::string_view kBlockName = "$M$B$M$5$S$D$";
inline constexpr std::size_t kHeaderBytes = 88;
inline constexpr std::size_t kRecordBytes = 80;
inline constexpr std::size_t kRecordCount = 100;
inline constexpr std::size_t kBlockBytes = kHeaderBytes + kRecordCount * kRecordBytes;
inline constexpr std::size_t kNameBytes = 12;
inline constexpr int kSensorsPerType = 10;

// The record's type byte: 1 .. 4.
enum class SensorType { Temperature = 1, Voltage, Fan, Clock };
enum class Reading { Current, Low, High };

struct Sensor {
    std::string name;
    double current = 0.0;
    double low = 0.0;
    double high = 0.0;
};

class SensorTables {
public:
    // Sensor 1 .. kSensorsPerType of the type; one past the type's count is an empty entry.
    const Sensor& sensor(SensorType type, int number) const;
    int count(SensorType type) const { return counts_[index(type)]; }
    // Appends unless the type's table is full.
    void add(SensorType type, Sensor sensor);

private:
    static std::size_t index(SensorType type) { return static_cast<std::size_t>(type) - 1; }
    std::array<std::array<Sensor, kSensorsPerType>, 4> sensors_;
    std::array<int, 4> counts_{};
};

// The records of the block in order; a record is read only when all its bytes lie inside the
// block, so a short block gives the records it holds.
SensorTables readSensorTables(std::string_view block);

// The macros' sensor number: 1 .. kSensorsPerType as given, any other number 1.
int sensorNumber(int argument);
// T, V, F, C exactly as written; nothing for any other letter.
std::optional<SensorType> sensorTypeOfLetter(char letter);
// H highest, L lowest, any other letter the current value.
Reading readingOfLetter(char letter);
double readingOf(const Sensor& sensor, Reading reading);

// A voltage with two decimals and a point, any other reading as a whole number (halves to the
// even neighbour). "---" for a value that is not a number or infinite, or whose whole number
// lies outside the 64-bit range: the monitor's block is another program's memory.
std::string sensorValueText(SensorType type, double value);

}  // namespace qbx::functions::sensors
