// The recipient filter: built at start-up, released first at shut-down. The settings dialog
// gives it its expression; the traffic count asks it about each recipient.
#pragma once

#include <string>
#include <string_view>

namespace qbx {

class RecipientFilter {
public:
    virtual ~RecipientFilter() = default;
    // Replaces the expression; one that does not compile matches nothing.
    virtual void setExpression(const std::string&) {}
    // Whether the expression matches somewhere in the address; false before it has one.
    virtual bool matches(std::string_view) const { return false; }
};

}  // namespace qbx
