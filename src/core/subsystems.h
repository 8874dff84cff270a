// What the start-up and shut-down need of the long-lived objects that the upper layers own
// (statistics, scripting, the tray module, the dialog, ...). Core owns these objects through
// the Plugin context but knows them only by these interfaces; each layer that builds one
// registers its factory in Plugin::factories. A factory left empty means "no such object":
// the step logs its line and finds nothing to act on.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/host_api.h"

namespace qbx {

struct Plugin;
class TrayMenu;
class UiComponent;

class StatisticsItem {
public:
    virtual ~StatisticsItem() = default;
    virtual void storeIfChanged() = 0;  // writes its file when its store is marked changed
    virtual void sortIfChanged() = 0;   // sorts when still marked changed; writes nothing
    virtual void setSortByCount(bool byCount) = 0;
    virtual void switchCheckOff() = 0;
};

class TrayModule {
public:
    virtual ~TrayModule() = default;
    virtual void installExceptionHandler() = 0;
    virtual void removeExceptionHandler() = 0;
    virtual void clearMessageHandler() = 0;
    virtual void setTrayVisible(bool visible) = 0;
    virtual bool trayVisible() const = 0;
    virtual void setSetupItemCaption(const std::string& caption) = 0;
    virtual void showBalloon(const std::string& title, const std::string& text, int seconds) = 0;
    virtual void setMouseTracking(bool enabled) = 0;
    virtual TrayMenu* trayMenu() = 0;  // for the language files
};

class SettingsDialog {
public:
    virtual ~SettingsDialog() = default;
    virtual void showNonBlocking() = 0;  // visible and in front, returns at once
    virtual void killTimers() = 0;
    virtual void stopPlayerTimer() = 0;
    virtual void appendDebugLine(const std::string& line) = 0;
    virtual UiComponent* components() = 0;  // the form, owner of every control
};

class PlayCountList {
public:
    virtual ~PlayCountList() = default;
    virtual void loadFromFile(const std::string& path) = 0;
    virtual void saveToFile(const std::string& path) = 0;
    virtual std::int64_t countNodes() const = 0;
    virtual std::int64_t countEntries() const = 0;
};

class SplitFileList {
public:
    virtual ~SplitFileList() = default;
    virtual void deleteTempFiles() = 0;
};

class ScriptingHost {
public:
    virtual ~ScriptingHost() = default;
    virtual void stop() = 0;
    // Stored script names, one a line (CR LF), for the macro list.
    virtual std::string scriptNameList() const = 0;
};

class SplashWindow {
public:
    virtual ~SplashWindow() = default;
    virtual void setStage(const std::string& text) = 0;
    virtual void close() = 0;
};

class RecipientFilter {
public:
    virtual ~RecipientFilter() = default;
};

struct Factories {
    std::function<std::unique_ptr<RecipientFilter>(Plugin&)> recipientFilter;
    std::function<std::unique_ptr<SplashWindow>(Plugin&)> splash;
    std::function<std::unique_ptr<SplitFileList>(Plugin&)> splitFiles;
    std::function<std::unique_ptr<ScriptingHost>(Plugin&)> scripting;
    std::function<void(Plugin&)> initAttachmentCompleter;
    std::function<std::unique_ptr<TrayModule>(Plugin&)> trayModule;
    std::function<std::unique_ptr<StatisticsItem>(Plugin&, const std::string& baseName, int index)>
        statisticsItem;
    std::function<std::unique_ptr<SettingsDialog>(Plugin&)> settingsDialog;
    std::function<std::unique_ptr<PlayCountList>(Plugin&)> playCountList;
    std::function<void(Plugin&)> updateSpamFrequencies;
    std::function<void(Plugin&)> updateTrafficInfo;
    // The mail entry points; empty: no score (-1), nothing trained.
    std::function<std::int32_t(Plugin&, std::intptr_t context, HostDataCallback)> getSpamScore;
    std::function<void(Plugin&, std::intptr_t context, std::int32_t isSpam, HostDataCallback)>
        feedSpam;
};

inline constexpr int kStatItemCount = 16;
inline constexpr std::array<const char*, kStatItemCount> kStatItemNames = {
    "Words",     "Charsets", "Mailers",     "Recipients",    "Senders",  "temp2",
    "Spam",      "NonSpam",  "Madrawtraffic", "Traffic",     "Sender_IP", "SenderNames",
    "RecipientName", "DialUp", "Sender_Server", "Servers"};

}  // namespace qbx
