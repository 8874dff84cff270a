// The SMS prompt's repeat rule and its macro, over a prompt that answers from a queue.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>

#include "core/lifecycle.h"
#include "functions/network/sms_prompt.h"
#include "platform/text_prompt.h"
#include "support/macro_fixture.h"

namespace qbx::functions::network {
namespace {

class SmsPrompt : public test::MacroFixture {
protected:
    // A prompt answered `text` at the fake's current tick.
    void answeredJustNow(std::string text) {
        plugin.smsPrompt.cachedText = std::move(text);
        plugin.smsPrompt.lastRequestTick = fake.clock.tick;
    }
    // Whether a line ends in the text (the log puts its own columns before it).
    bool loggedLine(const std::string& text) const {
        for (const std::string& line : logLines)
            if (line.ends_with(text) &&
                (line.size() == text.size() || line[line.size() - text.size() - 1] == ' '))
                return true;
        return false;
    }
    test::FakeTextPrompt& prompt = fake.textPrompt;
};

TEST_F(SmsPrompt, FirstCallWithinTheRepeatTimeOfTheLoadAnswersTheEmptyCache) {
    moduleLoaded(plugin);
    fake.clock.advanceMs(500);
    prompt.answers = {"never asked"};
    EXPECT_EQ(run("ZVXGETSMS", {"10"}), "");
    EXPECT_EQ(prompt.shown(), 0);
    EXPECT_TRUE(loggedLine("500"));
    EXPECT_TRUE(logged("Cache value returned"));
    EXPECT_FALSE(logged("Request for SMS detected"));
}

TEST_F(SmsPrompt, RepeatRuleByTheTickCounter) {
    struct Row {
        std::uint32_t lastTick;
        std::uint32_t nowTick;
        double wallClockShiftDays;  // the user or the time service moving the clock
        bool asks;
        const char* logged;
    };
    const Row rows[] = {
        {1000, 1500, 0, false, "500"},
        {1000, 1779, 0, false, "779"},
        {1000, 1780, 0, true, "780"},
        {1000, 2000, 0, true, "1000"},
        {1000, 1000, 0, false, "0"},
        // The counter wrapped between the two requests.
        {0xFFFFFF00u, 0x100u, 0, false, "512"},
        {0xFFFFF000u, 0x10u, 0, true, "4112"},
        // The wall clock has no say.
        {1000, 1100, 1.0, false, "100"},
        {1000, 3000, -1.0, true, "2000"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.logged);
        logLines.clear();
        prompt.requests.clear();
        prompt.answers = {"new text"};
        fake.clock.tick = row.lastTick;
        answeredJustNow("old text");
        fake.clock.tick = row.nowTick;
        fake.clock.dateTime += row.wallClockShiftDays;
        EXPECT_EQ(run("ZVXGETSMS", {"160"}), row.asks ? "new text" : "old text");
        EXPECT_EQ(prompt.shown(), row.asks ? 1 : 0);
        EXPECT_TRUE(loggedLine(row.logged));
        EXPECT_EQ(logged("Request for SMS detected"), row.asks);
        EXPECT_EQ(logged("Cache value returned"), !row.asks);
        EXPECT_EQ(plugin.smsPrompt.lastRequestTick, row.nowTick);
        EXPECT_EQ(plugin.smsPrompt.cachedText, row.asks ? "new text" : "old text");
    }
}

TEST_F(SmsPrompt, TwoCallsHalfASecondApartShowOnePromptAndOneAfterASecondShowsItAgain) {
    prompt.answers = {"first", "second"};
    EXPECT_EQ(run("ZVXGETSMS", {"10"}), "first");
    // Every request moves the time, so a series closer than the repeat time stays cached.
    for (int i = 0; i < 4; ++i) {
        fake.clock.advanceMs(500);
        EXPECT_EQ(run("ZVXGETSMS", {"10"}), "first");
    }
    EXPECT_EQ(prompt.shown(), 1);
    fake.clock.advanceMs(1000);
    EXPECT_EQ(run("ZVXGETSMS", {"10"}), "second");
    EXPECT_EQ(prompt.shown(), 2);
}

TEST_F(SmsPrompt, ARequestWhileThePromptIsOpenGetsTheCacheAndNoSecondWindow) {
    answeredJustNow("before");
    fake.clock.advanceMs(5000);
    std::string nested;
    prompt.answers = {"typed"};
    prompt.whileOpen = [&] {
        EXPECT_TRUE(plugin.smsPrompt.open);
        fake.clock.advanceMs(3000);  // long after the outer request: the time is no excuse
        nested = getSmsText(plugin, 5);
    };
    EXPECT_EQ(run("ZVXGETSMS", {"10"}), "typed");
    EXPECT_EQ(nested, "before");
    EXPECT_EQ(prompt.shown(), 1);
    EXPECT_FALSE(plugin.smsPrompt.open);
    EXPECT_EQ(plugin.smsPrompt.cachedText, "typed");
}

TEST_F(SmsPrompt, LimitAndCaptionAsAsked) {
    struct Row {
        std::vector<std::string> arguments;
        std::int32_t limit;
    };
    const Row rows[] = {{{"10"}, 10}, {{"0"}, 0}, {{"-3"}, -3}, {{}, 0}, {{"x"}, 0}};
    for (const Row& row : rows) {
        fake.clock.advanceMs(1000);
        run("ZVXGETSMS", row.arguments);
        ASSERT_FALSE(prompt.requests.empty());
        EXPECT_EQ(prompt.requests.back().limit, row.limit);
        EXPECT_EQ(prompt.requests.back().caption, "Quilbex 2.4.1202 Summer edition");
    }
}

TEST_F(SmsPrompt, APromptThatFailsIsClosedAndTheNextRequestAsksAgain) {
    prompt.whileOpen = [] { throw std::runtime_error("no window today"); };
    EXPECT_EQ(run("ZVXGETSMS", {"10"}), "");
    EXPECT_TRUE(logged("***** ERROR!!! Exception in macro ZVXGETSMS: no window today"));
    EXPECT_FALSE(plugin.smsPrompt.open);
    prompt.whileOpen = nullptr;
    prompt.answers = {"again"};
    fake.clock.advanceMs(1000);
    EXPECT_EQ(run("ZVXGETSMS", {"10"}), "again");
}

TEST_F(SmsPrompt, AnOverlongAnswerIsCutAndSaysSo) {
    prompt.answers = {std::string(TextPrompt::kMaxTextLength + 10, 'a')};
    EXPECT_EQ(run("ZVXGETSMS", {"0"}).size(), TextPrompt::kMaxTextLength);
    EXPECT_TRUE(logged("@@ ZVXGETSMS: result cut at"));
}

}  // namespace
}  // namespace qbx::functions::network
