// File names, the tick count, message boxes and the registry. File names follow Delphi's
// rules for Windows: "\" and the drive's ":" end a folder, the extension starts at the last
// "." after them.
#include "base/text.h"
#include "scripting/pascal/library_support.h"

namespace qbx::scripting::pascal::library {

namespace {

constexpr std::size_t kMaxRegistryText = 16383;  // the longest key path or value name
constexpr std::size_t kMaxBoxText = 65535;

// Windows' values, so that scripts written for the system's MessageBox keep their numbers.
constexpr std::int64_t kIconError = 0x10;
constexpr std::int64_t kIconWarning = 0x30;
constexpr std::int64_t kIconInformation = 0x40;
constexpr std::int64_t kIdOk = 1;

std::size_t nameStart(std::string_view path) {
    const std::size_t at = path.find_last_of("\\:");
    return at == std::string_view::npos ? 0 : at + 1;
}

// Where the extension starts, or the end when the name has none.
std::size_t extensionStart(std::string_view path) {
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string_view::npos || dot < nameStart(path)) return path.size();
    return dot;
}

Value extractFileName(Args a, CallContext&, const RuntimeServices&) {
    std::string h;
    const std::string_view path = stringArg(a[0], h);
    return Value(path.substr(nameStart(path)));
}

Value extractFilePath(Args a, CallContext&, const RuntimeServices&) {
    std::string h;
    const std::string_view path = stringArg(a[0], h);
    return Value(path.substr(0, nameStart(path)));
}

Value extractFileExt(Args a, CallContext&, const RuntimeServices&) {
    std::string h;
    const std::string_view path = stringArg(a[0], h);
    return Value(path.substr(extensionStart(path)));
}

Value changeFileExt(Args a, CallContext& c, const RuntimeServices&) {
    std::string h1, h2;
    const std::string_view path = stringArg(a[0], h1);
    const std::string_view extension = stringArg(a[1], h2);
    const std::string_view stem = path.substr(0, extensionStart(path));
    c.checkLength(stem.size() + extension.size());
    return Value(std::string(stem) + std::string(extension));
}

Value getTickCount(Args, CallContext&, const RuntimeServices& s) {
    return Value(static_cast<std::int64_t>(need(s.clock, "The clock").tickCount()));
}

// The box offers OK alone, so every call answers IDOK; only the icon is taken from the flags.
// Scripts written against the system's own MessageBox pass an owner window first: with four
// arguments the first is that owner, which a box of ours does not need.
Value messageBox(Args a, CallContext&, const RuntimeServices& s) {
    if (a.size() == 4) a = a.subspan(1);
    std::string h1, h2;
    const std::string_view text = stringArg(a[0], h1);
    const std::string_view caption = a.size() > 1 ? stringArg(a[1], h2) : std::string_view();
    const std::int64_t flags = a.size() > 2 ? a[2].toInteger() : 0;
    MessageIcon icon = MessageIcon::Information;
    switch (flags & 0xF0) {
        case kIconError: icon = MessageIcon::Error; break;
        case kIconWarning: icon = MessageIcon::Warning; break;
        default: break;
    }
    need(s.ui, "The user interface")
        .messageBox(text.substr(0, kMaxBoxText), caption.substr(0, kMaxBoxText), icon);
    return Value(kIdOk);
}

// Keys are below HKEY_CURRENT_USER; a script may still name that root, but no other.
std::string_view registryKey(std::string_view key) {
    static constexpr std::string_view kRoots[] = {"HKEY_CURRENT_USER\\", "HKCU\\"};
    for (const std::string_view root : kRoots)
        if (key.size() >= root.size() && equalsIgnoreCase1251(key.substr(0, root.size()), root))
            key.remove_prefix(root.size());
    key = registryKeyPath(key);
    if (key.empty() || key.size() > kMaxRegistryText ||
        equalsIgnoreCase1251(key.substr(0, 5), "HKEY_"))
        throw RuntimeError("Invalid registry key '" + std::string(key.substr(0, 200)) + "'",
                           "ERegistryException");
    return key;
}

std::string_view registryName(std::string_view name) {
    if (name.size() > kMaxRegistryText)
        throw RuntimeError("Invalid registry value name", "ERegistryException");
    return name;
}

// A missing value, or one that is not text, gives the default, as the settings loader reads.
Value regReadString(Args a, CallContext&, const RuntimeServices& s) {
    std::string h1, h2, h3;
    const std::string_view key = registryKey(stringArg(a[0], h1));
    const std::string_view name = registryName(stringArg(a[1], h2));
    const std::string_view fallback = stringArg(a[2], h3);
    RegValue v = need(s.registry, "The registry").readString(key, name);
    if (v.status != RegStatus::Ok) return Value(fallback);
    return Value(std::move(v.text));
}

Value regWriteString(Args a, CallContext&, const RuntimeServices& s) {
    std::string h1, h2, h3;
    const std::string_view key = registryKey(stringArg(a[0], h1));
    const std::string_view name = registryName(stringArg(a[1], h2));
    const std::string_view value = stringArg(a[2], h3);
    if (!need(s.registry, "The registry").writeString(key, name, value))
        throw RuntimeError("Failed to set data for '" + std::string(name.substr(0, 200)) + "'",
                           "ERegistryException");
    return Value();
}

constexpr Row kRows[] = {
    {"ExtractFileName", 1, 1, 0, extractFileName}, {"ExtractFilePath", 1, 1, 0, extractFilePath},
    {"ExtractFileExt", 1, 1, 0, extractFileExt},   {"ChangeFileExt", 2, 2, 0, changeFileExt},
    {"GetTickCount", 0, 0, 0, getTickCount},       {"MessageBox", 1, 4, 0, messageBox},
    {"RegReadString", 3, 3, 0, regReadString},     {"RegWriteString", 3, 3, 0, regWriteString},
};

struct Constant {
    std::string_view name;
    std::int64_t value;
};

constexpr Constant kConstants[] = {
    {"MB_OK", 0},
    {"MB_ICONERROR", kIconError},
    {"MB_ICONHAND", kIconError},
    {"MB_ICONSTOP", kIconError},
    {"MB_ICONWARNING", kIconWarning},
    {"MB_ICONEXCLAMATION", kIconWarning},
    {"MB_ICONINFORMATION", kIconInformation},
    {"MB_ICONASTERISK", kIconInformation},
    {"IDOK", kIdOk},
};

}  // namespace

void addSystemFunctions(Environment& environment, const RuntimeServices& services) {
    addRows(environment, kRows, services);
    for (const Constant& c : kConstants) environment.addConstant(c.name, Value(c.value));
}

}  // namespace qbx::scripting::pascal::library
