// The native build's profile store and rename-over, as the system platform hands them out:
// "var.dat" written and read on the real file system.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/log.h"
#include "core/variables.h"
#include "platform/platform.h"
#include "platform/posix/posix_services.h"

namespace qbx::posix {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class PosixProfiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("qbx-profiles-" +
                std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    fs::path dir_;
};

TEST_F(PosixProfiles, VariablesFileRoundTripsOnDisk) {
    const Platform platform = systemPlatform();
    ASSERT_NE(platform.profiles, nullptr);
    Log log(platform);
    const std::string path = toWindowsPath((dir_ / "var.dat").string());
    std::ofstream(dir_ / "var.dat", std::ios::binary) << "[String]\r\nold=1\r\n";

    VarTable vars;
    vars.storeStr("padded", " \"x\" ");
    vars.storeInt("n", -5);
    ASSERT_TRUE(vars.save(platform, path, log));
    EXPECT_FALSE(fs::exists(dir_ / "var.dat.tmp"));
    EXPECT_EQ(slurp(dir_ / "var.dat").find("old"), std::string::npos);

    VarTable back;
    back.load(platform, path, log);
    EXPECT_EQ(back.count(), 4);
    EXPECT_EQ(back.text("padded"), " \"x\" ");
    EXPECT_EQ(back.text("n"), "-5");
}

TEST_F(PosixProfiles, ReplaceFileRenamesOverTheTarget) {
    PosixFileSystem files;
    std::ofstream(dir_ / "old", std::ios::binary) << "old";
    std::ofstream(dir_ / "new", std::ios::binary) << "new";
    const std::string from = toWindowsPath((dir_ / "new").string());
    const std::string to = toWindowsPath((dir_ / "old").string());
    EXPECT_TRUE(files.replaceFile(from, to));
    EXPECT_EQ(slurp(dir_ / "old"), "new");
    EXPECT_FALSE(fs::exists(dir_ / "new"));
    EXPECT_FALSE(files.replaceFile(from, to));
    EXPECT_EQ(slurp(dir_ / "old"), "new");
}

}  // namespace
}  // namespace qbx::posix
