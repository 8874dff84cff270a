// The settings dialog's window: one top-level window that builds every page from the table of
// controls (ui/dialog/setup_controls.h) and reports the user's changes to the model. Every
// control is a real child window with its caption and, as the window property
// kComponentProperty, a global atom holding its component name, so that screen readers and
// automation tools find, read and drive it as any Windows dialog.
#pragma once

#include <memory>

namespace qbx {
struct Plugin;
class SettingsDialog;
}  // namespace qbx

namespace qbx::ui::win32 {

// The window classes of the dialog; automation finds the window and its roll-outs by them.
inline constexpr const wchar_t* kFormClass = L"QBXSetupForm";
inline constexpr const wchar_t* kPageClass = L"QBXSetupPage";
inline constexpr const wchar_t* kRollOutClass = L"QBXRollOut";
// The property whose value is the atom of a control's component name.
inline constexpr const wchar_t* kComponentProperty = L"QBX.Component";

// The dialog, hidden, with its model created and filled.
std::unique_ptr<SettingsDialog> makeSettingsDialog(Plugin& plugin);
// Registers the dialog's factory with the start-up.
void installSettingsDialog(Plugin& plugin);

}  // namespace qbx::ui::win32
