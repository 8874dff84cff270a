#include "platform/win32/loop_guard_object.h"

#include <cstddef>
#include <string_view>

#include "platform/script_loop_guard.h"
#include "platform/win32/active_script_parts.h"

namespace qbx::win32::active {
namespace {

constexpr DISPID kTickId = 1;
constexpr wchar_t kItemName[] = L"QbxRunGuard";
constexpr wchar_t kTickName[] = L"Tick";

// The names the rewritten sources call.
template <std::size_t N>
constexpr bool sameName(const wchar_t (&wide)[N], std::string_view narrow) {
    if (narrow.size() + 1 != N) return false;
    for (std::size_t i = 0; i < narrow.size(); ++i)
        if (wide[i] != static_cast<wchar_t>(narrow[i])) return false;
    return true;
}
static_assert(sameName(kItemName, kLoopGuardObject));
static_assert(sameName(kTickName, kLoopGuardMethod));

}  // namespace

ComPtr<LoopGuardObject> LoopGuardObject::make(ULONGLONG deadline) {
    return ComPtr<LoopGuardObject>::adopt(new LoopGuardObject(deadline));
}

HRESULT LoopGuardObject::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch)) return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

ULONG LoopGuardObject::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT LoopGuardObject::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT LoopGuardObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT LoopGuardObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    // VBScript asks with the script's own spelling.
    if (names[0] == nullptr ||
        CompareStringOrdinal(names[0], -1, kTickName, -1, TRUE) != CSTR_EQUAL)
        return DISP_E_UNKNOWNNAME;
    ids[0] = kTickId;
    return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT LoopGuardObject::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                EXCEPINFO* exception, UINT*) {
    if (id != kTickId) return DISP_E_MEMBERNOTFOUND;
    if ((flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0) return DISP_E_MEMBERNOTFOUND;
    if (result != nullptr) VariantInit(result);
    if (GetTickCount64() < deadline_) return S_OK;
    stopped_ = true;
    if (exception == nullptr) return E_ABORT;
    *exception = EXCEPINFO{};
    exception->scode = E_ABORT;
    // Without memory for the text the code alone goes back; the run still ends as timed out.
    if (std::optional<Bstr> text = toBstr(kTimedOutText))
        exception->bstrDescription = text->release();
    return DISP_E_EXCEPTION;
}

const wchar_t* loopGuardItemName() { return kItemName; }

bool enginesIgnoreDeadlines() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace qbx::win32::active
