#include "functions/sensors/sensors.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

#include "base/text.h"

namespace qbx::functions::sensors {
namespace {

constexpr std::size_t kTypeOffset = 0;
constexpr std::size_t kNameOffset = 1;
constexpr std::size_t kCurrentOffset = 16;
constexpr std::size_t kLowOffset = 24;
constexpr std::size_t kHighOffset = 32;
constexpr std::string_view kNoValue = "---";

// The monitor writes its doubles in the machine's own order, which is little-endian on every
// Windows machine; reading the bytes one by one keeps that true on any build.
double doubleAt(std::string_view record, std::size_t offset) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < 8; ++i)
        bits |= std::uint64_t{static_cast<unsigned char>(record[offset + i])} << (8 * i);
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The name is kept as its 12 stored bytes, blanks and all, except the zero bytes that pad it
// at the end: a zero byte inside a macro's text would cut it short for the host.
std::string nameOf(std::string_view record) {
    std::string_view name = record.substr(kNameOffset, kNameBytes);
    while (!name.empty() && name.back() == '\0') name.remove_suffix(1);
    return std::string(name);
}

constexpr double kTwoTo63 = 9223372036854775808.0;

double roundHalfEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0)) return lower + 1.0;
    return lower;
}

}  // namespace

const Sensor& SensorTables::sensor(SensorType type, int number) const {
    return sensors_[index(type)].at(static_cast<std::size_t>(sensorNumber(number) - 1));
}

void SensorTables::add(SensorType type, Sensor sensor) {
    int& count = counts_[index(type)];
    if (count >= kSensorsPerType) return;
    sensors_[index(type)][static_cast<std::size_t>(count)] = std::move(sensor);
    ++count;
}

SensorTables readSensorTables(std::string_view block) {
    SensorTables tables;
    for (std::size_t i = 0; i < kRecordCount; ++i) {
        const std::size_t start = kHeaderBytes + i * kRecordBytes;
        if (block.size() < start + kRecordBytes) break;
        const std::string_view record = block.substr(start, kRecordBytes);
        const auto type = static_cast<unsigned char>(record[kTypeOffset]);
        if (type < 1 || type > 4) continue;
        tables.add(static_cast<SensorType>(type),
                   Sensor{nameOf(record), doubleAt(record, kCurrentOffset),
                          doubleAt(record, kLowOffset), doubleAt(record, kHighOffset)});
    }
    return tables;
}

int sensorNumber(int argument) {
    return argument >= 1 && argument <= kSensorsPerType ? argument : 1;
}

std::optional<SensorType> sensorTypeOfLetter(char letter) {
    switch (letter) {
        case 'T': return SensorType::Temperature;
        case 'V': return SensorType::Voltage;
        case 'F': return SensorType::Fan;
        case 'C': return SensorType::Clock;
        default: return std::nullopt;
    }
}

Reading readingOfLetter(char letter) {
    if (letter == 'H') return Reading::High;
    if (letter == 'L') return Reading::Low;
    return Reading::Current;
}

double readingOf(const Sensor& sensor, Reading reading) {
    switch (reading) {
        case Reading::High: return sensor.high;
        case Reading::Low: return sensor.low;
        case Reading::Current: break;
    }
    return sensor.current;
}

std::string sensorValueText(SensorType type, double value) {
    if (!std::isfinite(value)) return std::string(kNoValue);
    if (type == SensorType::Voltage) {
        std::array<char, 400> buffer{};  // DBL_MAX has 309 integer digits
        const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                                std::chars_format::fixed, 2);
        if (error != std::errc()) return std::string(kNoValue);
        return std::string(buffer.data(), end);
    }
    const double whole = roundHalfEven(value);
    if (!(whole >= -kTwoTo63 && whole < kTwoTo63)) return std::string(kNoValue);
    return decimal(static_cast<std::int64_t>(whole));
}

}  // namespace qbx::functions::sensors
