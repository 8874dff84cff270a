// The module's settings: registry string values under HKEY_CURRENT_USER "Software\ZVX" (and
// "Software\ZVX\viewer"), held in memory under their value names while the module runs.
#pragma once

#include <cstdint>
#include <string>

#include "base/datetime.h"

namespace qbx {

class Log;
class StringTable;
struct Platform;

inline constexpr const char* kSettingsKey = "Software\\ZVX";
inline constexpr const char* kViewerKey = "Software\\ZVX\\viewer";
inline constexpr const char* kHostKey = "Software\\RIT\\The Bat!";

struct Settings {
    // ---- stored values, in the order LoadSettings reads them ----
    std::int32_t dialogChordKey1 = 0;
    std::int32_t dialogChordKey2 = 0;
    std::int32_t dialogChordKey3 = 0;
    std::int32_t passThroughSortMode = 0;
    std::uint16_t periodStartYear = 0;  // period start; defaults are the fields of "now"
    std::int32_t pendingPartsMaxAgeDays = 14;
    std::uint16_t periodStartDay = 0;
    std::uint16_t periodStartMonth = 0;
    std::uint16_t periodStartHour = 0;
    std::uint16_t periodStartMinute = 0;
    std::uint16_t spamMinWordLength = 5;
    std::uint16_t periodStartSecond = 0;
    std::uint16_t periodStartMillisecond = 0;
    std::int32_t messagesCounted = 1;
    std::int32_t onlineSeconds = 0;  // "OnlineTime", seconds
    std::int64_t startCount = 1;
    std::int32_t trayIconMode = 2;
    std::int64_t endCount = 1;
    std::int64_t totalBytes = 0;
    std::int32_t passThroughTun = 1;
    std::int64_t headerBytes = 0;
    std::int32_t dialUpConnectionsFinished = 0;
    std::int64_t bodyBytes = 0;
    std::int64_t totalSessionSeconds = 1;
    std::int32_t logLevel = 5;  // "Log level": kept, not used
    bool dumpStatistics = false;
    std::uint16_t monitorWidthMm = 320;
    std::int32_t compressionLevel = 3;
    std::uint16_t monitorHeightMm = 240;
    bool attachmentCompleterOn = true;
    bool enableAntispam = false;
    bool playCountListOn = false;
    bool showSplash = false;
    bool playCountTrimSpaces = false;
    bool playCountTrimNumbers = false;
    bool playCountTrimExtensions = false;
    bool updateStatisticsAfterReceive = false;
    bool monitorWindowOn = false;  // "Enable on-screen debug display"
    bool sortItemsByCount = true;
    bool hotKeyWin = true;
    bool hotKeyAlt = false;
    bool hotKeyShift = false;
    bool hotKeyCtrl = true;
    std::int32_t hotKeyCode = 113;  // F2; 0 = no hot key
    bool passThroughSthb = true;
    bool mouseTracking = false;
    std::string viewerVersion;  // "version" in the viewer key
    bool playerTracking = true;
    std::string programDir;      // host's "ProgramDir", expanded
    std::string hostWorkingDir;  // host's "Working Directory", expanded
    std::string installDir;      // "InstallDir"
    std::string viewerFilename;  // "filename" in the viewer key; empty when missing
    std::string customDateFormat = "d/mm/yy hh:nn";
    std::string languageFile = "english.zlf";
    std::string statisticsDir;
    std::string partsDir;                             // "UCdir"
    std::string mailboxMask = "$$year.$$month.unix";  // "The MAD mask"
    bool mailboxBackupOn = false;
    bool lookForRecipients = false;
    bool mailboxIgnoreOn = false;   // "MAD ignore specific strings"
    std::string mailboxIgnoreText;  // "The MAD ignore string"
    std::uint8_t sizeDisplayUnit = 0;
    std::uint8_t timeDisplayUnit = 0;
    bool dialogIgnoreQuotes = true;
    bool dialogIgnoreLatin = false;
    bool dialogIgnoreCyrillic = false;
    bool dialogNoIgnoreSpam = true;
    std::int32_t statisticsFlags = 0;  // "Statistics Flags" as SaveSettings writes it
    std::string scriptsDir;

    // ---- derived for this run ----
    std::int32_t enabledItems = 0;  // the working copy of "Statistics Flags"
    bool antispamActive = false;    // "Enable antispam" and the NonSpam bit of enabledItems
    bool needsRestart = false;      // disabled mode: no installation folder

    bool operator==(const Settings&) const = default;
};

// Environment of the loader: services and the log it writes its stages to.
struct SettingsIo {
    const Platform& platform;
    Log& log;
};

// LoadSettings: reads every value, derives the folders and flags of this run and decides the
// disabled mode (showing the restart message box). Throws only when the scripts folder cannot
// be created, as the start-up expects.
void loadSettings(Settings& settings, SettingsIo io);
// SaveSettings: writes every value in its fixed order; nothing in disabled mode.
void saveSettings(const Settings& settings, SettingsIo io);

// The working flags derived from a stored "Statistics Flags" value.
std::int32_t deriveMadFlags(std::int32_t storedFlags);

}  // namespace qbx
