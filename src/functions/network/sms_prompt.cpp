#include "functions/network/sms_prompt.h"

#include <stdexcept>
#include <utility>

#include "base/bounded_text.h"
#include "core/plugin.h"
#include "core/version.h"
#include "macros/answer.h"
#include "macros/arguments.h"
#include "macros/work_budget.h"
#include "platform/text_prompt.h"

namespace qbx::functions::network {
namespace {

// Marks the prompt open for as long as it is shown, also when showing it throws.
class OpenPrompt {
public:
    explicit OpenPrompt(Plugin::SmsPromptState& state) : state_(state) { state_.open = true; }
    ~OpenPrompt() { state_.open = false; }
    OpenPrompt(const OpenPrompt&) = delete;
    OpenPrompt& operator=(const OpenPrompt&) = delete;

private:
    Plugin::SmsPromptState& state_;
};

}  // namespace

std::string getSmsText(Plugin& plugin, std::int32_t limit) {
    Plugin::SmsPromptState& state = plugin.smsPrompt;
    Clock& clock = *plugin.platform.clock;
    // Ticks, not the wall clock: a clock set back or forward must neither open the prompt twice
    // nor keep it shut; the unsigned difference stays right across the counter's wrap.
    const std::uint32_t elapsed = clock.tickCount() - state.lastRequestTick;
    plugin.log.write(std::to_string(elapsed));
    // A request from the prompt's own message loop gets the old text, never a second window.
    if (elapsed < kSmsRepeatMs || state.open) {
        plugin.log.write("Cache value returned");
        state.lastRequestTick = clock.tickCount();
        return state.cachedText;
    }
    plugin.log.write("Request for SMS detected");
    state.lastRequestTick = clock.tickCount();
    if (plugin.platform.textPrompt == nullptr)
        throw std::runtime_error("no text prompt in this build");
    std::string text;
    const std::uint32_t shown = clock.tickCount();
    {
        const OpenPrompt open(state);
        // However long the user takes, the call's own work is what it did before and after.
        struct Waited {
            Plugin& plugin;
            Clock& clock;
            std::uint32_t shown;
            ~Waited() { macros::leaveOutOfMacroWork(plugin, clock.tickCount() - shown); }
        } waited{plugin, clock, shown};
        text = plugin.platform.textPrompt->askSmsText(
            std::string(kProductName) + " " + std::string(kVersionText), limit);
    }
    state.cachedText = text;
    state.lastRequestTick = clock.tickCount();
    return text;
}

std::string zvxGetSms(macros::MacroCall& call) {
    std::string text = getSmsText(call.plugin, macros::getParamInt(call.params, 0));
    const bool cut = text.size() > TextPrompt::kMaxTextLength;
    if (cut) text.resize(TextPrompt::kMaxTextLength);
    return macros::answer(call, BoundedText{std::move(text), cut, TextPrompt::kMaxTextLength});
}

}  // namespace qbx::functions::network
