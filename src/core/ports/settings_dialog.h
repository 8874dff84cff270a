// The settings dialog as the exports, the log and the language files use it.
#pragma once

#include <string>

namespace qbx {

class UiComponent;

class SettingsDialog {
public:
    virtual ~SettingsDialog() = default;
    virtual void showNonBlocking() = 0;  // visible and in front, returns at once
    virtual void killTimers() = 0;
    virtual void stopPlayerTimer() = 0;
    virtual void appendDebugLine(const std::string& line) = 0;
    virtual UiComponent* components() = 0;  // the form, owner of every control
};

}  // namespace qbx
