#include "ui/win32/dialog_window_parts.h"

namespace qbx::ui::win32::settings_window {

void DialogWindow::startTimer(int id, unsigned intervalMs) {
    SetTimer(window_, kFirstTimerId + static_cast<UINT_PTR>(id), intervalMs, nullptr);
}

void DialogWindow::stopTimer(int id) {
    KillTimer(window_, kFirstTimerId + static_cast<UINT_PTR>(id));
}

std::array<std::uint8_t, 256> DialogWindow::keyboardState() {
    std::array<std::uint8_t, 256> keys{};
    if (!GetKeyboardState(keys.data())) keys.fill(0);
    return keys;
}

bool DialogWindow::dialogVisible() { return IsWindowVisible(window_) != FALSE; }

void DialogWindow::closeDialog() {
    ShowWindow(window_, SW_HIDE);
    form_.formHide();
}

bool DialogWindow::registerHotKey(unsigned modifiers, int keyCode) {
    hotKey_ = std::make_unique<HotKeyRegistration>(window_, modifiers, keyCode);
    return hotKey_->registered();
}

}  // namespace qbx::ui::win32::settings_window
