// How the start-up builds the upper layers' objects. The composition root (win/compose.cpp)
// fills these as each layer is built; a factory left empty means "no such object": the step
// logs its line and finds nothing to act on. Only the ports' names are needed here: each user
// of an object includes the one port it calls (core/ports/).
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace qbx {

struct Plugin;
class PlayCountList;
class RecipientFilter;
class ScriptingHost;
class SettingsDialog;
class SplashWindow;
class SplitFileList;
class StatisticsItem;
class TrayModule;

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
    std::function<void(Plugin&)> updateTrafficInfo;
};

}  // namespace qbx
