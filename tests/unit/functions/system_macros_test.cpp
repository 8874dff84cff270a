// The machine's macros over a described machine, called as the host calls them.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "base/cp1251.h"
#include "core/ports/tray_module.h"
#include "support/macro_fixture.h"

namespace qbx::functions::system {
namespace {

std::string cp(std::string_view utf8) { return utf8ToCp1251(utf8); }

class Tray : public TrayModule {
public:
    void installExceptionHandler() override {}
    void removeExceptionHandler() override {}
    void clearMessageHandler() override {}
    void setTrayVisible(bool) override {}
    bool trayVisible() const override { return false; }
    void setSetupItemCaption(const std::string&) override {}
    void showBalloon(const std::string&, const std::string&, int) override {}
    void setMouseTracking(bool) override {}
    TrayMenu* trayMenu() override { return nullptr; }
    MouseTravel mouseTravel() const override { return travel; }
    MouseTravel travel{5000, 1234.5};
};

class SystemMacros : public test::MacroFixture {
protected:
    test::FakeSystemInfo& machine = fake.systemInfo;
};

TEST_F(SystemMacros, AnswersFromTheMachine) {
    const struct {
        const char* name;
        std::string text;
    } rows[] = {
        {"ZVXMEMLOAD", "42%"},
        {"ZVXMEMTPHYS", "8192.00 Mb"},
        {"ZVXMEMAPHYS", "3072.00 Mb"},
        {"ZVXMEMTPAGE", "12288.00 Mb"},
        {"ZVXMEMAPAGE", "5120.00 Mb"},
        {"ZVXMEMTVIRT", "134217728.00 Mb"},
        {"ZVXMEMAVIRT", "104857600.00 Mb"},
        {"ZVXCPUSPEED", "2893"},
        {"ZVXCPUTICKS", "20833.93"},  // 7200.5 s x 2893.4 MHz
        {"ZVXTICKCOUNT", "7200"},
        {"ZVXCPUNAMEL",
         "Intel(R) Core(TM) i5 CPU (Stepping 3, Model 10, Family 6, MMX, APIC, 36-bit addr)"},
        {"ZVXCPUVENDOR", "GenuineIntel"},
        {"ZVXSTARTUPINFO", "normal boot"},
        {"ZVXMOUSEINFO", "3-button mouse with wheel"},
        {"ZVXMOUSEPOS", "(640,480)"},
        {"ZVXKBD", "00000419"},
        {"ZVXPRN", "HP LaserJet,winspool,Ne00:"},
        {"ZVXDRVLIST", "C:\\ D:\\ "},
        {"ZVXPROCLIST", "C:\\Windows\\explorer.exe\r\nC:\\Mail\\thebat.exe\r\n"},
        {"ZVXTASKLIST", "Inbox\r\nNotepad\r\n"},
        {"ZVXSCREENRES", "3840x1080"},
        {"ZVXSCREENDEPTH", "32"},
        {"ZVXSCREENRRATE", "60"},
        {"ZVXCOMPNAME", "DESKTOP"},
        {"ZVXUSERNAME", "ivan"},
        {"ZVXBATT", cp("питание от сети")},
        {"ZVXBATTSECLEFT", "-1"},
        {"ZVXWINVER", "Windows 10 Workstation"},
        {"ZVXBIOSNAME", "Award"},
        {"ZVXBIOSCOPY", "(C) 1984-2004 Award"},
        {"ZVXBIOSINFO", "v6.00PG"},
        {"ZVXBIOSDATE", "14.01.2004"},
        {"ZVXTZ", "Russian Standard Time"},
        {"ZVXTZBIAS", "+0300"},
        {"ZVXVOLUME", "50.2"},
    };
    for (const auto& row : rows) EXPECT_EQ(run(row.name), row.text) << row.name;
}

TEST_F(SystemMacros, ProcessorNameTrimmedOrWhole) {
    machine.cpuRecord.name = "      Intel(R) Pentium(R) 4 CPU 3.00GHz";
    EXPECT_EQ(run("ZVXCPUNAME"), "Intel(R) Pentium(R) 4 CPU 3.00GHz");
    EXPECT_EQ(run("ZVX_CPU"), "      Intel(R) Pentium(R) 4 CPU 3.00GHz");
}

TEST_F(SystemMacros, VolumeDevices) {
    machine.volumes = {
        {VolumeDevice::WaveOut, 255}, {VolumeDevice::MidiOut, 51}, {VolumeDevice::Auxiliary, 0}};
    EXPECT_EQ(run("ZVXVOLUME", {"0"}), "100.0");
    EXPECT_EQ(run("ZVXVOLUME", {"1"}), "20.0");
    EXPECT_EQ(run("ZVXVOLUME", {"7"}), "0.0");
    machine.volumes.clear();  // no such device: silent
    EXPECT_EQ(run("ZVXVOLUME", {"1"}), "0.0");
}

TEST_F(SystemMacros, PlaceholdersWhereTheMachineCannotTell) {
    machine.memory.reset();
    machine.mhz.reset();
    machine.cursor.reset();
    machine.keyboard.reset();
    machine.processes.reset();
    machine.tasks.reset();
    machine.screenInfo.reset();
    machine.user.reset();
    machine.computer.reset();
    machine.zone.reset();
    machine.power.reset();
    machine.mouseInfo.reset();
    machine.boot.reset();
    machine.biosInfo.date.reset();
    const struct {
        const char* name;
        std::string text;
    } rows[] = {
        {"ZVXMEMLOAD", ""},
        {"ZVXMEMTPHYS", ""},
        {"ZVXCPUSPEED", ""},
        {"ZVXCPUTICKS", ""},
        {"ZVXMOUSEPOS", ""},
        {"ZVXKBD", ""},
        {"ZVXPROCLIST", cp("информация о процессах недоступна")},
        {"ZVXTASKLIST", cp("информация о задачах недоступна")},
        {"ZVXSCREENRES", ""},
        {"ZVXSCREENDEPTH", ""},
        {"ZVXSCREENRRATE", ""},
        {"ZVXUSERNAME", cp("Имя пользователя неизвестно")},
        {"ZVXCOMPNAME", cp("Имя компьютера неизвестно")},
        {"ZVXTZ", ""},
        {"ZVXTZBIAS", ""},
        {"ZVXBATT", ""},
        {"ZVXBATTSECLEFT", "-1"},
        {"ZVXMOUSEINFO", "no mouse found"},
        {"ZVXSTARTUPINFO", "status unknown"},
        {"ZVXBIOSDATE", ""},
    };
    for (const auto& row : rows) EXPECT_EQ(run(row.name), row.text) << row.name;
    EXPECT_TRUE(logged("@@ ZVXCPUSPEED: processor clock not available"));
    EXPECT_TRUE(logged("@@ ZVXPROCLIST: process list not available"));
    EXPECT_FALSE(logged("Exception in macro"));
}

TEST_F(SystemMacros, WithoutTheServiceEveryMacroAnswersItsPlaceholder) {
    Plugin bare{[&] {
        Platform p = fake.platform();
        p.systemInfo = nullptr;
        return p;
    }()};
    bare.strings.reset();
    std::swap(plugin.platform.systemInfo, bare.platform.systemInfo);
    EXPECT_EQ(run("ZVXMEMTPHYS"), "");
    EXPECT_EQ(run("ZVXUSERNAME"), cp("Имя пользователя неизвестно"));
    EXPECT_EQ(run("ZVXBRIEF"), "");
    EXPECT_TRUE(logged("system information not available"));
    EXPECT_FALSE(logged("Exception in macro"));
}

TEST_F(SystemMacros, MouseTravelFromTheTray) {
    EXPECT_EQ(run("ZVXMOUSEWAY", {"X"}), "0");  // no tray, no tracking
    plugin.trayModule = std::make_unique<Tray>();
    EXPECT_EQ(run("ZVXMOUSEWAY", {"k"}), "0.00");
    EXPECT_EQ(run("ZVXMOUSEWAY", {"x"}), "5000");
    EXPECT_EQ(run("ZVXMOUSEWAY"), "1234.50");
    EXPECT_EQ(run("ZVXMOUSEWAY", {cp("с")}), "123.45");
    plugin.startTime = fake.clock.dateTime - 100.0 / 86400;
    EXPECT_EQ(run("ZVXMOUSESPEED", {"X", "s"}), "50.00");
    EXPECT_EQ(run("ZVXMOUSESPEED", {"", "m"}), "740.70");
}

TEST_F(SystemMacros, MouseSpeedInTheFirstSecond) {
    plugin.trayModule = std::make_unique<Tray>();
    plugin.startTime = fake.clock.dateTime;
    EXPECT_EQ(run("ZVXMOUSESPEED", {"X"}), "n/a");
    EXPECT_TRUE(logged("@@ ZVXMOUSESPEED:"));
}

TEST_F(SystemMacros, BatteryFlagsAsBits) {
    machine.power = PowerStatus{0, 1 | 8, 255, 5700};
    EXPECT_EQ(run("ZVXBATT"),
              cp("питание от батарей, полный заряд, 95.0 min осталось, зарядка батарей"));
    EXPECT_EQ(run("ZVXBATTSECLEFT"), "5700");
}

TEST_F(SystemMacros, BriefReportMeasuresOnce) {
    fake.network.addresses = {"10.0.0.7", "192.168.1.2"};
    const std::string report = run("ZVXBRIEF");
    EXPECT_EQ(machine.measurements, 1);
    for (const char* line :
         {"CPU info: Intel(R) Core(TM) i5 CPU (Stepping 3, Model 10, Family 6, MMX, APIC, "
          "36-bit addr) ~2893Mhz \r\n",
          "Mouse info: 3-button mouse with wheel (640,480)\r\n",
          "Screen resolution: 1920x1080x32, 60Hz\r\n", "Current time: 15.03.2023 12:00:00\r\n",
          "Current time zone: Russian Standard Time\r\n", "Current time zone bias: +0300\r\n",
          "Startup info: normal boot\r\n", "Keyboard layout ID: 00000419\r\n",
          "Memory load: 42%\r\n", "Physical memory: 3072.00 Mb/8192.00 Mb\r\n",
          "Page file: 5120.00 Mb/12288.00 Mb\r\n", "Logical drives: C:\\ D:\\ \r\n",
          "Computer name: DESKTOP\r\n", "User name: ivan\r\n", "User info: Administrator\r\n",
          "=================\r\nC:\\Windows\\explorer.exe\r\nC:\\Mail\\thebat.exe\r\n\r\n",
          "Running tasks:\r\n==============\r\nInbox\r\nNotepad\r\n\r\n",
          // 12:00 local is 09:00 universal three hours east: the beat day starts at 23:00.
          "Current internet time: @416.67\r\n", "Current default IP: 10.0.0.7\r\n",
          "Local network adapter IP list:\r\n10.0.0.7\r\n192.168.1.2\r\n"})
        EXPECT_NE(report.find(line), std::string::npos) << line;
}

}  // namespace
}  // namespace qbx::functions::system
