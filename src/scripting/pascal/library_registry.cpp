// TRegistry: objects that open a key of a root and read and write its values, with Delphi's
// answers and exceptions. An object is a number the script holds; the objects themselves live
// in a table of the environment, bounded in number, until the script frees them.
#include <algorithm>
#include <memory>
#include <vector>

#include "base/text.h"
#include "platform/script_registry.h"
#include "scripting/pascal/library_support.h"

namespace qbx::scripting::pascal::library {

namespace {

constexpr std::size_t kMaxObjects = 64;
constexpr std::size_t kMaxKeyText = 16383;

// Windows' root handles as Delphi's constants give them.
struct RootRow {
    std::string_view name;
    std::int64_t value;
    RegistryRoot root;
};

constexpr RootRow kRoots[] = {
    {"HKEY_CLASSES_ROOT", 0x80000000, RegistryRoot::ClassesRoot},
    {"HKEY_CURRENT_USER", 0x80000001, RegistryRoot::CurrentUser},
    {"HKEY_LOCAL_MACHINE", 0x80000002, RegistryRoot::LocalMachine},
    {"HKEY_USERS", 0x80000003, RegistryRoot::Users},
    {"HKEY_PERFORMANCE_DATA", 0x80000004, RegistryRoot::PerformanceData},
    {"HKEY_CURRENT_CONFIG", 0x80000005, RegistryRoot::CurrentConfig},
    {"HKEY_DYN_DATA", 0x80000006, RegistryRoot::DynData},
};

struct RegistryObject {
    std::int64_t rootKey = 0x80000001;
    bool open = false;
    bool readOnly = false;
    std::string currentPath;
};

struct State {
    RuntimeServices services;
    HandleTable<RegistryObject, kMaxObjects> objects;

