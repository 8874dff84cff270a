#include "ui/dialog/recipient_filter.h"

#include "core/plugin.h"

namespace qbx::ui {

void RecipientRegexFilter::setExpression(const std::string& expression) {
    regex_ = Regex1251::compile(expression, nullptr);
}

bool RecipientRegexFilter::matches(std::string_view address) const {
    return regex_ && regex_->search(address);
}

void installRecipientFilter(Plugin& plugin) {
    plugin.factories.recipientFilter = [](Plugin&) -> std::unique_ptr<RecipientFilter> {
        return std::make_unique<RecipientRegexFilter>();
    };
}

}  // namespace qbx::ui
