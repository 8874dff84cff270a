// The tray module as the start-up, the shut-down and the language files use it.
#pragma once

#include <string>

namespace qbx {

class TrayMenu;

class TrayModule {
public:
    virtual ~TrayModule() = default;
    virtual void installExceptionHandler() = 0;
    virtual void removeExceptionHandler() = 0;
    virtual void clearMessageHandler() = 0;
    virtual void setTrayVisible(bool visible) = 0;
    virtual bool trayVisible() const = 0;
    virtual void setSetupItemCaption(const std::string& caption) = 0;
    virtual void showBalloon(const std::string& title, const std::string& text, int seconds) = 0;
    virtual void setMouseTracking(bool enabled) = 0;
    virtual TrayMenu* trayMenu() = 0;  // for the language files
};

}  // namespace qbx
