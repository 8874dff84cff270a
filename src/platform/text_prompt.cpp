#include "platform/text_prompt.h"

namespace qbx {

std::string SmsFormModel::updcap(std::size_t length) const {
    return "[" + std::to_string(length) + "/" + std::to_string(limit_) + "]";
}

PromptKeyAnswer SmsFormModel::smsmemKeyDown(PromptKey key, bool ctrlOnly,
                                            std::size_t length) const {
    if (key == PromptKey::Enter && ctrlOnly) return {true, true};
    switch (key) {
        // Editing, moving and copying never add text: a user over the limit must be able to
        // shorten the text again.
        case PromptKey::Backspace:
        case PromptKey::Delete:
        case PromptKey::Arrow:
        case PromptKey::HomeEnd:
        case PromptKey::Copy:
        case PromptKey::Cut:
        case PromptKey::SelectAll: return {};
        case PromptKey::Character:
        case PromptKey::Enter: break;
    }
    return {false, limited() && length > maxLength()};
}

std::size_t SmsFormModel::keptLength(std::size_t length) const {
    return limited() && length > maxLength() ? maxLength() : length;
}

}  // namespace qbx
