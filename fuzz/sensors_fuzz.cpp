// Arbitrary bytes as a hardware monitor's block: every record read within the block, every
// reading's text bounded, whatever the doubles hold.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "functions/sensors/sensors.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qbx::functions::sensors;
    const std::string_view block(reinterpret_cast<const char*>(data), size);
    const SensorTables tables = readSensorTables(block);
    const std::size_t records =
        size < kHeaderBytes ? 0 : std::min(kRecordCount, (size - kHeaderBytes) / kRecordBytes);
    int total = 0;
    for (const SensorType type :
         {SensorType::Temperature, SensorType::Voltage, SensorType::Fan, SensorType::Clock}) {
        const int count = tables.count(type);
        check(count >= 0 && count <= kSensorsPerType);
        total += count;
        for (int number = 0; number <= kSensorsPerType + 1; ++number) {
            const Sensor& sensor = tables.sensor(type, number);
            check(sensor.name.size() <= kNameBytes);
            check(sensor.name.empty() || sensor.name.back() != '\0');
            for (const Reading reading : {Reading::Current, Reading::Low, Reading::High}) {
                const std::string text = sensorValueText(type, readingOf(sensor, reading));
                check(!text.empty() && text.size() <= 320);
            }
        }
    }
    check(static_cast<std::size_t>(total) <= records);
    return 0;
}
