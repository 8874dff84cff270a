// The mail client as the module sees it: its registry values, its plug-in list, the loaded
// module with its exports, and the way it expands templates.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/host_api.h"
#include "item_table.h"
#include "platform/process.h"

namespace qbxhost {

struct Exports {
    using Void = void(QBX_STDCALL*)();
    using Int = std::int32_t(QBX_STDCALL*)();
    using Text = std::int32_t(QBX_STDCALL*)(char*, std::int32_t);
    using ExecMacro = std::int32_t(QBX_STDCALL*)(const char*, std::int32_t, qbx::ITBPDataProvider*,
                                                 qbx::ITBPDataProvider*);
    Void initialize = nullptr;
    Void finalize = nullptr;
    Int setup = nullptr;
    Text getName = nullptr;
    Text getVersion = nullptr;
    Text getInfo = nullptr;
    Text getMacroList = nullptr;
    Int getStatus = nullptr;
    Int needConfig = nullptr;
    Int needCom = nullptr;
    using SpamScore = std::int32_t(QBX_STDCALL*)(std::intptr_t, qbx::HostDataCallback);
    using FeedSpam = std::int32_t(QBX_STDCALL*)(std::intptr_t, std::int32_t, qbx::HostDataCallback);
    ExecMacro execMacro = nullptr;
    SpamScore getSpamScore = nullptr;
    FeedSpam feedSpam = nullptr;
};

// Fills the host's registry values and plug-in list below home (a folder of the machine), and
// points the process's temporary folder there, before the module is loaded.
void prepareHome(const std::string& home);

class Host {
public:
    // Loads the module; throws std::runtime_error with the reason when it cannot.
    explicit Host(const std::string& modulePath);
    ~Host();

    const Exports& exports() const { return exports_; }
    void* symbol(const std::string& name) { return library_->symbol(name); }
    void initialize();
    void finalize();
    // Frees the module (after TBP_Finalize when it was started); the exports are gone then.
    void unload();

    // A text export fetched the way the host does: a length query, then a read.
    static std::string fetchText(Exports::Text function);
    std::vector<std::string> macroNames() const;

    // The message the macros run on, and the containers of the calls. The module keeps the
    // latest pair until it is unloaded, so they live as long as the loaded module.
    ItemTable& data() { return data_; }

    // One macro call; returns the stored result (empty when nothing was stored).
    std::string callMacro(ItemTable& data, const std::string& name,
                          const std::vector<std::string>& arguments);
    // Expands %NAME and %NAME("arg","arg") for every name of the module's list; the host's own
    // %OATTACHMENTS gives "<none>", %ORCVTIME="..." and %ORCVDATEEN the message's receive time
    // ("hh:nn:ss" and "Tuesday, December 5, 2006"); other %-words stay as written.
    std::string expandTemplate(ItemTable& data, const std::string& text, int depth = 0);

private:
    ItemTable data_;  // declared before library_: destroyed after the module is freed
    ItemTable params_;
    std::unique_ptr<qbx::DynamicLibrary> library_;
    Exports exports_;
    std::set<std::string> knownNames_;  // the module's macro names, fetched once
    bool initialized_ = false;
};

}  // namespace qbxhost