    ScriptRegistry& registry() const { return need(services.scriptRegistry, "The registry"); }
};

[[noreturn]] void registryError(const std::string& message) {
    throw RuntimeError(message, "ERegistryException");
}

RegistryObject& objectOf(const Value& v, State& s) {
    RegistryObject* object = s.objects.find(v.isInteger() ? v.integer() : 0);
    if (object == nullptr)
        throw RuntimeError("Access violation: the TRegistry object is nil or freed",
                           "EAccessViolation");
    return *object;
}

std::optional<RegistryRoot> rootOf(std::int64_t value) {
    for (const RootRow& row : kRoots)
        if (row.value == value) return row.root;
    return std::nullopt;
}

std::string textArg(const Value& v) {
    std::string h;
    return std::string(stringArg(v, h));
}

// Where a key named by the script lies: below the open key unless it starts with "\", as
// Delphi's relative keys do. Nothing for a name no key can have.
std::optional<std::string> keyPath(const RegistryObject& o, const Value& v) {
    const std::string key = textArg(v);
    if (key.size() > kMaxKeyText || key.find('\0') != std::string::npos) return std::nullopt;
    const bool relative = key.empty() || key.front() != '\\';
    std::string path(registryKeyPath(key));
    if (relative && o.open && !o.currentPath.empty())
        path = path.empty() ? o.currentPath : o.currentPath + "\\" + path;
    return path;
}

Value create(Args, CallContext&, State& s) {
    const std::int64_t handle = s.objects.keep(std::make_unique<RegistryObject>());
    if (handle == 0)
        throw RuntimeError("Too many TRegistry objects: Free the ones that are done",
                           "EOutOfResources");
    return Value(handle);
}

// Free of nil does nothing, as in Delphi.
Value free(Args a, CallContext&, State& s) {
    s.objects.release(a[0].isInteger() ? a[0].integer() : 0);
    return Value();
}

// RootKey reads with the object alone and is set with a value; a new root closes the key.
Value rootKey(Args a, CallContext&, State& s) {
    RegistryObject& o = objectOf(a[0], s);
    if (a.size() == 1) return Value(o.rootKey);
    const std::int64_t value = a[1].toInteger() & 0xFFFFFFFF;
    if (value != o.rootKey) {
        o.open = false;
        o.currentPath.clear();
    }
    o.rootKey = value;
    return Value();
}

Value currentPath(Args a, CallContext&, State& s) { return Value(objectOf(a[0], s).currentPath); }

std::optional<RegistryRoot> rootOfObject(const RegistryObject& o) { return rootOf(o.rootKey); }

bool openKey(RegistryObject& o, const Value& key, bool canCreate, bool readOnly, State& s) {
    const auto path = keyPath(o, key);
    const auto root = rootOfObject(o);
    if (!path || !root) return false;
    const bool there = s.registry().keyExists(*root, *path) ||
                       (canCreate && !path->empty() && s.registry().createKey(*root, *path));
    if (!there) return false;
    o.open = true;
    o.readOnly = readOnly;
    o.currentPath = *path;
    return true;
}

Value openKeyFn(Args a, CallContext&, State& s) {
    RegistryObject& o = objectOf(a[0], s);
    const bool canCreate = a[2].kind() == Kind::Boolean ? a[2].boolean() : a[2].toInteger() != 0;
    return Value(openKey(o, a[1], canCreate, false, s));
}

Value openKeyReadOnly(Args a, CallContext&, State& s) {
    return Value(openKey(objectOf(a[0], s), a[1], false, true, s));
}

Value closeKey(Args a, CallContext&, State& s) {
    RegistryObject& o = objectOf(a[0], s);
    o.open = false;
    o.readOnly = false;
    o.currentPath.clear();
    return Value();
}

Value createKey(Args a, CallContext&, State& s) {
    RegistryObject& o = objectOf(a[0], s);
    const auto path = keyPath(o, a[1]);
    const auto root = rootOfObject(o);
    if (!path || !root || path->empty() || !s.registry().createKey(*root, *path))
        registryError("Failed to create key " + textArg(a[1]).substr(0, 200));
    return Value(true);
}

Value deleteKey(Args a, CallContext&, State& s) {
    RegistryObject& o = objectOf(a[0], s);
    const auto path = keyPath(o, a[1]);
    const auto root = rootOfObject(o);
    return Value(path && root && !path->empty() && s.registry().deleteKey(*root, *path));
}

Value keyExists(Args a, CallContext&, State& s) {
    RegistryObject& o = objectOf(a[0], s);
    const auto path = keyPath(o, a[1]);
    const auto root = rootOfObject(o);
    return Value(path && root && s.registry().keyExists(*root, *path));
}

// The value of the open key; Missing when no key is open.
RegData readValue(const RegistryObject& o, const std::string& name, State& s) {
    const auto root = rootOfObject(o);
    if (!o.open || !root || name.size() > kMaxKeyText) return {};
    return s.registry().read(*root, o.currentPath, name);
}

Value valueExists(Args a, CallContext&, State& s) {
    return Value(readValue(objectOf(a[0], s), textArg(a[1]), s).kind != RegDataKind::Missing);
}

Value deleteValue(Args a, CallContext&, State& s) {
    RegistryObject& o = objectOf(a[0], s);
    const auto root = rootOfObject(o);
    const std::string name = textArg(a[1]);
    return Value(o.open && !o.readOnly && root &&
                 s.registry().deleteValue(*root, o.currentPath, name));
}

std::string quoted(const std::string& name) { return "'" + name.substr(0, 200) + "'"; }

// A missing value reads as ''; a value of another type is Delphi's error.
Value readString(Args a, CallContext&, State& s) {
    const std::string name = textArg(a[1]);
    RegData data = readValue(objectOf(a[0], s), name, s);
    if (data.kind == RegDataKind::Missing) return Value("");
    if (data.kind != RegDataKind::Text) registryError("Invalid data type for " + quoted(name));
    return Value(std::move(data.text));
}

std::int32_t readNumber(const Value& object, const std::string& name, State& s) {
    const RegData data = readValue(objectOf(object, s), name, s);
    if (data.kind == RegDataKind::Missing) registryError("Failed to get data for " + quoted(name));
    if (data.kind != RegDataKind::Integer) registryError("Invalid data type for " + quoted(name));
    return data.number;
}

Value readInteger(Args a, CallContext&, State& s) {
    return Value(static_cast<std::int64_t>(readNumber(a[0], textArg(a[1]), s)));
}

Value readBool(Args a, CallContext&, State& s) {
    return Value(readNumber(a[0], textArg(a[1]), s) != 0);
}

template <typename Write>
Value writeValue(const Value& object, const std::string& name, State& s, Write write) {
    RegistryObject& o = objectOf(object, s);
    const auto root = rootOfObject(o);
    if (!o.open || o.readOnly || !root || name.size() > kMaxKeyText || !write(*root, o.currentPath))
        registryError("Failed to set data for " + quoted(name));
    return Value();
}

Value writeString(Args a, CallContext&, State& s) {
    const std::string name = textArg(a[1]);
    const std::string text = textArg(a[2]);
    return writeValue(a[0], name, s, [&](RegistryRoot root, const std::string& key) {
        return s.registry().writeText(root, key, name, text);
    });
}

Value writeNumber(const Value& object, const std::string& name, std::int64_t value, State& s) {
    return writeValue(object, name, s, [&](RegistryRoot root, const std::string& key) {
        return s.registry().writeInteger(root, key, name, static_cast<std::int32_t>(value));
    });
}

Value writeInteger(Args a, CallContext&, State& s) {
    return writeNumber(a[0], textArg(a[1]), a[2].toInteger(), s);
}

Value writeBool(Args a, CallContext&, State& s) {
    const bool on = a[2].kind() == Kind::Boolean ? a[2].boolean() : a[2].toInteger() != 0;
    return writeNumber(a[0], textArg(a[1]), on ? 1 : 0, s);
}

struct MethodRow {
    std::string_view name;
    int minArgs;  // the object included
    int maxArgs;
    Value (*function)(Args, CallContext&, State&);
};

constexpr MethodRow kMethods[] = {
    {"Create", 1, 2, create},           {"Free", 1, 1, free},
    {"RootKey", 1, 2, rootKey},         {"CurrentPath", 1, 1, currentPath},
    {"OpenKey", 3, 3, openKeyFn},       {"OpenKeyReadOnly", 2, 2, openKeyReadOnly},
    {"CloseKey", 1, 1, closeKey},       {"CreateKey", 2, 2, createKey},
    {"DeleteKey", 2, 2, deleteKey},     {"KeyExists", 2, 2, keyExists},
    {"ValueExists", 2, 2, valueExists}, {"DeleteValue", 2, 2, deleteValue},
    {"ReadString", 2, 2, readString},   {"WriteString", 3, 3, writeString},
    {"ReadInteger", 2, 2, readInteger}, {"WriteInteger", 3, 3, writeInteger},
    {"ReadBool", 2, 2, readBool},       {"WriteBool", 3, 3, writeBool},
};

}  // namespace

void addRegistryClass(Environment& environment, const RuntimeServices& services) {
    auto state = std::make_shared<State>();
    state->services = services;
    environment.addObjectClass("TRegistry");
    for (const MethodRow& row : kMethods) {
        auto* function = row.function;
        environment.addFunction(
            "TRegistry." + std::string(row.name), row.minArgs, row.maxArgs,
            [function, state](Args a, CallContext& c) { return function(a, c, *state); });
    }
    for (const RootRow& row : kRoots) environment.addConstant(row.name, Value(row.value));
    environment.addConstant("KEY_READ", Value(std::int64_t{0x20019}));
    environment.addConstant("KEY_WRITE", Value(std::int64_t{0x20006}));
    environment.addConstant("KEY_ALL_ACCESS", Value(std::int64_t{0xF003F}));
}

}  // namespace qbx::scripting::pascal::library
