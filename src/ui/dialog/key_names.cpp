#include "ui/dialog/key_names.h"

#include <array>

#include "base/cp1251.h"

namespace qbx::ui {
namespace {

// clang-format off
constexpr auto kRows = std::to_array<KeyNameRow>({
    {0, "Do not use"}, {1, "Left mouse button"}, {2, "Right mouse button"},
    {3, "Control-break processing"}, {4, "Middle mouse button (three-button mouse)"},
    {5, "X1 mouse button"}, {6, "X2 mouse button"}, {8, "BACKSPACE key"}, {9, "TAB key"},
    {12, "CLEAR key"}, {13, "ENTER key"}, {16, "SHIFT key"}, {17, "CTRL key"}, {18, "ALT key"},
    {19, "PAUSE key"}, {20, "CAPS LOCK key"}, {21, "IME Kana mode"}, {23, "IME Junja mode"},
    {24, "IME final mode"}, {25, "IME Kanji mode"}, {27, "ESC key"}, {28, "IME convert"},
    {29, "IME nonconvert"}, {30, "IME accept"}, {31, "IME mode change request"}, {32, "SPACEBAR"},
    {33, "PAGE UP key"}, {34, "PAGE DOWN key"}, {35, "END key"}, {36, "HOME key"},
    {37, "LEFT ARROW key"}, {38, "UP ARROW key"}, {39, "RIGHT ARROW key"}, {40, "DOWN ARROW key"},
    {41, "SELECT key"}, {42, "PRINT key"}, {43, "EXECUTE key"}, {44, "PRINT SCREEN key"},
    {45, "INS key"}, {46, "DEL key"}, {47, "HELP key"}, {48, "0 key"}, {49, "1 key"},
    {50, "2 key"}, {51, "3 key"}, {52, "4 key"}, {53, "5 key"}, {54, "6 key"}, {55, "7 key"},
    {56, "8 key"}, {57, "9 key"}, {65, "A/Ф key"}, {66, "B/И key"}, {67, "C/С key"},
    {68, "D/В key"}, {69, "E/У key"}, {70, "F/А key"}, {71, "G/П key"}, {72, "H/Р key"},
    {73, "I/Ш key"}, {74, "J/О key"}, {75, "K/Л key"}, {76, "L/Д key"}, {77, "M/Ь key"},
    {78, "N/Т key"}, {79, "O/Щ key"}, {80, "P/З key"}, {81, "Q/Й key"}, {82, "R/К key"},
    {83, "S/Ы key"}, {84, "T/Е key"}, {85, "U/Г key"}, {86, "V/М key"}, {87, "W/Ц key"},
    {88, "X/Ч key"}, {89, "Y/Н key"}, {90, "Z/Я key"}, {91, "Left Windows key"},
    {92, "Right Windows key"}, {93, "Applications key"}, {95, "Computer Sleep key"},
    {96, "Numeric keypad 0 key"}, {97, "Numeric keypad 1 key"}, {98, "Numeric keypad 2 key"},
    {99, "Numeric keypad 3 key"}, {100, "Numeric keypad 4 key"}, {101, "Numeric keypad 5 key"},
    {102, "Numeric keypad 6 key"}, {103, "Numeric keypad 7 key"}, {104, "Numeric keypad 8 key"},
    {105, "Numeric keypad 9 key"}, {106, "Multiply key"}, {107, "Add key"}, {108, "Separator key"},
    {109, "Subtract key"}, {110, "Decimal key"}, {111, "Divide key"}, {112, "F1 key"},
    {113, "F2 key"}, {114, "F3 key"}, {115, "F4 key"}, {116, "F5 key"}, {117, "F6 key"},
    {118, "F7 key"}, {119, "F8 key"}, {120, "F9 key"}, {121, "F10 key"}, {122, "F11 key"},
    {123, "F12 key"}, {124, "F13 key"}, {125, "F14 key"}, {126, "F15 key"}, {127, "F16 key"},
    {128, "F17 key"}, {129, "F18 key"}, {130, "F19 key"}, {131, "F20 key"}, {132, "F21 key"},
    {133, "F22 key"}, {134, "F23 key"}, {135, "F24 key"}, {136, "Unassigned"}, {137, "Unassigned"},
    {138, "Unassigned"}, {139, "Unassigned"}, {140, "Unassigned"}, {141, "Unassigned"},
    {142, "Unassigned"}, {143, "Unassigned"}, {144, "NUM LOCK key"}, {145, "SCROLL LOCK key"},
    {160, "Left SHIFT key"}, {161, "Right SHIFT key"}, {162, "Left CONTROL key"},
    {163, "Right CONTROL key"}, {164, "Left MENU key"}, {165, "Right MENU key"},
    {166, "Browser Back key"}, {167, "Browser Forward key"}, {168, "Browser Refresh key"},
    {169, "Browser Stop key"}, {170, "Browser Search key"}, {171, "Browser Favorites key"},
    {172, "Browser Start and Home key"}, {173, "Volume Mute key"}, {174, "Volume Down key"},
    {175, "Volume Up key"}, {176, "Next Track key"}, {177, "Previous Track key"},
    {178, "Stop Media key"}, {179, "Play/Pause Media key"}, {180, "Start Mail key"},
    {181, "Select Media key"}, {182, "Start Application 1 key"}, {183, "Start Application 2 key"},
    {186, "';:' key"}, {187, "'+' key"}, {188, "',' key"}, {189, "'-' key"}, {190, "'.' key"},
    {191, "'/?' key"}, {192, "'`~' key"}, {219, "'[{' key"}, {220, "'\\|' key"}, {221, "']}' key"},
    {222, "'single-quote/double-quote' key"},
    {226, "Angle bracket or backslash key on the 102-key keyboard"}, {229, "IME PROCESS key"},
    {231, "PACKET key"}, {246, "Attn key"}, {247, "CrSel key"}, {248, "ExSel key"},
    {249, "Erase EOF key"}, {250, "Play key"}, {251, "Zoom key"}, {253, "PA1 key"},
    {254, "Clear key"}, {255, "<Unused>"},});
// clang-format on

struct PlaceholderRange {
    int first, last;
    const char* name;
};

constexpr PlaceholderRange kPlaceholders[] = {
    {7, 7, "<Undefined>"},        {10, 11, "<Reserved>"},       {14, 15, "<Undefined>"},
    {22, 22, "<Undefined>"},      {26, 26, "<Undefined>"},      {58, 64, "<Undefined>"},
    {94, 94, "<Reserved>"},       {146, 150, "<OEM specific>"}, {151, 159, "<Unassigned>"},
    {184, 185, "<Reserved>"},     {193, 215, "<Reserved>"},     {216, 218, "<Unassigned>"},
    {223, 223, "<OEM specific>"}, {224, 224, "<Reserved>"},     {225, 225, "<OEM specific>"},
    {227, 228, "<OEM specific>"}, {230, 230, "<OEM specific>"}, {232, 232, "<Unassigned>"},
    {233, 245, "<OEM specific>"}, {252, 252, "<Reserved>"},
};

std::vector<std::string> buildNames() {
    std::vector<std::string> names(kKeyCodeCount);
    for (const PlaceholderRange& range : kPlaceholders)
        for (int code = range.first; code <= range.last; ++code)
            names[static_cast<std::size_t>(code)] = range.name;
    for (const KeyNameRow& row : kRows)
        names[static_cast<std::size_t>(row.code)] = utf8ToCp1251(row.name);
    return names;
}

}  // namespace

std::span<const KeyNameRow> keyNameRows() { return kRows; }

const std::vector<std::string>& keyNames() {
    static const std::vector<std::string> names = buildNames();
    return names;
}

std::string keyName(int code) {
    if (code < 0 || code >= kKeyCodeCount) return {};
    return keyNames()[static_cast<std::size_t>(code)];
}

}  // namespace qbx::ui
