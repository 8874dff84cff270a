// The dialog's creation makes the anti-spam monitor only when "Enable on-screen debug display"
// is on, owns it while it lives and frees it with itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/plugin.h"
#include "statistics/monitor_model.h"
#include "support/fake_dialog_view.h"
#include "support/fakes.h"
#include "ui/dialog/setup_form.h"

namespace qbx::ui {
namespace {

struct QuietMonitor final : statistics::MonitorView {
    explicit QuietMonitor(Plugin& plugin, int& alive) : alive_(alive), model(plugin, *this) {
        ++alive_;
    }
    ~QuietMonitor() override { --alive_; }
    bool visible() const override { return shown; }
    void show() override { shown = true; }
    void hide() override { shown = false; }
    void setLines(const std::vector<std::string>&) override {}
    void setHideTimer(bool) override {}
    int& alive_;
    bool shown = false;
    statistics::MonitorWindow model;
};

class SetupFormMonitor : public ::testing::Test {
protected:
    SetupFormMonitor() { plugin.strings.reset(); }
    MonitorFactory factory() {
        return [this](Plugin& p) -> std::unique_ptr<statistics::MonitorView> {
            ++made;
            return std::make_unique<QuietMonitor>(p, alive);
        };
    }

    test::FakePlatform fake;
    Plugin plugin{fake.platform()};
    test::FakeDialogView view;
    int made = 0;
    int alive = 0;
};

TEST_F(SetupFormMonitor, MadeHiddenAtCreationWhenTheSettingIsOnAndFreedWithTheDialog) {
    plugin.settings.monitorWindowOn = true;
    {
        SetupForm form(plugin, view, factory());
        EXPECT_EQ(made, 0);
        form.formCreate();
        ASSERT_EQ(made, 1);
        ASSERT_NE(form.monitor(), nullptr);
        EXPECT_FALSE(form.monitor()->visible());
        statistics::showMonitorWindow(plugin);
        EXPECT_TRUE(form.monitor()->visible());
    }
    EXPECT_EQ(alive, 0);
    EXPECT_EQ(statistics::monitorWindow(plugin), nullptr);
}

TEST_F(SetupFormMonitor, SettingOffMakesNone) {
    plugin.settings.monitorWindowOn = false;
    SetupForm form(plugin, view, factory());
    form.formCreate();
    EXPECT_EQ(made, 0);
    EXPECT_EQ(form.monitor(), nullptr);
    statistics::showMonitorWindow(plugin);  // nothing to show
}

TEST_F(SetupFormMonitor, AFailingFactoryLeavesTheDialogWhole) {
    plugin.settings.monitorWindowOn = true;
    std::vector<std::string> log;
    plugin.log.setMirror([&](const std::string& line) { log.push_back(line); });
    SetupForm form(plugin, view, [](Plugin&) -> std::unique_ptr<statistics::MonitorView> {
        throw std::runtime_error("no window");
    });
    form.formCreate();
    plugin.log.setMirror(nullptr);
    EXPECT_EQ(form.monitor(), nullptr);
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "***** ERROR!!! Exception in OSDForm creation: no window"),
              log.end());
    EXPECT_NE(std::find(log.begin(), log.end(), "Done"), log.end());
}

}  // namespace
}  // namespace qbx::ui
