// The splash shown while the first host starts us: the product's picture, the version and the
// start-up stage now running. The start-up makes it when "splashmode" is on, hands it each
// stage and closes it at its end; should the start-up never get there, the splash closes
// itself once no stage has come for a while, as an always-on-top window must not stay in front
// of the user's mail for good.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/ports/splash_window.h"

namespace qbx {
class Clock;
}

namespace qbx::ui {

// The stage label's text before the first stage arrives.
inline constexpr std::string_view kSplashFirstStage = "Loading....";
// How long the splash waits for the next stage before it closes itself.
inline constexpr std::uint32_t kSplashQuietCloseMs = 30000;
// How often the view asks the model whether that time has passed.
inline constexpr unsigned kSplashCheckMs = 1000;

// The window's caption: the version text.
std::string splashCaption();
// The version label: "v", the version text and " beta".
std::string splashVersionLabel();

// What the splash looks like on screen.
class SplashView {
public:
    virtual ~SplashView() = default;
    // Shows the window without taking the focus from the user's window.
    virtual void show(const std::string& caption, const std::string& versionLabel,
                      const std::string& stage) = 0;
    virtual void setStage(const std::string& text) = 0;
    // Takes the window off the screen and lets it go; later calls do nothing.
    virtual void close() = 0;
};

// Makes the view; the view calls `check` every kSplashCheckMs while it is open.
using SplashViewMaker = std::function<std::unique_ptr<SplashView>(std::function<void()> check)>;

class SplashScreen final : public SplashWindow {
public:
    // Shows the splash at once.
    SplashScreen(Clock& clock, const SplashViewMaker& makeView);
    ~SplashScreen() override;
    SplashScreen(const SplashScreen&) = delete;
    SplashScreen& operator=(const SplashScreen&) = delete;

    void setStage(const std::string& text) override;
    void close() override;
    // The view's timer: closes the splash when no stage has come for kSplashQuietCloseMs.
    void check();

    bool isOpen() const noexcept { return open_; }
    const std::string& stage() const noexcept { return stage_; }

private:
    Clock& clock_;
    std::unique_ptr<SplashView> view_;
    std::string stage_{kSplashFirstStage};
    std::uint32_t lastStageTick_ = 0;
    bool open_ = false;
};

}  // namespace qbx::ui
