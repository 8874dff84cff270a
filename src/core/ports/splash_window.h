// The splash window that shows the start-up's stages.
#pragma once

#include <string>

namespace qbx {

class SplashWindow {
public:
    virtual ~SplashWindow() = default;
    virtual void setStage(const std::string& text) = 0;
    virtual void close() = 0;
};

}  // namespace qbx
