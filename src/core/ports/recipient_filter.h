// The recipient filter: built at start-up, released first at shut-down.
#pragma once

namespace qbx {

class RecipientFilter {
public:
    virtual ~RecipientFilter() = default;
};

}  // namespace qbx
