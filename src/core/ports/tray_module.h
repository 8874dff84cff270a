// The tray module as the start-up, the shut-down and the language files use it.
#pragma once

#include <cstdint>
#include <string>

namespace qbx {

class TrayMenu;

// How far the mouse has gone since the module started, as the tray's mouse tracking counts it.
struct MouseTravel {
    std::int64_t pixels = 0;
    double millimetres = 0;
};

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
    // The dialog's choice of icons: 0 hides the icon; 1 and 2 show their set in the look of the
    // connection as it is now. A tray without icons has nothing to switch.
    virtual void setIconMode(std::int32_t /*trayMode*/) {}
    virtual TrayMenu* trayMenu() = 0;  // for the language files
    // Nothing travelled until the tracking counts.
    virtual MouseTravel mouseTravel() const { return {}; }
};

}  // namespace qbx
