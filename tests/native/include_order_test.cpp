// The folders of src/ include only folders below them: every #include of the tree is held
// against the table of the layers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Each folder and the folders it may include besides itself, bottom up.
const std::map<std::string, std::set<std::string>> kMayInclude = {
    {"base", {}},
    {"platform", {"base"}},
    {"core", {"base", "platform"}},
    {"macros", {"base", "platform", "core"}},
    {"mail", {"base", "platform"}},
    {"statistics", {"base", "platform", "core", "mail"}},
    {"scripting", {"base", "platform", "core", "macros"}},
    {"functions", {"base", "platform", "core", "macros", "mail", "statistics", "scripting"}},
    {"ui", {"base", "platform", "core", "macros", "mail", "statistics", "scripting", "functions"}},
    {"win",
     {"base", "platform", "core", "macros", "mail", "statistics", "scripting", "functions", "ui"}},
};

// "file: folder -> included folder" for every include of a folder of ours that the table does
// not allow, and for files in folders it does not know.
std::vector<std::string> upwardIncludes(const fs::path& src) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        if (!entry.is_regular_file()) continue;
        const std::string extension = entry.path().extension().string();
        if (extension != ".cpp" && extension != ".h") continue;
        const fs::path relative = fs::relative(entry.path(), src);
        const std::string from = relative.begin()->string();
        const auto allowed = kMayInclude.find(from);
        if (allowed == kMayInclude.end()) {
            found.push_back(relative.string() + ": folder " + from + " is no layer");
            continue;
        }
        std::ifstream in(entry.path());
        std::string line;
        while (std::getline(in, line)) {
            const auto start = line.find_first_not_of(" \t");
            if (start == std::string::npos || line.compare(start, 10, "#include \"") != 0) continue;
            const auto slash = line.find('/', start + 10);
            if (slash == std::string::npos) continue;
            const std::string to = line.substr(start + 10, slash - start - 10);
            if (to == from || kMayInclude.count(to) == 0) continue;
            if (allowed->second.count(to) == 0)
                found.push_back(relative.string() + ": " + from + " -> " + to);
        }
    }
    return found;
}

TEST(IncludeOrder, EveryFolderIncludesOnlyTheLayersBelowIt) {
    EXPECT_EQ(upwardIncludes(QBX_SOURCE_DIR), std::vector<std::string>{});
}

// Files outside the folders of the Win32 implementations that include windows.h.
std::vector<std::string> windowsHeaderOutsideWin32(const fs::path& src) {
    const auto allowed = [](const std::string& relative) {
        for (const char* folder : {"platform/win32/", "ui/win32/", "win/"})
            if (relative.starts_with(folder)) return true;
        return false;
    };
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        if (!entry.is_regular_file()) continue;
        const std::string extension = entry.path().extension().string();
        if (extension != ".cpp" && extension != ".h") continue;
        const std::string relative = fs::relative(entry.path(), src).generic_string();
        if (allowed(relative)) continue;
        std::ifstream in(entry.path());
        std::string line;
        while (std::getline(in, line)) {
            const auto start = line.find_first_not_of(" \t");
            if (start == std::string::npos || line.compare(start, 8, "#include") != 0) continue;
            std::string lower = line;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            if (lower.find("<windows.h>") != std::string::npos) found.push_back(relative);
        }
    }
    return found;
}

TEST(IncludeOrder, OnlyTheWin32FoldersIncludeWindowsH) {
    EXPECT_EQ(windowsHeaderOutsideWin32(QBX_SOURCE_DIR), std::vector<std::string>{});
}

TEST(IncludeOrder, WindowsHOutsideTheWin32FoldersIsFound) {
    const fs::path tree = fs::temp_directory_path() / "qbx-windows-header";
    fs::remove_all(tree);
    for (const char* folder : {"ui/win32", "ui/dialog", "core"})
        fs::create_directories(tree / folder);
    std::ofstream(tree / "ui" / "win32" / "view.cpp") << "#include <windows.h>\n";
    std::ofstream(tree / "ui" / "dialog" / "form.cpp") << "  #include <Windows.h>\n";
    std::ofstream(tree / "core" / "log.cpp") << "// <windows.h> is not needed here\n";
    const std::vector<std::string> found = windowsHeaderOutsideWin32(tree);
    fs::remove_all(tree);
    EXPECT_EQ(found, std::vector<std::string>{"ui/dialog/form.cpp"});
}

TEST(IncludeOrder, AnUpwardIncludeIsFound) {
    const fs::path tree = fs::temp_directory_path() / "qbx-include-order";
    fs::remove_all(tree);
    fs::create_directories(tree / "macros");
    fs::create_directories(tree / "base");
    std::ofstream(tree / "macros" / "engine.cpp") << "#include \"macros/engine.h\"\n"
                                                  << "#include \"base/text.h\"\n"
                                                  << "  #include \"functions/chain.h\"\n";
    std::ofstream(tree / "base" / "text.h") << "#include <string>\n#include \"core/plugin.h\"\n";
    std::vector<std::string> found = upwardIncludes(tree);
    std::sort(found.begin(), found.end());
    fs::remove_all(tree);
    EXPECT_EQ(found, (std::vector<std::string>{"base/text.h: base -> core",
                                               "macros/engine.cpp: macros -> functions"}));
}

}  // namespace
