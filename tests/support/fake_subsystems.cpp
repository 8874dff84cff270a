#include "support/fake_subsystems.h"

#include <stdexcept>

#include "base/text.h"

namespace qbx::test {

namespace {

using JournalPtr = std::shared_ptr<Journal>;

// One fake plays every object (no two interfaces share a member name): each call writes
// "<tag> <what>" to the journal, and the destructor "<tag> <freed>" when freed is given.
class Fake final : public StatisticsItem,
                   public TrayModule,
                   public SettingsDialog,
                   public PlayCountList,
                   public SplitFileList,
                   public ScriptingHost,
                   public SplashWindow,
                   public RecipientFilter,
                   public SpamFilter {
public:
    Fake(JournalPtr j, std::string tag, std::string freed, bool failHide = false)
        : j_(std::move(j)), tag_(std::move(tag)), freed_(std::move(freed)), failHide_(failHide) {}
    ~Fake() override {
        if (!freed_.empty()) add(freed_);
    }
    void storeIfChanged() override { add("stored"); }
    void sortIfChanged() override { add("sorted"); }
    void setSortByCount(bool byCount) override { add(byCount ? "sort by count" : "sort by key"); }
    void switchCheckOff() override { add("check off"); }
    void installExceptionHandler() override { add("exception handler on"); }
    void removeExceptionHandler() override { add("exception handler off"); }
    void clearMessageHandler() override { add("message handler off"); }
    void setTrayVisible(bool visible) override {
        if (!visible && failHide_) throw std::runtime_error("tray gone");
        visible_ = visible;
        add(visible ? "shown" : "hidden");
    }
    bool trayVisible() const override { return visible_; }
    void setSetupItemCaption(const std::string& text) override { add("setup caption " + text); }
    void showBalloon(const std::string& title, const std::string& text, int seconds) override {
        j_->add("balloon " + title + " | " + text + " | " + decimal(seconds));
    }
    void setMouseTracking(bool on) override {
        j_->add(on ? "mouse tracking on" : "mouse tracking off");
    }
    TrayMenu* trayMenu() override { return nullptr; }
    void showNonBlocking() override { add("shown"); }
    void killTimers() override { add("timers killed"); }
    void stopPlayerTimer() override { add("player timer off"); }
    void appendDebugLine(const std::string&) override {}
    UiComponent* components() override { return nullptr; }
    void loadFromFile(const std::string& path) override { add("loaded " + path); }
    void saveToFile(const std::string& path) override { add("saved " + path); }
    std::int64_t countNodes() const override { return 3; }
    std::int64_t countEntries() const override { return 5; }
    void deleteTempFiles() override { add("deleted"); }
    void stop() override { add("stopped"); }
    std::string scriptNameList() const override { return "a\r\nb\r\n"; }
    void setStage(const std::string& text) override { add(text); }
    void close() override { add("closed"); }
    void updateThresholds() override { j_->add("spam thresholds updated"); }

private:
    void add(const std::string& what) const { j_->add(tag_ + " " + what); }
    JournalPtr j_;
    std::string tag_, freed_;
    bool failHide_, visible_ = false;
};

// A factory that notes the creation and builds the fake.
auto maker(const JournalPtr& j, const char* created, const char* tag, const char* freed = "",
           bool failHide = false) {
    return [=](Plugin&) {
        j->add(created);
        return std::make_unique<Fake>(j, tag, freed, failHide);
    };
}

}  // namespace

void installFakeSubsystems(Plugin& plugin, JournalPtr journal, FakeSubsystemOptions options) {
    Factories& f = plugin.factories;
    const auto note = [journal](const char* what) { return [=](Plugin&) { journal->add(what); }; };
    f.recipientFilter = maker(journal, "recipient filter created", "recipient filter", "freed");
    f.splash = maker(journal, "splash created", "splash");
    f.splitFiles = maker(journal, "split files created", "split files");
    f.scripting = maker(journal, "scripting started", "scripting");
    f.trayModule = maker(journal, "tray created", "tray", "destroyed", options.failingTrayHide);
    f.playCountList = maker(journal, "top10 created", "top10", "destroyed");
    f.initAttachmentCompleter = note("attachment parts checked");
    f.updateTrafficInfo = note("traffic rules applied");
    f.statisticsItem = [=](Plugin&, const std::string& base,
                           int index) -> std::unique_ptr<StatisticsItem> {
        if (options.failingStatisticsItems.count(index))
            throw std::runtime_error("cannot open " + base + ".Stat");
        journal->add("mad" + decimal(index) + " created " + base);
        return std::make_unique<Fake>(journal, "mad" + decimal(index), "destroyed");
    };
    f.settingsDialog = [=](Plugin&) -> std::unique_ptr<SettingsDialog> {
        if (options.failingSettingsDialog) throw std::runtime_error("no window");
        journal->add("dialog created");
        return std::make_unique<Fake>(journal, "dialog", "destroyed");
    };
    plugin.spamFilter = std::make_unique<Fake>(journal, "spam filter", "");
}

}  // namespace qbx::test
