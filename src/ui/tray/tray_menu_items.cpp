#include "ui/tray/tray_menu_items.h"

namespace qbx::ui {

TrayMenuItems::TrayMenuItems(TrayView& view, const std::vector<TrayMenuItemSpec>& rows, Roles roles)
    : view_(view), roles_(roles) {
    items_.reserve(rows.size());
    std::vector<TrayMenuEntry> entries;
    entries.reserve(rows.size());
    for (const TrayMenuItemSpec& row : rows) {
        TrayMenuEntry entry{std::string(row.caption), row.isDefault, row.visible};
        entries.push_back(entry);
        items_.emplace_back(*this, static_cast<int>(items_.size()), std::string(row.name),
                            std::move(entry));
    }
    view_.setMenu(entries);
}

void TrayMenuItems::setViewerItemCaption(std::string_view caption) {
    setCaption(roles_.viewer, caption);
}

void TrayMenuItems::setSetupItemCaption(std::string_view caption) {
    setCaption(roles_.setup, caption);
}

UiComponent* TrayMenuItems::Root::child(int index) {
    return menu_.valid(index) ? &menu_.items_[static_cast<std::size_t>(index)] : nullptr;
}

void TrayMenuItems::setCaption(int row, std::string_view caption) {
    if (!valid(row)) return;
    items_[static_cast<std::size_t>(row)].entry.caption = std::string(caption);
    view_.setMenuCaption(row, caption);
}

void TrayMenuItems::setVisible(int row, bool visible) {
    if (!valid(row)) return;
    items_[static_cast<std::size_t>(row)].entry.visible = visible;
    view_.setMenuVisible(row, visible);
}

}  // namespace qbx::ui
