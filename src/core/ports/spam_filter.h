// The statistics layer's spam filter as the start-up sees it. Its thresholds, the re-entry flag
// of the scoring and the anti-spam monitor's counters are the filter's own; it exists from the
// module's load (the composition root installs it) to its unload.
#pragma once

namespace qbx {

class SpamFilter {
public:
    virtual ~SpamFilter() = default;
    // Recomputes the thresholds from the trained items, once they are loaded.
    virtual void updateThresholds() = 0;
};

}  // namespace qbx
