// The recipient expression the dialog builds from its list, matched against each recipient of
// the counted traffic. Created by the start-up before the dialog, which gives it its expression.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/regex_1251.h"
#include "core/ports/recipient_filter.h"

namespace qbx {
struct Plugin;
}

namespace qbx::ui {

class RecipientRegexFilter final : public RecipientFilter {
public:
    void setExpression(const std::string& expression) override;
    bool matches(std::string_view address) const override;

private:
    std::optional<Regex1251> regex_;
};

// Registers the filter's factory with the start-up.
void installRecipientFilter(Plugin& plugin);

}  // namespace qbx::ui
