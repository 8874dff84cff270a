#include "ui/splash/splash_screen.h"

#include <utility>

#include "core/version.h"
#include "platform/platform.h"

namespace qbx::ui {

std::string splashCaption() { return std::string(kVersionText); }

std::string splashVersionLabel() { return "v" + std::string(kVersionText) + " beta"; }

SplashScreen::SplashScreen(Clock& clock, const SplashViewMaker& makeView)
    : clock_(clock), lastStageTick_(clock.tickCount()) {
    view_ = makeView([this] { check(); });
    if (!view_) return;
    view_->show(splashCaption(), splashVersionLabel(), stage_);
    open_ = true;
}

SplashScreen::~SplashScreen() { close(); }

void SplashScreen::setStage(const std::string& text) {
    if (!open_) return;
    stage_ = text;
    lastStageTick_ = clock_.tickCount();
    view_->setStage(stage_);
}

void SplashScreen::close() {
    if (!open_) return;
    open_ = false;
    view_->close();
}

void SplashScreen::check() {
    // Unsigned difference: the tick count wraps after 49.7 days.
    if (open_ && clock_.tickCount() - lastStageTick_ >= kSplashQuietCloseMs) close();
}

}  // namespace qbx::ui
