// The SMS prompt's macro through the built module. Natively there is no window to show: the
// stand-in answers at once, so the repeat rule can be watched in the module's log. The real
// window is driven by the Windows test of the prompt.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "host.h"
#include "hosted/host_home.h"
#include "item_table.h"
#include "platform/platform.h"
#include "platform/process.h"

namespace {

using qbx::test::kModule;
using qbxhost::Host;

#if !defined(_WIN32)
std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(HostedSms, EveryMacroOnceThroughTheModule) {
    const qbx::test::HostHome home("hosted-sms-");
    Host host(kModule);
    host.initialize();
    const std::string logPath = qbx::toModulePath(home.string()) + "\\tmp\\-QBX.log";
    auto log = [&] {
        const auto bytes = qbx::systemPlatform().files->readFile(logPath, 1u << 24);
        return bytes ? *bytes : std::string();
    };
    auto call = [&] { return host.callMacro(host.data(), "ZVXGETSMS", {"10"}); };

    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_EQ(call(), "");
    EXPECT_EQ(occurrences(log(), "Request for SMS detected\r\n"), 1u);
    const std::size_t cached = occurrences(log(), "Cache value returned\r\n");
    EXPECT_EQ(call(), "");
    EXPECT_EQ(occurrences(log(), "Request for SMS detected\r\n"), 1u);
    EXPECT_EQ(occurrences(log(), "Cache value returned\r\n"), cached + 1);
}
#endif

}  // namespace
