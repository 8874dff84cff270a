// The object a loop-guarded script calls on every turn of a loop (see
// platform/script_loop_guard.h): it answers with an error once the run's deadline has passed, so
// that engines which never ask the host whether a script may go on still stop it. The error carries
// the timed-out text.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <atomic>

#include "platform/win32/com_holders.h"

namespace qbx::win32::active {

// COM interfaces have no virtual destructor: objects go through Release, never delete.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class LoopGuardObject final : public IDispatch {
public:
    static ComPtr<LoopGuardObject> make(ULONGLONG deadline);
    LoopGuardObject(const LoopGuardObject&) = delete;
    LoopGuardObject& operator=(const LoopGuardObject&) = delete;

    // Whether a call found the deadline passed.
    bool stopped() const { return stopped_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch: one method, Tick.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*,
                                     VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

private:
    explicit LoopGuardObject(ULONGLONG deadline) : deadline_(deadline) {}
    ~LoopGuardObject() = default;

    std::atomic<ULONG> references_{1};
    ULONGLONG deadline_;
    bool stopped_ = false;
};
#pragma GCC diagnostic pop

// The wide name of the guard's named item, for AddNamedItem and AddObject.
const wchar_t* loopGuardItemName();

// Whether the system's engines ignore the host's interrupt poll and the Script Control's
// Timeout, so that only a loop-guarded source stops at its deadline: Wine's do.
bool enginesIgnoreDeadlines();

}  // namespace qbx::win32::active
