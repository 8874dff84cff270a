#include <windows.h>

#include <gtest/gtest.h>

#include <exception>
#include <stdexcept>
#include <string>

#include "base/text.h"
#include "core/log.h"
#include "support/fakes.h"
// The hooks are built into the module only; the test program compiles its own copy.
#include "win/exception_hooks.h"

namespace qbx {
namespace {

int g_previousCalls = 0, g_previousTerminateCalls = 0;
EXCEPTION_POINTERS* g_previousSaw = nullptr;

LONG WINAPI previousFilter(EXCEPTION_POINTERS* info) {
    ++g_previousCalls;
    g_previousSaw = info;
    return EXCEPTION_EXECUTE_HANDLER;
}
LONG WINAPI laterFilter(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_EXECUTION; }
void previousTerminate() { ++g_previousTerminateCalls; }  // returns: the test calls it directly

// Reads the installed filter without changing it.
LPTOP_LEVEL_EXCEPTION_FILTER installedFilter() {
    const LPTOP_LEVEL_EXCEPTION_FILTER current = SetUnhandledExceptionFilter(nullptr);
    SetUnhandledExceptionFilter(current);
    return current;
}

class ExceptionHooks : public ::testing::Test {
protected:
    void SetUp() override {
        g_previousCalls = g_previousTerminateCalls = 0;
        g_previousSaw = nullptr;
        log.open();
    }
    void TearDown() override {
        removeExceptionHooks();
        SetUnhandledExceptionFilter(originalFilter_);
        std::set_terminate(originalTerminate_);
    }

    LONG raise(LPTOP_LEVEL_EXCEPTION_FILTER filter, DWORD code) {
        record_ = EXCEPTION_RECORD{};
        record_.ExceptionCode = code;
        record_.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
        record_.ExceptionAddress = reinterpret_cast<void*>(std::uintptr_t{0x401234});
        pointers_ = EXCEPTION_POINTERS{&record_, &context_};
        return filter(&pointers_);
    }
    std::string logText() const { return fake.files.contents("C:\\Temp\\-QBX.log"); }

    const LPTOP_LEVEL_EXCEPTION_FILTER originalFilter_ =
        SetUnhandledExceptionFilter(&previousFilter);
    const std::terminate_handler originalTerminate_ = std::set_terminate(&previousTerminate);
    test::FakePlatform fake;
    Log log{fake.platform()};
    EXCEPTION_RECORD record_{};
    CONTEXT context_{};
    EXCEPTION_POINTERS pointers_{};
};

TEST_F(ExceptionHooks, FilterLogsTheFaultAndChainsOnceToThePreviousFilter) {
    installExceptionHooks(&log);
    installExceptionHooks(&log);  // a second install must not chain to itself
    const LPTOP_LEVEL_EXCEPTION_FILTER ours = installedFilter();
    ASSERT_NE(ours, nullptr);
    ASSERT_NE(ours, &previousFilter);

    EXPECT_EQ(raise(ours, 0xC0000005u), EXCEPTION_EXECUTE_HANDLER);
    EXPECT_EQ(g_previousCalls, 1);
    EXPECT_EQ(g_previousSaw, &pointers_);

    const std::string text = logText();
    EXPECT_NE(text.find(std::string(exceptionCodeText(0xC0000005u)) + "\r\n"), std::string::npos);
    EXPECT_NE(text.find("@@@ Exception address: " +
                        pointerText(reinterpret_cast<void*>(std::uintptr_t{0x401234})) + "\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("@@@ Exception flags: 00000001\r\n"), std::string::npos);
    // The system's message is one line after the flags line, without a line break of its own.
    const auto next = text.find("\r\n", text.find("@@@ Exception flags: ")) + 2;
    EXPECT_EQ(text.find("\r\n", next), text.size() - 2);
}

TEST_F(ExceptionHooks, FilterContinuesTheSearchWhenThereWasNoPreviousFilter) {
    SetUnhandledExceptionFilter(nullptr);
    installExceptionHooks(&log);
    EXPECT_EQ(raise(installedFilter(), 0xC00000FDu), EXCEPTION_CONTINUE_SEARCH);
    EXPECT_NE(logText().find("@@@@ The thread used up its stack.\r\n"), std::string::npos);
    EXPECT_EQ(g_previousCalls, 0);
}

TEST_F(ExceptionHooks, RemovalRestoresThePreviousFilterOnlyWhileOursIsInstalled) {
    installExceptionHooks(&log);
    installExceptionHooks(&log);
    const LPTOP_LEVEL_EXCEPTION_FILTER ours = installedFilter();
    removeExceptionHooks();
    EXPECT_EQ(installedFilter(), &previousFilter);
    EXPECT_EQ(std::get_terminate(), &previousTerminate);
    // A caller still holding ours only passes the fault on.
    const std::string before = logText();
    EXPECT_EQ(raise(ours, 0xC0000005u), EXCEPTION_CONTINUE_SEARCH);
    EXPECT_EQ(logText(), before);

    // A filter installed after ours stays; it may chain to ours, which hands over to the one
    // before it.
    installExceptionHooks(&log);
    EXPECT_EQ(SetUnhandledExceptionFilter(&laterFilter), ours);
    removeExceptionHooks();
    EXPECT_EQ(installedFilter(), &laterFilter);
    EXPECT_EQ(raise(ours, 0xC0000005u), EXCEPTION_EXECUTE_HANDLER);
    EXPECT_EQ(g_previousCalls, 1);
}

TEST_F(ExceptionHooks, TerminateHandlerLogsTheUncaughtExceptionAndChains) {
    installExceptionHooks(&log);
    const std::terminate_handler ours = std::get_terminate();
    ASSERT_NE(ours, &previousTerminate);
    try {
        throw std::runtime_error("disk %s full");
    } catch (...) {
        ours();
    }
    EXPECT_EQ(g_previousTerminateCalls, 1);
    const std::string text = logText();
    EXPECT_NE(text.find("#### Low-level exception detected\r\n"), std::string::npos);
    EXPECT_NE(text.find("Exception object class: std::runtime_error\r\n"), std::string::npos);
    EXPECT_NE(text.find("Exception object name: disk %s full\r\n"), std::string::npos);

    ours();  // no exception at all
    EXPECT_EQ(g_previousTerminateCalls, 2);
    EXPECT_NE(logText().find("Exception object class: <none>\r\n"), std::string::npos);
}

}  // namespace
}  // namespace qbx
