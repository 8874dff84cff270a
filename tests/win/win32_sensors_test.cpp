// A hardware monitor's block published in this process, read through the system's shared memory
// and through the built module as the host calls it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "host.h"
#include "hosted/host_home.h"
#include "item_table.h"
#include "platform/shared_memory.h"
#include "support/sensor_block.h"

namespace {

using qbx::test::kModule;
using qbxhost::Host;

constexpr const char* kBlockName = "$M$B$M$5$S$D$";

// A named block of the given size holding the bytes, as the monitor publishes it; gone with
// the object.
class PublishedBlock {
public:
    PublishedBlock(const char* name, DWORD size, const std::string& bytes) {
        mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
        if (mapping_ == nullptr) return;
        void* view = MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, 0);
        if (view == nullptr) return;
        std::memcpy(view, bytes.data(), bytes.size() < size ? bytes.size() : size);
        UnmapViewOfFile(view);
    }
    ~PublishedBlock() {
        if (mapping_ != nullptr) CloseHandle(mapping_);
    }
    PublishedBlock(const PublishedBlock&) = delete;
    PublishedBlock& operator=(const PublishedBlock&) = delete;
    bool ok() const { return mapping_ != nullptr; }

private:
    HANDLE mapping_ = nullptr;
};

TEST(Win32SharedMemory, ReadsAsFarAsTheViewAndTheBound) {
    qbx::SharedMemory& memory = qbx::systemSharedMemory();
    EXPECT_FALSE(memory.readNamedBlock("QBX test block that nobody publishes", 100));
    EXPECT_FALSE(memory.readNamedBlock(std::string("QBX\0test", 8), 100));
    const std::string bytes = "0123456789";
    const PublishedBlock block("QBX test block", 10, bytes);
    ASSERT_TRUE(block.ok());
    EXPECT_EQ(memory.readNamedBlock("QBX test block", 4), "0123");
    // The view reaches to the end of its page, which the system fills with zeros.
    const std::optional<std::string> whole = memory.readNamedBlock("QBX test block", 1 << 16);
    ASSERT_TRUE(whole);
    ASSERT_GE(whole->size(), bytes.size());
    EXPECT_LT(whole->size(), std::size_t{1} << 16);
    EXPECT_EQ(whole->substr(0, bytes.size()), bytes);
    EXPECT_EQ(whole->substr(bytes.size()), std::string(whole->size() - bytes.size(), '\0'));
}

TEST(Win32Sensors, TwoRecordsThroughTheModule) {
    const qbx::test::HostHome home("win-sensors-");
    Host host(kModule);
    host.initialize();
    auto call = [&](const char* name, const std::vector<std::string>& arguments) {
        return host.callMacro(host.data(), name, arguments);
    };
    {
        // Smaller than a full block: only the two records and what the page adds are there.
        qbx::test::SensorBlock records;
        records.add(1, "CPU", 40.5, 21.5, 60.4).add(2, "Vcore", 1.456, 1.404, 1.5);
        const PublishedBlock block(kBlockName, static_cast<DWORD>(records.bytes().size()),
                                   records.bytes());
        ASSERT_TRUE(block.ok());
        EXPECT_EQ(call("MBMSENSORNAME", {"1", "T"}), "CPU");
        EXPECT_EQ(call("MBMSENSORNAME", {"11", "V"}), "Vcore");
        EXPECT_EQ(call("MBMSENSORNAME", {"2", "V"}), "");
        EXPECT_EQ(call("MBMSENSORVAL", {"1", "T", "H"}), "60");
        EXPECT_EQ(call("MBMSENSORVAL", {"0", "T"}), "40");
        EXPECT_EQ(call("MBMSENSORVAL", {"1", "V"}), "1.46");
        EXPECT_EQ(call("MBMSENSORVAL", {"1", "V", "L"}), "1.40");
        EXPECT_EQ(call("MBMSENSORVAL", {"1", "F"}), "0");
        EXPECT_EQ(call("MBMSENSORVAL", {"1", "X"}), "---");
    }
    EXPECT_EQ(call("MBMSENSORNAME", {"1", "T"}), "---");
}

}  // namespace
