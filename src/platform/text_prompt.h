// The small modal window that asks the user for a short text of limited length (a mobile-phone
// text message), and the rules of its counter and keys, kept apart from the window so that they
// are the same in every build and tested without one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qbx {

class TextPrompt {
public:
    // No answer is longer than this, whatever the user pasted into a box without a limit.
    static constexpr std::size_t kMaxTextLength = std::size_t{1} << 20;

    virtual ~TextPrompt() = default;
    // Shows the prompt with the caption, modal on the calling thread (the thread's other windows
    // are disabled until it closes), and returns the text typed when it is closed. A limit of 0
    // or less lets the text be of any length.
    virtual std::string askSmsText(std::string_view caption, std::int32_t limit) = 0;
    // Whether a prompt is shown now (a request arriving from its own message loop sees it).
    virtual bool isOpen() = 0;
};

// The prompt of this build (a window in the DLL; natively none, every answer empty).
TextPrompt& systemTextPrompt();

// ---- the rules of the prompt's form -------------------------------------------------------

// The keys the rules tell apart; every other key is a character key.
enum class PromptKey : std::uint8_t {
    Character,
    Enter,
    Backspace,
    Delete,
    Arrow,
    HomeEnd,
    Copy,       // Ctrl+C
    Cut,        // Ctrl+X
    SelectAll,  // Ctrl+A
};

struct PromptKeyAnswer {
    bool close = false;   // the form closes
    bool cancel = false;  // the key does nothing (Ctrl+Enter adds no line break either)
};

class SmsFormModel {
public:
    static constexpr std::int32_t kInitialLimit = 160;

    explicit SmsFormModel(std::int32_t limit = kInitialLimit) : limit_(limit) {}

    std::int32_t limit() const { return limit_; }
    // Whether the text has a maximum length at all.
    bool limited() const { return limit_ > 0; }
    // The maximum length the text box is given; 0 is none.
    std::size_t maxLength() const { return limited() ? static_cast<std::size_t>(limit_) : 0; }

    // The counter's caption: "[" characters "/" limit "]".
    std::string updcap(std::size_t length) const;
    // What a key pressed in the text box does, the box holding `length` characters. Only a key
    // that would add text is ever refused, and only once the text is longer than the limit.
    PromptKeyAnswer smsmemKeyDown(PromptKey key, bool ctrlOnly, std::size_t length) const;
    // The number of characters of a text of `length` that may stay: a paste past the limit is
    // cut to it.
    std::size_t keptLength(std::size_t length) const;

private:
    std::int32_t limit_;
};

}  // namespace qbx
