#include "support/fake_subsystems.h"

#include <algorithm>
#include <stdexcept>

#include "core/text.h"

namespace qbx::test {

bool Journal::has(const std::string& event) const {
    return std::find(events.begin(), events.end(), event) != events.end();
}

std::size_t Journal::count(const std::string& prefix) const {
    return static_cast<std::size_t>(std::count_if(events.begin(), events.end(), [&](const auto& e) {
        return e.compare(0, prefix.size(), prefix) == 0;
    }));
}

namespace {

using JournalPtr = std::shared_ptr<Journal>;

class FakeStatisticsItem : public StatisticsItem {
public:
    FakeStatisticsItem(JournalPtr j, int index) : j_(std::move(j)), tag_("mad" + decimal(index)) {}
    ~FakeStatisticsItem() override { j_->add(tag_ + " destroyed"); }
    void storeIfChanged() override { j_->add(tag_ + " stored"); }
    void sortIfChanged() override { j_->add(tag_ + " sorted"); }
    void setSortByCount(bool byCount) override {
        j_->add(tag_ + (byCount ? " sort by count" : " sort by key"));
    }
    void switchCheckOff() override { j_->add(tag_ + " check off"); }

private:
    JournalPtr j_;
    std::string tag_;
};

class FakeTray : public TrayModule {
public:
    FakeTray(JournalPtr j, bool failHide) : j_(std::move(j)), failHide_(failHide) {}
    ~FakeTray() override { j_->add("tray destroyed"); }
    void installExceptionHandler() override { j_->add("tray exception handler on"); }
    void removeExceptionHandler() override { j_->add("tray exception handler off"); }
    void clearMessageHandler() override { j_->add("tray message handler off"); }
    void setTrayVisible(bool visible) override {
        if (!visible && failHide_) throw std::runtime_error("tray gone");
        visible_ = visible;
        j_->add(visible ? "tray shown" : "tray hidden");
    }
    bool trayVisible() const override { return visible_; }
    void setSetupItemCaption(const std::string& caption) override {
        j_->add("tray setup caption " + caption);
    }
    void showBalloon(const std::string& title, const std::string& text, int seconds) override {
        j_->add("balloon " + title + " | " + text + " | " + decimal(seconds));
    }
    void setMouseTracking(bool enabled) override {
        j_->add(enabled ? "mouse tracking on" : "mouse tracking off");
    }
    TrayMenu* trayMenu() override { return nullptr; }

private:
    JournalPtr j_;
    bool failHide_;
    bool visible_ = false;
};

class FakeDialog : public SettingsDialog {
public:
    explicit FakeDialog(JournalPtr j) : j_(std::move(j)) {}
    ~FakeDialog() override { j_->add("dialog destroyed"); }
    void showNonBlocking() override { j_->add("dialog shown"); }
    void killTimers() override { j_->add("dialog timers killed"); }
    void stopPlayerTimer() override { j_->add("dialog player timer off"); }
    void appendDebugLine(const std::string&) override { ++lines_; }
    UiComponent* components() override { return nullptr; }

private:
    JournalPtr j_;
    int lines_ = 0;
};

class FakePlayCount : public PlayCountList {
public:
    explicit FakePlayCount(JournalPtr j) : j_(std::move(j)) {}
    ~FakePlayCount() override { j_->add("top10 destroyed"); }
    void loadFromFile(const std::string& path) override { j_->add("top10 loaded " + path); }
    void saveToFile(const std::string& path) override { j_->add("top10 saved " + path); }
    std::int64_t countNodes() const override { return 3; }
    std::int64_t countEntries() const override { return 5; }

private:
    JournalPtr j_;
};

class FakeSplitFiles : public SplitFileList {
public:
    explicit FakeSplitFiles(JournalPtr j) : j_(std::move(j)) {}
    void deleteTempFiles() override { j_->add("split files deleted"); }

private:
    JournalPtr j_;
};

class FakeScripting : public ScriptingHost {
public:
    explicit FakeScripting(JournalPtr j) : j_(std::move(j)) {}
    void stop() override { j_->add("scripting stopped"); }
    std::string scriptNameList() const override { return "a\r\nb\r\n"; }

private:
    JournalPtr j_;
};

class FakeSplash : public SplashWindow {
public:
    explicit FakeSplash(JournalPtr j) : j_(std::move(j)) {}
    void setStage(const std::string& text) override { j_->add("splash " + text); }
    void close() override { j_->add("splash closed"); }

private:
    JournalPtr j_;
};

class FakeRecipients : public RecipientFilter {
public:
    explicit FakeRecipients(JournalPtr j) : j_(std::move(j)) {}
    ~FakeRecipients() override { j_->add("recipient filter freed"); }

private:
    JournalPtr j_;
};

}  // namespace

void installFakeSubsystems(Plugin& plugin, JournalPtr journal, FakeSubsystemOptions options) {
    Factories& f = plugin.factories;
    f.recipientFilter = [journal](Plugin&) {
        journal->add("recipient filter created");
        return std::make_unique<FakeRecipients>(journal);
    };
    f.splash = [journal](Plugin&) {
        journal->add("splash created");
        return std::make_unique<FakeSplash>(journal);
    };
    f.splitFiles = [journal](Plugin&) {
        journal->add("split files created");
        return std::make_unique<FakeSplitFiles>(journal);
    };
    f.scripting = [journal](Plugin&) {
        journal->add("scripting started");
        return std::make_unique<FakeScripting>(journal);
    };
    f.initAttachmentCompleter = [journal](Plugin&) { journal->add("attachment parts checked"); };
    f.trayModule = [journal, options](Plugin&) {
        journal->add("tray created");
        return std::make_unique<FakeTray>(journal, options.failingTrayHide);
    };
    f.statisticsItem = [journal, options](Plugin&, const std::string& base, int index)
        -> std::unique_ptr<StatisticsItem> {
        if (options.failingStatisticsItems.count(index))
            throw std::runtime_error("cannot open " + base + ".Stat");
        journal->add("mad" + decimal(index) + " created " + base);
        return std::make_unique<FakeStatisticsItem>(journal, index);
    };
    f.settingsDialog = [journal, options](Plugin&) -> std::unique_ptr<SettingsDialog> {
        if (options.failingSettingsDialog) throw std::runtime_error("no window");
        journal->add("dialog created");
        return std::make_unique<FakeDialog>(journal);
    };
    f.playCountList = [journal](Plugin&) {
        journal->add("top10 created");
        return std::make_unique<FakePlayCount>(journal);
    };
    f.updateSpamFrequencies = [journal](Plugin&) { journal->add("spam thresholds updated"); };
    f.updateTrafficInfo = [journal](Plugin&) { journal->add("traffic rules applied"); };
}

}  // namespace qbx::test
