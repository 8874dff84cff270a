// The sensor records of a hardware monitor's block and the texts of their readings.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "functions/sensors/sensors.h"
#include "support/sensor_block.h"

namespace qbx::functions::sensors {
namespace {

using test::SensorBlock;

TEST(SensorTables, RecordsGoToTheirTypeInBlockOrder) {
    SensorBlock block;
    block.add(1, "CPU", 41.0, 30.0, 55.0).add(7, "Unknown", 1.0).add(2, "Vcore", 1.5);
    block.add(0, "Empty", 2.0).add(1, "Board", 35.0).add(4, "CPU clock", 2400.0);
    const SensorTables tables = readSensorTables(block.full());
    EXPECT_EQ(tables.count(SensorType::Temperature), 2);
    EXPECT_EQ(tables.count(SensorType::Voltage), 1);
    EXPECT_EQ(tables.count(SensorType::Fan), 0);
    EXPECT_EQ(tables.count(SensorType::Clock), 1);
    const Sensor& cpu = tables.sensor(SensorType::Temperature, 1);
    EXPECT_EQ(cpu.name, "CPU");
    EXPECT_EQ(cpu.current, 41.0);
    EXPECT_EQ(cpu.low, 30.0);
    EXPECT_EQ(cpu.high, 55.0);
    EXPECT_EQ(tables.sensor(SensorType::Temperature, 2).name, "Board");
    EXPECT_EQ(tables.sensor(SensorType::Clock, 1).current, 2400.0);
}

TEST(SensorTables, TheEleventhOfATypeIsIgnored) {
    SensorBlock block;
    for (int i = 1; i <= 11; ++i) block.add(1, "T" + std::to_string(i), i);
    block.add(3, "Fan", 2000.0);
    const SensorTables tables = readSensorTables(block.full());
    EXPECT_EQ(tables.count(SensorType::Temperature), 10);
    EXPECT_EQ(tables.sensor(SensorType::Temperature, 10).name, "T10");
    EXPECT_EQ(tables.sensor(SensorType::Fan, 1).name, "Fan");  // later types still read
}

TEST(SensorTables, NamesKeepTwelveBytesWithoutTrailingZeros) {
    const SensorTables tables = readSensorTables(SensorBlock()
                                                     .add(1, "Temperature 12", 0)
                                                     .add(1, std::string("A\0B", 3), 0)
                                                     .add(1, "  ", 0)
                                                     .full());
    EXPECT_EQ(tables.sensor(SensorType::Temperature, 1).name, "Temperature ");
    EXPECT_EQ(tables.sensor(SensorType::Temperature, 2).name, std::string("A\0B", 3));
    EXPECT_EQ(tables.sensor(SensorType::Temperature, 3).name, "  ");
}

TEST(SensorTables, AShortBlockGivesTheWholeRecordsItHolds) {
    SensorBlock block;
    block.add(1, "One", 1.0).add(1, "Two", 2.0).add(1, "Three", 3.0);
    const std::string& bytes = block.bytes();  // 88 + 3 × 80 bytes
    struct Case {
        std::size_t size;
        int count;
    };
    for (const Case c : std::vector<Case>{
             {0, 0}, {87, 0}, {88, 0}, {88 + 79, 0}, {88 + 80, 1}, {88 + 239, 2}, {88 + 240, 3}})
        EXPECT_EQ(readSensorTables(bytes.substr(0, c.size)).count(SensorType::Temperature), c.count)
            << c.size;
}

TEST(SensorTables, RecordsPastTheHundredthAreNotRead) {
    std::string block = SensorBlock().full();
    block += SensorBlock().add(1, "Beyond", 1.0).bytes().substr(88);
    EXPECT_EQ(readSensorTables(block).count(SensorType::Temperature), 0);
}

TEST(SensorValueText, Table) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        SensorType type;
        double value;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {SensorType::Fan, 2512.5, "2512"},
        {SensorType::Fan, 2513.5, "2514"},
        {SensorType::Temperature, 41.49, "41"},
        {SensorType::Temperature, -0.5, "0"},
        {SensorType::Temperature, -1.5, "-2"},
        {SensorType::Clock, 2400.0, "2400"},
        {SensorType::Fan, 0.0, "0"},
        {SensorType::Voltage, 1.456, "1.46"},
        {SensorType::Voltage, 0.0, "0.00"},
        {SensorType::Voltage, 12.0, "12.00"},
        {SensorType::Voltage, -5.123, "-5.12"},
        {SensorType::Voltage, 1e20, "100000000000000000000.00"},
        {SensorType::Fan, 9.2e18, "9200000000000000000"},
        {SensorType::Fan, -9223372036854775808.0, "-9223372036854775808"},
        {SensorType::Fan, 9223372036854775808.0, "---"},
        {SensorType::Temperature, 1e300, "---"},
        {SensorType::Temperature, std::nan(""), "---"},
        {SensorType::Clock, -inf, "---"},
        {SensorType::Voltage, inf, "---"},
        {SensorType::Voltage, std::nan(""), "---"},
    };
    for (const Case& c : cases) EXPECT_EQ(sensorValueText(c.type, c.value), c.expected) << c.value;
}

}  // namespace
}  // namespace qbx::functions::sensors
