// The anti-spam monitor over a fake window whose two timers run on a fake clock: when it shows,
// when it hides, and what its seven lines say.
#include "statistics/monitor_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/plugin.h"
#include "statistics/spam_entry.h"
#include "statistics/spam_filter.h"
#include "statistics/stat_item.h"
#include "support/fakes.h"

namespace qbx::statistics {
namespace {

using Lines = std::vector<std::string>;

// A window with the refresh timer running from its creation and a one-shot hide timer, both
// driven by advance().
class FakeMonitor final : public MonitorView {
public:
    explicit FakeMonitor(Plugin& plugin) : model(plugin, *this) {}

    bool visible() const override { return shown; }
    void show() override { shown = true; }
    void hide() override { shown = false; }
    void setLines(const Lines& newLines) override {
        lines = newLines;
        ++rewrites;
    }
    void setHideTimer(bool enabled) override {
        hideArmed = enabled;
        hideStart = now;
    }

    // Moves the clock on by whole 100 ms steps, firing what falls due.
    void advance(int ms) {
        for (int step = 0; step < ms; step += 100) {
            now += 100;
            if (now % kMonitorRefreshMs == 0) model.tTimer();
            if (hideArmed && now - hideStart >= kMonitorHideMs) model.ttTimer();
        }
    }

    bool shown = false;
    Lines lines{"j"};
    int rewrites = 0;
    bool hideArmed = false;
    std::uint32_t now = 0, hideStart = 0;
    MonitorWindow model;
};

class MonitorModelTest : public ::testing::Test {
protected:
    MonitorModelTest() {
        plugin.strings.reset();
        plugin.settings.antispamActive = true;
        // Training counts with the NonSpam item switched on (no item object is needed).
        plugin.settings.enabledItems = 1 << static_cast<int>(Slot::NonSpam);
        installSpamFilter(plugin);
    }
    MonitorCounters& counters() { return spamFilter(plugin)->monitor; }

    test::FakePlatform fake;
    Plugin plugin{fake.platform()};
};

TEST_F(MonitorModelTest, SevenLinesInTheirOrderWithOneColonEach) {
    MonitorCounters c;
    c.messagesProcessed = 12;
    c.spamFed = 3;
    c.nonSpamFed = 4;
    c.incomingScored = 5;
    c.detectedSpam = 1;
    c.detectedNonSpam = 2;
    c.bytesProcessed = -7;  // wrapped past 2 GB: shown as the counter holds it
    EXPECT_EQ(monitorLines(plugin.strings, c),
              (Lines{"Total letters processed: 12", "Spam letters: 3", "Non-spam letters: 4",
                     "Incoming letters: 5", "Detected as spam: 1", "Detected as non-spam: 2",
                     "Bytes processed: -7"}));
}

TEST_F(MonitorModelTest, LanguageFileLabelsShow) {
    struct Case {
        int index;
        std::string label;
        std::string line;  // the second line, spam fed = 3
    };
    const Case cases[] = {
        {187, "\xD1\xEF\xE0\xEC:", "\xD1\xEF\xE0\xEC: 3"},  // "Спам:"
        {187, "Spam::", "Spam:: 3"},                // only the one colon the line adds is taken off
        {186, "Letters %s%d:", "Letters %s%d: 0"},  // never a format
    };
    for (const Case& c : cases) {
        plugin.strings.reset();
        plugin.strings.set(c.index, c.label);
        MonitorCounters counters;
        counters.spamFed = 3;
        const Lines lines = monitorLines(plugin.strings, counters);
        EXPECT_EQ(lines[c.index == 187 ? 1 : 0], c.line) << c.label;
    }
}

TEST_F(MonitorModelTest, ThreeFeedsTwoSecondsApartKeepItVisibleUntilFiveSecondsAfterTheLast) {
    FakeMonitor monitor(plugin);
    for (int feed = 0; feed < 3; ++feed) {
        showMonitorWindow(plugin);
        EXPECT_TRUE(monitor.shown);
        monitor.advance(2000);
        EXPECT_TRUE(monitor.shown) << feed;
    }
    // The third came at 4000 ms; it is now 6000.
    monitor.advance(2900);
    EXPECT_TRUE(monitor.shown);
    monitor.advance(100);
    EXPECT_FALSE(monitor.shown);
    EXPECT_FALSE(monitor.hideArmed);
    monitor.advance(10000);
    EXPECT_FALSE(monitor.shown);
}

TEST_F(MonitorModelTest, HiddenItIsNotRewrittenAndTheFirstRefreshShowsTheCurrentCounters) {
    FakeMonitor monitor(plugin);
    counters().spamFed = 1;
    monitor.advance(3000);
    EXPECT_EQ(monitor.rewrites, 0);
    EXPECT_EQ(monitor.lines, Lines{"j"});

    counters().spamFed = 2;
    counters().messagesProcessed = 2;
    counters().bytesProcessed = 600;
    showMonitorWindow(plugin);
    monitor.advance(500);
    EXPECT_EQ(monitor.rewrites, 1);
    EXPECT_EQ(monitor.lines,
              (Lines{"Total letters processed: 2", "Spam letters: 2", "Non-spam letters: 0",
                     "Incoming letters: 0", "Detected as spam: 0", "Detected as non-spam: 0",
                     "Bytes processed: 600"}));
    // A score counted meanwhile catches up at the next refresh.
    counters().incomingScored = 1;
    monitor.advance(500);
    EXPECT_EQ(monitor.lines[3], "Incoming letters: 1");

    monitor.advance(5000);
    const int rewrites = monitor.rewrites;
    monitor.advance(2000);
    EXPECT_EQ(monitor.rewrites, rewrites);
}

// A message as the host hands it over: header, body and raw size.
std::int32_t QBX_STDCALL messageCallback(std::intptr_t, std::int32_t id, char* buffer,
                                         std::int32_t size) {
    const std::string text = id == kItemHeader ? "Subject: offer\r\n"
                             : id == kItemBody ? "cheap pills now"
                                               : std::string(100, 'r');
    if (buffer == nullptr) return static_cast<std::int32_t>(text.size());
    const auto n = std::min<std::size_t>(static_cast<std::size_t>(size), text.size());
    std::memcpy(buffer, text.data(), n);
    return static_cast<std::int32_t>(n);
}

TEST_F(MonitorModelTest, WithoutAMonitorFeedingOnlyCounts) {
    SpamEntryHooks hooks;
    hooks.showMonitor = &showMonitorWindow;
    feedSpam(plugin, 0, 1, messageCallback, hooks);
    feedSpam(plugin, 0, 1, messageCallback, hooks);
    EXPECT_EQ(counters().spamFed, 2);
    EXPECT_EQ(counters().messagesProcessed, 2);
    EXPECT_EQ(counters().bytesProcessed, 200);
    EXPECT_EQ(monitorWindow(plugin), nullptr);
}

}  // namespace
}  // namespace qbx::statistics
