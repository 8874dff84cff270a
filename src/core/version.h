// Product identity texts. The plain version number also stands inside other fixed texts
// (log header, restart caption, second-host record); those are constants of their own.
#pragma once

#include <string_view>

namespace qbx {

inline constexpr std::string_view kProductName = "Quilbex";
inline constexpr std::string_view kVersionText = "2.4.1202 Summer edition";
inline constexpr std::string_view kVersionNumber = "2.4.1202";
inline constexpr std::string_view kBuildLine = "Build: 24.06.2005 1:49:41";
inline constexpr std::string_view kModuleFileName = "QBX.tbp";

}  // namespace qbx
