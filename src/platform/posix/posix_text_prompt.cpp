#include "platform/text_prompt.h"

namespace qbx {
namespace {

// Linux has no window to show here: the prompt answers at once with nothing typed.
class PosixTextPrompt final : public TextPrompt {
public:
    std::string askSmsText(std::string_view, std::int32_t) override { return {}; }
    bool isOpen() override { return false; }
};

}  // namespace

TextPrompt& systemTextPrompt() {
    static PosixTextPrompt prompt;
    return prompt;
}

}  // namespace qbx
