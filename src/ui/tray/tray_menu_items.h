// The tray's popup menu as the language files address it: one level of items under a root, each
// known by its component name. Every caption and visibility change goes on to the view at once,
// so the menu on screen is always the one the loader last set.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/ui_components.h"
#include "ui/tray/tray_view.h"

namespace qbx::ui {

struct TrayMenuItemSpec {
    std::string_view name;
    std::string_view caption;
    bool isDefault = false;
    bool visible = true;
};

class TrayMenuItems final : public TrayMenu {
public:
    // Rows by name; -1 names no row (that part of the menu then has nothing to change).
    struct Roles {
        int setup = -1, viewer = -1, help = -1;
    };

    TrayMenuItems(TrayView& view, const std::vector<TrayMenuItemSpec>& rows, Roles roles);

    UiComponent& root() override { return root_; }
    void setHelpItemVisible(bool visible) override { setVisible(roles_.help, visible); }
    void setViewerItemVisible(bool visible) override { setVisible(roles_.viewer, visible); }
    void setViewerItemCaption(std::string_view caption) override;
    void setSetupItemCaption(std::string_view caption) override;

    int rowCount() const { return static_cast<int>(items_.size()); }
    const TrayMenuEntry& entry(int row) const {
        return items_.at(static_cast<std::size_t>(row)).entry;
    }

private:
    class Item final : public UiComponent {
    public:
        Item(TrayMenuItems& menu, int row, std::string name, TrayMenuEntry shown)
            : menu_(&menu), row_(row), name_(std::move(name)), entry(std::move(shown)) {}
        std::string name() const override { return name_; }
        ComponentKind kind() const override { return ComponentKind::MenuItem; }
        std::string caption() const override { return entry.caption; }
        void setCaption(std::string_view caption) override { menu_->setCaption(row_, caption); }
        int childCount() const override { return 0; }
        UiComponent* child(int) override { return nullptr; }

    private:
        TrayMenuItems* menu_;
        int row_;
        std::string name_;

    public:
        TrayMenuEntry entry;
    };

    class Root final : public UiComponent {
    public:
        explicit Root(TrayMenuItems& menu) : menu_(menu) {}
        std::string name() const override { return "TrayMenu"; }
        ComponentKind kind() const override { return ComponentKind::Other; }
        std::string caption() const override { return {}; }
        void setCaption(std::string_view) override {}
        int childCount() const override { return menu_.rowCount(); }
        UiComponent* child(int index) override;

    private:
        TrayMenuItems& menu_;
    };

    void setCaption(int row, std::string_view caption);
    void setVisible(int row, bool visible);
    bool valid(int row) const { return row >= 0 && row < rowCount(); }

    TrayView& view_;
    Roles roles_;
    std::vector<Item> items_;
    Root root_{*this};
};

}  // namespace qbx::ui
