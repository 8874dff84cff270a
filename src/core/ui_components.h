// The view of the settings dialog's controls and of the tray menu that the language files
// need: names, kinds, captions, combo box items and ownership. The Win32 views implement it;
// the core never sees a window handle.
#pragma once

#include <string>
#include <string_view>

namespace qbx {

enum class ComponentKind {
    Label,
    Button,
    RadioButton,
    CaptionPanel,
    RollOutPanel,
    TabSheet,
    CheckBox,
    GroupBox,
    RadioGroup,
    Panel,
    MenuItem,
    ComboBox,
    Other
};

class UiComponent {
public:
    virtual ~UiComponent() = default;

    virtual std::string name() const = 0;
    virtual ComponentKind kind() const = 0;
    virtual std::string caption() const = 0;
    virtual void setCaption(std::string_view caption) = 0;

    // Combo box items; other kinds have none.
    virtual int itemCount() const { return 0; }
    virtual std::string item(int) const { return {}; }
    virtual void setItem(int, std::string_view) {}
    virtual int selectedIndex() const { return -1; }
    virtual void setSelectedIndex(int) {}

    // The components this one owns, in ownership order (for a menu item: its sub-items).
    virtual int childCount() const = 0;
    virtual UiComponent* child(int index) = 0;
};

// The tray icon's popup menu.
class TrayMenu {
public:
    virtual ~TrayMenu() = default;
    // Its children are the top-level menu items, each owning the items one level below.
    virtual UiComponent& root() = 0;
    virtual void setHelpItemVisible(bool visible) = 0;
    virtual void setViewerItemVisible(bool visible) = 0;
    virtual void setViewerItemCaption(std::string_view caption) = 0;
    virtual void setSetupItemCaption(std::string_view caption) = 0;
};

}  // namespace qbx
