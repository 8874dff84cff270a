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
    std::int32_t keysf1 = 0;
    std::int32_t keysf2 = 0;
    std::int32_t keysf3 = 0;
    std::int32_t sortmode = 0;
    std::uint16_t stYear = 0;  // period start; defaults are the fields of "now"
    std::int32_t ucInterval = 14;
    std::uint16_t stDay = 0;
    std::uint16_t stMonth = 0;
    std::uint16_t stHour = 0;
    std::uint16_t stMin = 0;
    std::uint16_t stMinLen = 5;
    std::uint16_t stSec = 0;
    std::uint16_t stMsec = 0;
    std::int32_t stLetterCount = 1;
    std::int32_t onlineTime = 0;  // "OnlineTime", seconds
    std::int64_t stStartCount = 1;
    std::int32_t traymode = 2;
    std::int64_t stEndCount = 1;
    std::int64_t stTotalSize = 0;
    std::int32_t tun = 1;
    std::int64_t stHeaderSize = 0;
    std::int32_t osc = 0;
    std::int64_t stTextSize = 0;
    std::int64_t stSessionsLength = 1;
    std::int32_t logLevel = 5;  // "Log level": kept, not used
    bool dumpStatistics = false;
    std::uint16_t mmWidth = 320;
    std::int32_t compressionLevel = 3;
    std::uint16_t mmHeight = 240;
    bool uuec = true;
    bool enableAntispam = false;
    bool useTop10 = false;
    bool splashmode = false;
    bool doTrim = false;
    bool doNum = false;
    bool doExt = false;
    bool updateStatisticsAfterReceive = false;
    bool enableOsd = false;  // "Enable on-screen debug display"
    bool stSortMode = true;
    bool gkWin = true;
    bool gkAlt = false;
    bool gkShift = false;
    bool gkCtrl = true;
    std::int32_t gkKey = 113;  // F2; 0 = no hot key
    bool sthb = true;
    bool sMouseTracking = false;
    std::string viewerVersion;  // "version" in the viewer key
    bool sWATracking = true;
    std::string programDir;      // host's "ProgramDir", expanded
    std::string hostWorkingDir;  // host's "Working Directory", expanded
    std::string installDir;      // "InstallDir"
    std::string viewerFilename;  // "filename" in the viewer key; empty when missing
    std::string customDateFormat = "d/mm/yy hh:nn";
    std::string sLangFile = "english.zlf";
    std::string statDir;
    std::string ucDir;                            // "UCdir"
    std::string madMask = "$$year.$$month.unix";  // "The MAD mask"
    bool madBackupEnabled = false;
    bool lookForRecipients = false;
    bool madIgnoreSpecific = false;  // "MAD ignore specific strings"
    std::string madIgnoreString;     // "The MAD ignore string"
    std::uint8_t stbKind = 0;
    std::uint8_t sttKind = 0;
    bool igquotes = true;
    bool iglatin = false;
    bool igcyrillic = false;
    bool noigspam = true;
    std::int32_t statisticsFlags = 0;  // "Statistics Flags" as SaveSettings writes it
    std::string scriptingDir;

    // ---- derived for this run ----
    std::int32_t madFlags = 0;    // the working copy of "Statistics Flags"
    bool antispamActive = false;  // "Enable antispam" and the NonSpam bit of madFlags
    bool needsRestart = false;    // disabled mode: no installation folder

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
