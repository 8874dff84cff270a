// The engines "JScript" and "VBScript" hosted by ourselves: IActiveScript and
// IActiveScriptParse, with a site that offers no window, records the first error and stops the
// script at its deadline through the engine's interrupt poll, or through the loop guard where
// the engine never polls.
#include <windows.h>

#include <activscp.h>

#include <atomic>
#include <optional>

#include "platform/win32/active_script_ways.h"
#include "platform/win32/loop_guard_object.h"

namespace qbx::win32::active {
namespace {

// COM interfaces have no virtual destructor: objects go through Release, never delete.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class ScriptSite final : public IActiveScriptSite,
                         public IActiveScriptSiteWindow,
                         public IActiveScriptSiteInterruptPoll {
public:
    ScriptSite(ULONGLONG deadline, LoopGuardObject* guard) : deadline_(deadline) {
        if (guard != nullptr) {
            guard->AddRef();
            guard_ = ComPtr<LoopGuardObject>::adopt(guard);
        }
    }
    ScriptSite(const ScriptSite&) = delete;
    ScriptSite& operator=(const ScriptSite&) = delete;

    bool timedOut() const { return timedOut_ || (guard_ && guard_->stopped()); }
    // The first error the engine reported, if any.
    const std::optional<ErrorRecord>& error() const { return error_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(IActiveScriptSite)))
            *object = static_cast<IActiveScriptSite*>(this);
        else if (IsEqualIID(iid, __uuidof(IActiveScriptSiteWindow)))
            *object = static_cast<IActiveScriptSiteWindow*>(this);
        else if (IsEqualIID(iid, __uuidof(IActiveScriptSiteInterruptPoll)))
            *object = static_cast<IActiveScriptSiteInterruptPoll*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // IActiveScriptSite
    HRESULT STDMETHODCALLTYPE GetLCID(LCID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item,
                                          ITypeInfo** type) override {
        if (item != nullptr) *item = nullptr;
        if (type != nullptr) *type = nullptr;
        // The loop guard is the one named item we add; it has no type information.
        if (!guard_ || name == nullptr ||
            CompareStringOrdinal(name, -1, loopGuardItemName(), -1, TRUE) != CSTR_EQUAL)
            return TYPE_E_ELEMENTNOTFOUND;
        if ((mask & SCRIPTINFO_IUNKNOWN) != 0) {
            if (item == nullptr) return E_POINTER;
            guard_->AddRef();
            *item = static_cast<IDispatch*>(guard_.get());
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* failure) override {
        // The first error is the one the script failed with; later ones follow from it.
        if (failure == nullptr || error_) return S_OK;
        try {
            EXCEPINFO info{};
            if (SUCCEEDED(failure->GetExceptionInfo(&info)))
                error_ = takeError(info);
            else
                error_ = ErrorRecord{};
        } catch (...) {
            error_.reset();  // out of memory: the call's own code will do
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

    // IActiveScriptSiteWindow: we run inside the host's process and show nothing.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (window != nullptr) *window = nullptr;
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

    // IActiveScriptSiteInterruptPoll
    HRESULT STDMETHODCALLTYPE QueryContinue() override {
        if (GetTickCount64() < deadline_) return S_OK;
        timedOut_ = true;
        return S_FALSE;
    }

private:
    ~ScriptSite() = default;

    std::atomic<ULONG> references_{1};
    ULONGLONG deadline_;
    ComPtr<LoopGuardObject> guard_;
    bool timedOut_ = false;
    std::optional<ErrorRecord> error_;
};
#pragma GCC diagnostic pop

// Closes the engine however the run ends, so that it lets go of the site and the script.
class EngineScope {
public:
    explicit EngineScope(IActiveScript& engine) : engine_(engine) {}
    ~EngineScope() { engine_.Close(); }
    EngineScope(const EngineScope&) = delete;
    EngineScope& operator=(const EngineScope&) = delete;

private:
    IActiveScript& engine_;
};

WayResult failed(const ScriptSite& site, HRESULT hr, const ErrorRecord& record) {
    if (site.timedOut()) return {true, {false, std::string(kTimedOutText)}};
    // What the site heard of comes first: the call's own record may be the bare failure.
    const std::optional<ErrorRecord>& reported = site.error();
    if (reported && (!reported->description.empty() || record.description.empty()))
        return {true, {false, errorText(*reported, FAILED(record.code) ? record.code : hr)}};
    return {true, {false, errorText(record, hr)}};
}

}  // namespace

WayResult runDirect(BSTR source, ActiveLanguage language, std::span<const std::string> params,
                    const ActiveScriptOptions& options, LoopGuardObject* guard) {
    const wchar_t* progId = language == ActiveLanguage::VBScript ? L"VBScript" : L"JScript";
    const std::string name(languageName(language));
    CLSID id{};
    HRESULT hr = CLSIDFromProgID(progId, &id);
    ComPtr<IActiveScript> engine;
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IActiveScript),
                              engine.putVoid());
    if (FAILED(hr) || !engine)
        return {false,
                {false, "The " + name + " engine cannot be created (" + hresultText(hr) + ")"}};
    const auto parser = engine.as<IActiveScriptParse>();
    if (!parser) return {false, {false, "The " + name + " engine cannot parse scripts"}};

    auto* const site = new ScriptSite(GetTickCount64() + options.deadlineMs, guard);
    const auto siteHolder = ComPtr<ScriptSite>::adopt(site);
    const EngineScope scope(*engine);

    if (FAILED(hr = engine->SetScriptSite(site))) return failed(*site, hr, {});
    if (FAILED(hr = parser->InitNew())) return failed(*site, hr, {});
    if (guard != nullptr &&
        FAILED(hr = engine->AddNamedItem(loopGuardItemName(), SCRIPTITEM_ISVISIBLE)))
        return failed(*site, hr, {});
    if (FAILED(hr = engine->SetScriptState(SCRIPTSTATE_STARTED))) return failed(*site, hr, {});

    Variant result;
    EXCEPINFO exception{};
    const bool expression = language == ActiveLanguage::JScript;
    hr = parser->ParseScriptText(source, nullptr, nullptr, nullptr, 0, 0,
                                 expression ? SCRIPTTEXT_ISEXPRESSION : 0,
                                 expression ? result.get() : nullptr, &exception);
    const ErrorRecord record = takeError(exception);
    if (FAILED(hr)) return failed(*site, hr, record);
    if (expression) return {true, variantText(*result.get())};

    ComPtr<IDispatch> global;
    if (FAILED(hr = engine->GetScriptDispatch(nullptr, global.put())) || !global)
        return failed(*site, FAILED(hr) ? hr : E_NOINTERFACE, {});
    const MainCall main = callMain(*global, params, *result.get());
    if (!main.defined) return {true, {true, {}}};
    if (FAILED(main.hr)) return failed(*site, main.hr, main.error);
    return {true, variantText(*result.get())};
}

}  // namespace qbx::win32::active
