// The Script Control object, reached late-bound by name: property "Language", methods "AddCode"
// and "Eval", and "CodeObject" for VBScript's Main. One object per run.
#include <algorithm>
#include <array>
#include <climits>

#include "platform/win32/active_script_ways.h"

namespace qbx::win32::active {
namespace {

constexpr const wchar_t* kProgId = L"MSScriptControl.ScriptControl";

struct Call {
    HRESULT hr = S_OK;
    ErrorRecord error;  // the exception record, when the call failed with one
};

// One late-bound call; args are given first to last.
Call invoke(IDispatch& object, const wchar_t* name, WORD flags, std::span<VARIANT> args,
            VARIANT* result) {
    Call call;
    std::wstring nameCopy(name);
    LPOLESTR names[] = {nameCopy.data()};
    DISPID id = DISPID_UNKNOWN;
    call.hr = object.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(call.hr)) return call;
    std::reverse(args.begin(), args.end());  // Invoke takes them last to first
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = args.empty() ? nullptr : args.data();
    params.cArgs = static_cast<UINT>(args.size());
    if (flags == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    EXCEPINFO exception{};
    UINT argumentError = 0;
    call.hr = object.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &exception,
                            &argumentError);
    ErrorRecord record = takeError(exception);
    if (call.hr == DISP_E_EXCEPTION) call.error = std::move(record);
    return call;
}

Call put(IDispatch& object, const wchar_t* name, VARIANT value) {
    std::array<VARIANT, 1> args{value};
    return invoke(object, name, DISPATCH_PROPERTYPUT, args, nullptr);
}

// The control's own record of the last error, for a failure that came without a description.
std::string controlErrorDescription(IDispatch& control) {
    Variant error;
    if (FAILED(invoke(control, L"Error", DISPATCH_PROPERTYGET, {}, error.get()).hr) ||
        V_VT(error.get()) != VT_DISPATCH || V_DISPATCH(error.get()) == nullptr)
        return {};
    Variant description;
    if (FAILED(invoke(*V_DISPATCH(error.get()), L"Description", DISPATCH_PROPERTYGET, {},
                      description.get())
                   .hr) ||
        V_VT(description.get()) != VT_BSTR)
        return {};
    const BSTR text = V_BSTR(description.get());
    return fromWide(text, SysStringLen(text));
}

class Failure {
public:
    Failure(IDispatch& control, ULONGLONG started, std::uint32_t deadlineMs,
            const LoopGuardObject* guard)
        : control_(control), started_(started), deadlineMs_(deadlineMs), guard_(guard) {}

    WayResult operator()(const Call& call) const {
        std::string text;
        // A failure at the deadline is the control's stop of the script; it reads as the
        // direct way's does.
        if (GetTickCount64() - started_ >= deadlineMs_ || (guard_ != nullptr && guard_->stopped()))
            text = kTimedOutText;
        if (text.empty()) text = call.error.description;
        if (text.empty()) text = controlErrorDescription(control_);
        if (text.empty()) text = errorText(call.error, call.hr);
        return {true, {false, std::move(text)}};
    }

private:
    IDispatch& control_;
    ULONGLONG started_;
    std::uint32_t deadlineMs_;
    const LoopGuardObject* guard_;
};

}  // namespace

WayResult runThroughControl(BSTR source, ActiveLanguage language,
                            std::span<const std::string> params, const ActiveScriptOptions& options,
                            LoopGuardObject* guard) {
    CLSID id{};
    HRESULT hr = CLSIDFromProgID(kProgId, &id);
    ComPtr<IDispatch> control;
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, control.putVoid());
    if (FAILED(hr) || !control)
        return {false, {false, "The Script Control cannot be created (" + hresultText(hr) + ")"}};

    const Failure failed(*control, GetTickCount64(), options.deadlineMs, guard);
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BOOL;
    V_BOOL(&value) = VARIANT_FALSE;  // no dialog of the engine may appear in the host
    if (const Call call = put(*control, L"AllowUI", value); FAILED(call.hr)) return failed(call);
    V_VT(&value) = VT_I4;
    V_I4(&value) = static_cast<LONG>(std::min<std::uint32_t>(options.deadlineMs, LONG_MAX));
    if (const Call call = put(*control, L"Timeout", value); FAILED(call.hr)) return failed(call);
    const Bstr languageText(language == ActiveLanguage::VBScript ? L"VBScript" : L"JScript");
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = languageText.get();
    if (const Call call = put(*control, L"Language", value); FAILED(call.hr)) return failed(call);
    if (guard != nullptr) {
        const Bstr name(loopGuardItemName());
        VARIANT item;
        VariantInit(&item);
        V_VT(&item) = VT_BSTR;
        V_BSTR(&item) = name.get();
        VARIANT object;
        VariantInit(&object);
        V_VT(&object) = VT_DISPATCH;
        V_DISPATCH(&object) = guard;
        VARIANT members;
        VariantInit(&members);
        V_VT(&members) = VT_BOOL;
        V_BOOL(&members) = VARIANT_FALSE;
        std::array<VARIANT, 3> objectArgs{item, object, members};
        if (const Call call = invoke(*control, L"AddObject", DISPATCH_METHOD, objectArgs, nullptr);
            FAILED(call.hr))
            return failed(call);
    }

    VARIANT code;
    VariantInit(&code);
    V_VT(&code) = VT_BSTR;
    V_BSTR(&code) = source;
    std::array<VARIANT, 1> args{code};
    Variant result;
    if (language == ActiveLanguage::JScript) {
        if (const Call call = invoke(*control, L"Eval", DISPATCH_METHOD, args, result.get());
            FAILED(call.hr))
            return failed(call);
        return {true, variantText(*result.get())};
    }

    if (const Call call = invoke(*control, L"AddCode", DISPATCH_METHOD, args, nullptr);
        FAILED(call.hr))
        return failed(call);
    Variant codeObject;
    if (const Call call =
            invoke(*control, L"CodeObject", DISPATCH_PROPERTYGET, {}, codeObject.get());
        FAILED(call.hr))
        return failed(call);
    if (V_VT(codeObject.get()) != VT_DISPATCH || V_DISPATCH(codeObject.get()) == nullptr)
        return failed({E_NOINTERFACE, {}});
    const MainCall main = callMain(*V_DISPATCH(codeObject.get()), params, *result.get());
    if (!main.defined) return {true, {true, {}}};
    if (FAILED(main.hr)) return failed({main.hr, main.error});
    return {true, variantText(*result.get())};
}

}  // namespace qbx::win32::active
