// A prompt that answers from a queue instead of a user: it counts how often it was shown, keeps
// what it was asked with, and can run a callback while it is "open", as the real window's own
// message loop runs the host's messages (a nested request, say).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/text_prompt.h"

namespace qbx::test {

class FakeTextPrompt : public TextPrompt {
public:
    struct Request {
        std::string caption;
        std::int32_t limit;
    };

    std::deque<std::string> answers;  // one per showing; the empty text when none is left
    std::vector<Request> requests;    // one per showing
    std::function<void()> whileOpen;

    int shown() const { return static_cast<int>(requests.size()); }

    std::string askSmsText(std::string_view caption, std::int32_t limit) override {
        requests.push_back({std::string(caption), limit});
        struct Showing {
            bool& open;
            explicit Showing(bool& flag) : open(flag) { open = true; }
            ~Showing() { open = false; }
        } showing(open_);
        if (whileOpen) whileOpen();
        if (answers.empty()) return {};
        std::string answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }
    bool isOpen() override { return open_; }

private:
    bool open_ = false;
};

}  // namespace qbx::test
