#include "platform/win32/active_script_parts.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "base/text.h"

namespace qbx::win32::active {
namespace {

constexpr UINT kCodePage1251 = 1251;
constexpr std::size_t kMaxMainParams = 100;

std::string floatResult(double value) {
    // The float form has no text for these; the engines' own names are what a user expects.
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
    return floatToText(value);
}

// How many parameters the function behind the member id declares; nothing when the type
// information does not tell. defined is false when the id names no function or procedure.
std::optional<std::size_t> declaredParams(IDispatch& global, DISPID id, bool& defined) {
    defined = true;
    UINT count = 0;
    if (FAILED(global.GetTypeInfoCount(&count)) || count == 0) return std::nullopt;
    ComPtr<ITypeInfo> info;
    if (FAILED(global.GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put())) || !info)
        return std::nullopt;
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetTypeAttr(&attributes)) || attributes == nullptr) return std::nullopt;
    const UINT functions = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);
    for (UINT i = 0; i < functions; ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(info->GetFuncDesc(i, &function)) || function == nullptr) continue;
        const bool match = function->memid == id;
        const auto params = static_cast<std::size_t>(std::max<SHORT>(function->cParams, 0));
        info->ReleaseFuncDesc(function);
        if (match) return params;
    }
    // The type information lists the script's functions: a name outside them is a variable.
    defined = false;
    return std::nullopt;
}

}  // namespace

std::optional<Bstr> toBstr(std::string_view text) {
    if (text.empty()) return Bstr(L"", 0);
    if (text.size() > static_cast<std::size_t>(INT_MAX / 2)) return std::nullopt;
    const int length = static_cast<int>(text.size());
    const int count = MultiByteToWideChar(kCodePage1251, 0, text.data(), length, nullptr, 0);
    if (count <= 0) return std::nullopt;
    Bstr wide(nullptr, static_cast<UINT>(count));
    if (wide.get() == nullptr) return std::nullopt;
    if (MultiByteToWideChar(kCodePage1251, 0, text.data(), length, wide.get(), count) != count)
        return std::nullopt;
    return wide;
}

std::string fromWide(const wchar_t* text, std::size_t length) {
    if (text == nullptr || length == 0) return {};
    // Code page 1251 has one byte per character: the cut can be made before converting.
    length = std::min(length, kMaxScriptResultBytes);
    const int wideLength = static_cast<int>(length);
    const int count =
        WideCharToMultiByte(kCodePage1251, 0, text, wideLength, nullptr, 0, nullptr, nullptr);
    if (count <= 0) return {};
    std::string bytes(static_cast<std::size_t>(count), '\0');
    if (WideCharToMultiByte(kCodePage1251, 0, text, wideLength, bytes.data(), count, nullptr,
                            nullptr) != count)
        return {};
    if (bytes.size() > kMaxScriptResultBytes) bytes.resize(kMaxScriptResultBytes);
    return bytes;
}

std::string hresultText(HRESULT hr) { return "0x" + hexUpper(static_cast<std::uint32_t>(hr), 8); }

std::string plainError(HRESULT hr) { return "Script error " + hresultText(hr); }

ErrorRecord takeError(EXCEPINFO& info) {
    if (info.pfnDeferredFillIn != nullptr) {
        const auto fill = std::exchange(info.pfnDeferredFillIn, nullptr);
        fill(&info);
    }

    Bstr source;
    Bstr description;
    Bstr helpFile;
    *source.put() = std::exchange(info.bstrSource, nullptr);
    *description.put() = std::exchange(info.bstrDescription, nullptr);
    *helpFile.put() = std::exchange(info.bstrHelpFile, nullptr);
    return {fromWide(description.get(), SysStringLen(description.get())),
            FAILED(info.scode) ? info.scode : S_OK};
}

std::string errorText(const ErrorRecord& record, HRESULT hr) {
    if (!record.description.empty()) return record.description;
    return plainError(FAILED(record.code) ? record.code : hr);
}

