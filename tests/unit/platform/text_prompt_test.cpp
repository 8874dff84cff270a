#include "platform/text_prompt.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace qbx {
namespace {

TEST(SmsFormModel, CounterAndMaximumLength) {
    struct Row {
        std::int32_t limit;
        std::size_t length;
        const char* counter;
        std::size_t maxLength;
        std::size_t kept;  // of a text of `length` put in at once
    };
    const Row rows[] = {
        {160, 0, "[0/160]", 160, 0}, {10, 10, "[10/10]", 10, 10},
        {10, 25, "[25/10]", 10, 10}, {0, 0, "[0/0]", 0, 0},
        {0, 500, "[500/0]", 0, 500}, {-5, 7, "[7/-5]", 0, 7},
        {1, 2, "[2/1]", 1, 1},       {2147483647, 3, "[3/2147483647]", 2147483647u, 3},
    };
    for (const Row& row : rows) {
        const SmsFormModel model(row.limit);
        EXPECT_EQ(model.updcap(row.length), row.counter) << row.limit;
        EXPECT_EQ(model.maxLength(), row.maxLength) << row.limit;
        EXPECT_EQ(model.keptLength(row.length), row.kept) << row.limit;
    }
    EXPECT_EQ(SmsFormModel().updcap(0), "[0/160]");
}

TEST(SmsFormModel, KeyRules) {
    struct Row {
        std::int32_t limit;
        PromptKey key;
        bool ctrlOnly;
        std::size_t length;
        bool close;
        bool cancel;
    };
    const Row rows[] = {
        // Within the limit nothing is refused; at it the box itself refuses more.
        {10, PromptKey::Character, false, 9, false, false},
        {10, PromptKey::Character, false, 10, false, false},
        {10, PromptKey::Enter, false, 10, false, false},
        // Past it (text put in by other means) a key that adds text is refused.
        {10, PromptKey::Character, false, 11, false, true},
        {10, PromptKey::Enter, false, 11, false, true},
        // Keys that edit, move or copy are never refused.
        {10, PromptKey::Backspace, false, 50, false, false},
        {10, PromptKey::Delete, false, 50, false, false},
        {10, PromptKey::Arrow, false, 50, false, false},
        {10, PromptKey::HomeEnd, false, 50, false, false},
        {10, PromptKey::Copy, true, 50, false, false},
        {10, PromptKey::Cut, true, 50, false, false},
        {10, PromptKey::SelectAll, true, 50, false, false},
        // Ctrl+Enter closes and adds no line break, at any length.
        {10, PromptKey::Enter, true, 0, true, true},
        {10, PromptKey::Enter, true, 50, true, true},
        {0, PromptKey::Enter, true, 3, true, true},
        // Without a limit no key is refused.
        {0, PromptKey::Character, false, 100000, false, false},
        {-1, PromptKey::Character, false, 100000, false, false},
        {-1, PromptKey::Enter, false, 100000, false, false},
    };
    for (const Row& row : rows) {
        const PromptKeyAnswer answer =
            SmsFormModel(row.limit).smsmemKeyDown(row.key, row.ctrlOnly, row.length);
        EXPECT_EQ(answer.close, row.close)
            << row.limit << " " << static_cast<int>(row.key) << " " << row.length;
        EXPECT_EQ(answer.cancel, row.cancel)
            << row.limit << " " << static_cast<int>(row.key) << " " << row.length;
    }
}

}  // namespace
}  // namespace qbx
