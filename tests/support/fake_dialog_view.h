// A settings dialog without a window: every control is a record found by its name, and the
// two system dialogs answer what the test put in.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialog/dialog_view.h"

namespace qbx::test {

class FakeDialogView : public ui::DialogView {
public:
    struct Control {
        std::string caption, text;
        bool checked = false, enabled = true, visible = true;
        std::vector<std::string> items;
        std::vector<bool> itemChecked, itemEnabled;
        int selection = -1;
        std::vector<std::string> header;
        std::vector<std::vector<std::string>> rows;
        std::vector<std::string> lines;
        std::vector<ui::HighlightRange> highlights;
    };

    Control& operator[](std::string_view name) { return controls[std::string(name)]; }

    std::string caption(std::string_view name) const override { return get(name).caption; }
    void setCaption(std::string_view name, std::string_view caption) override {
        at(name).caption = caption;
    }
    bool checked(std::string_view name) const override { return get(name).checked; }
    void setChecked(std::string_view name, bool checked) override { at(name).checked = checked; }
    std::string text(std::string_view name) const override { return get(name).text; }
    void setText(std::string_view name, std::string_view text) override { at(name).text = text; }
    std::vector<std::string> items(std::string_view name) const override { return get(name).items; }
    void setItems(std::string_view name, const std::vector<std::string>& items) override {
        Control& c = at(name);
        c.items = items;
        c.itemChecked.resize(items.size());
        c.itemEnabled.resize(items.size(), true);
        if (c.selection >= static_cast<int>(items.size())) c.selection = -1;
    }
    int selection(std::string_view name) const override { return get(name).selection; }
    void setSelection(std::string_view name, int index) override { at(name).selection = index; }
    bool itemChecked(std::string_view name, int index) const override {
        const Control& c = get(name);
        return index >= 0 && index < static_cast<int>(c.itemChecked.size()) &&
               c.itemChecked[static_cast<std::size_t>(index)];
    }
    void setItemChecked(std::string_view name, int index, bool checked) override {
        Control& c = at(name);
        if (index >= 0 && index < static_cast<int>(c.itemChecked.size()))
            c.itemChecked[static_cast<std::size_t>(index)] = checked;
    }
    void setItemEnabled(std::string_view name, int index, bool enabled) override {
        Control& c = at(name);
        if (index >= 0 && index < static_cast<int>(c.itemEnabled.size()))
            c.itemEnabled[static_cast<std::size_t>(index)] = enabled;
    }
    void setGrid(std::string_view name, const std::vector<std::string>& header,
                 const std::vector<std::vector<std::string>>& rows) override {
        Control& c = at(name);
        c.header = header;
        c.rows = rows;
    }
    std::vector<std::string> gridHeader(std::string_view name) const override {
        return get(name).header;
    }
    std::vector<std::vector<std::string>> gridRows(std::string_view name) const override {
        return get(name).rows;
    }
    void appendLine(std::string_view name, std::string_view line, std::size_t maxLines) override {
        auto& lines = at(name).lines;
        lines.emplace_back(line);
        if (lines.size() > maxLines) lines.erase(lines.begin(), lines.end() - maxLines);
    }
    bool enabled(std::string_view name) const override { return get(name).enabled; }
    void setEnabled(std::string_view name, bool enabled) override { at(name).enabled = enabled; }
    bool visible(std::string_view name) const override { return get(name).visible; }
    void setVisible(std::string_view name, bool visible) override { at(name).visible = visible; }
    void setActivePage(std::string_view name) override { activePage = name; }
    void redraw() override { ++redraws; }
    std::optional<std::string> pickFolder(std::string_view, std::string_view) override {
        return folderAnswer;
    }
    std::optional<std::string> saveFileName(std::string_view proposed) override {
        proposedFile = proposed;
        return saveAnswer;
    }
    std::optional<std::string> openFileName() override { return openAnswer; }
    void setHighlights(std::string_view name,
                       const std::vector<ui::HighlightRange>& ranges) override {
        at(name).highlights = ranges;
    }

    std::map<std::string, Control, std::less<>> controls;
    std::string activePage;
    int redraws = 0;
    std::optional<std::string> folderAnswer, saveAnswer, openAnswer;
    std::string proposedFile;

private:
    Control& at(std::string_view name) { return controls[std::string(name)]; }
    const Control& get(std::string_view name) const {
        static const Control kNone;
        const auto found = controls.find(name);
        return found == controls.end() ? kNone : found->second;
    }
};

}  // namespace qbx::test