ActiveOutcome variantText(const VARIANT& in) {
    Variant holder;
    VARIANT& value = *holder.get();
    // Takes the source as non-const but only reads it.
    HRESULT hr = VariantCopyInd(&value, const_cast<VARIANT*>(&in));
    if (FAILED(hr)) return {false, plainError(hr)};
    switch (V_VT(&value)) {
        case VT_EMPTY:
        case VT_NULL: return {true, {}};
        case VT_BSTR: return {true, fromWide(V_BSTR(&value), SysStringLen(V_BSTR(&value)))};
        case VT_BOOL: return {true, V_BOOL(&value) != VARIANT_FALSE ? "True" : "False"};
        case VT_I1: return {true, decimal(V_I1(&value))};
        case VT_I2: return {true, decimal(V_I2(&value))};
        case VT_I4: return {true, decimal(V_I4(&value))};
        case VT_INT: return {true, decimal(V_INT(&value))};
        case VT_I8: return {true, decimal(V_I8(&value))};
        case VT_UI1: return {true, decimal(V_UI1(&value))};
        case VT_UI2: return {true, decimal(V_UI2(&value))};
        case VT_UI4: return {true, decimal(V_UI4(&value))};
        case VT_UINT: return {true, decimal(V_UINT(&value))};
        case VT_UI8: {
            char buffer[24];
            const auto end = std::to_chars(buffer, buffer + sizeof buffer, V_UI8(&value)).ptr;
            return {true, std::string(buffer, end)};
        }
        case VT_R4: return {true, floatResult(V_R4(&value))};
        case VT_R8: return {true, floatResult(V_R8(&value))};
        case VT_CY:
        case VT_DECIMAL: {
            // Through a double: the system's own text would use the locale's separator.
            Variant number;
            hr = VariantChangeType(number.get(), &value, 0, VT_R8);
            if (FAILED(hr)) return {false, plainError(hr)};
            return {true, floatResult(V_R8(number.get()))};
        }
        default: break;
    }
    Variant text;
    hr = VariantChangeType(text.get(), &value, 0, VT_BSTR);
    if (FAILED(hr) || V_VT(text.get()) != VT_BSTR)
        return {false, plainError(FAILED(hr) ? hr : E_FAIL)};
    const BSTR bytes = V_BSTR(text.get());
    return {true, fromWide(bytes, SysStringLen(bytes))};
}

MainCall callMain(IDispatch& global, std::span<const std::string> params, VARIANT& result) {
    MainCall call;
    wchar_t name[] = L"Main";
    LPOLESTR names[] = {name};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(global.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return call;

    bool defined = true;
    const std::optional<std::size_t> declared = declaredParams(global, id, defined);
    if (!defined) return call;
    call.defined = true;

    const std::size_t count = std::min(declared.value_or(params.size()), kMaxMainParams);
    // Invoke takes the arguments last to first.
    std::vector<VARIANT> arguments(count);
    for (VARIANT& argument : arguments) VariantInit(&argument);
    struct Cleanup {
        std::vector<VARIANT>& arguments;
        ~Cleanup() {
            for (VARIANT& argument : arguments) VariantClear(&argument);
        }
    } cleanup{arguments};
    for (std::size_t i = 0; i < count && i < params.size(); ++i) {
        std::optional<Bstr> text = toBstr(params[i]);
        if (!text) {
            call.hr = E_INVALIDARG;
            return call;
        }
        VARIANT& argument = arguments[count - 1 - i];
        V_VT(&argument) = VT_BSTR;
        V_BSTR(&argument) = text->release();
    }
    DISPPARAMS dispParams{};
    dispParams.rgvarg = arguments.empty() ? nullptr : arguments.data();
    dispParams.cArgs = static_cast<UINT>(count);
    EXCEPINFO exception{};
    UINT argumentError = 0;
    call.hr = global.Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dispParams,
                            &result, &exception, &argumentError);
    // Not every failure fills the record; its strings are freed all the same.
    ErrorRecord record = takeError(exception);
    if (call.hr == DISP_E_EXCEPTION) call.error = std::move(record);
    return call;
}

}  // namespace qbx::win32::active
