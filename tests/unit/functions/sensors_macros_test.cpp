// The sensor macros, called as the host calls them, over a monitor's block set by hand.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "functions/sensors/sensors.h"
#include "support/macro_fixture.h"
#include "support/sensor_block.h"

namespace qbx::functions::sensors {
namespace {

struct Case {
    std::vector<std::string> arguments;
    std::string expected;
};

class SensorMacros : public test::MacroFixture {
protected:
    void publish(const std::string& block) {
        fake.sharedMemory.blocks[std::string(kBlockName)] = block;
    }
    void expectAll(const char* name, const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            std::string shown;
            for (const std::string& a : c.arguments) shown += a + ",";
            EXPECT_EQ(run(name, c.arguments), c.expected) << name << " " << shown;
        }
    }
};

TEST_F(SensorMacros, WithoutTheMonitorBothAnswerDashes) {
    expectAll("MBMSENSORNAME", {{{"1", "T"}, "---"}, {{"1", "X"}, "---"}});
    expectAll("MBMSENSORVAL", {{{"1", "T", "H"}, "---"}, {{"1", "V"}, "---"}});
}

TEST_F(SensorMacros, Names) {
    publish(test::SensorBlock()
                .add(1, "CPU", 40.0)
                .add(1, "System", 30.0)
                .add(2, "Vcore", 1.456)
                .add(3, "Fan 1", 2512.5)
                .add(4, "Bus", 133.0)
                .full());
    expectAll("MBMSENSORNAME", {{{"1", "T"}, "CPU"},
                                {{"2", "T"}, "System"},
                                {{"0", "T"}, "CPU"},
                                {{"11", "T"}, "CPU"},
                                {{"3", "T"}, ""},
                                {{"10", "T"}, ""},
                                {{"1", "V"}, "Vcore"},
                                {{"1", "F"}, "Fan 1"},
                                {{"1", "C"}, "Bus"},
                                {{"1", "t"}, "---"},
                                {{"1", ""}, "---"},
                                {{"1", "Temperature"}, "CPU"},
                                {{"1"}, "---"}});
}

TEST_F(SensorMacros, Values) {
    publish(test::SensorBlock()
                .add(1, "CPU", 40.5, 21.5, 60.4)
                .add(2, "Vcore", 1.456, 1.404, 1.5)
                .add(3, "Fan 1", 2512.5, 1800.0, 3000.49)
                .add(4, "Bus", 133.3, 133.0, 133.7)
                .full());
    expectAll("MBMSENSORVAL", {{{"1", "T"}, "40"},
                               {{"1", "T", "L"}, "22"},
                               {{"1", "T", "H"}, "60"},
                               {{"1", "T", "h"}, "40"},
                               {{"0", "T", "H"}, "60"},
                               {{"11", "T", "L"}, "22"},
                               {{"2", "T"}, "0"},
                               {{"1", "V"}, "1.46"},
                               {{"1", "V", "L"}, "1.40"},
                               {{"1", "V", "H"}, "1.50"},
                               {{"2", "V", "H"}, "0.00"},
                               {{"1", "F"}, "2512"},
                               {{"1", "F", "H"}, "3000"},
                               {{"1", "C", "X"}, "133"},
                               {{"1", "C", "H"}, "134"},
                               {{"1", "v"}, "---"},
                               {{"1", "Q", "H"}, "---"}});
}

TEST_F(SensorMacros, EveryCallReadsTheBlockAfresh) {
    publish(test::SensorBlock().add(1, "CPU", 40.0).full());
    EXPECT_EQ(run("MBMSENSORVAL", {"1", "T"}), "40");
    publish(test::SensorBlock().add(1, "CPU", 41.0).full());
    EXPECT_EQ(run("MBMSENSORVAL", {"1", "T"}), "41");
    fake.sharedMemory.blocks.clear();
    EXPECT_EQ(run("MBMSENSORNAME", {"1", "T"}), "---");
    EXPECT_EQ(fake.sharedMemory.reads, 3);
}

TEST_F(SensorMacros, ABrokenOrStrangeBlockNeverEscapes) {
    publish(test::SensorBlock()
                .add(1, "Hot", 1e300)
                .add(1, "Cold", std::numeric_limits<double>::quiet_NaN())
                .bytes() +
            std::string(50, '\x01'));
    EXPECT_EQ(run("MBMSENSORVAL", {"1", "T"}), "---");
    EXPECT_EQ(run("MBMSENSORNAME", {"2", "T"}), "Cold");
    fake.sharedMemory.fail = true;
    EXPECT_EQ(run("MBMSENSORVAL", {"1", "T"}), "");
    EXPECT_TRUE(logged("***** ERROR!!! Exception in macro MBMSENSORVAL: mapping broke"));
}

}  // namespace
}  // namespace qbx::functions::sensors
