// What both ways to the script engines share: texts in and out, result values as text, error
// texts, and the call of a VBScript script's Main.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/float_text.h"
#include "platform/win32/com_holders.h"
#include "platform/win32/win32_active_script.h"

namespace qbx::win32::active {

// The error text of a script stopped at its deadline, whichever way it ran.
inline constexpr std::string_view kTimedOutText = "The script ran too long and was stopped";

// Code page 1251 to UTF-16 as a string the engines take; nothing when the text is too long to
// pass or cannot be converted.
std::optional<Bstr> toBstr(std::string_view text);
// UTF-16 to code page 1251, cut at kMaxScriptResultBytes.
std::string fromWide(const wchar_t* text, std::size_t length);

// "0x80020101".
std::string hresultText(HRESULT hr);
// The fallback error text when an engine gives no description: "Script error 0x80020101".
std::string plainError(HRESULT hr);

// What an engine put into an exception record.
struct ErrorRecord {
    std::string description;  // "" when none
    HRESULT code = S_OK;      // the error's own code, when it carries one
};

// Reads the record (filling it in first when the engine deferred that) and frees its strings.
ErrorRecord takeError(EXCEPINFO& info);

// The description, else the plain text of the record's code or, without one, of hr.
std::string errorText(const ErrorRecord& record, HRESULT hr);

// A result value as text: strings as they are, Empty and Null empty, integers in decimal,
// floating values as the Pascal scripts' results (floatToText), booleans "True"/"False", anything
// else as the system converts it to a string.
ActiveOutcome variantText(const VARIANT& value);

// Main of a VBScript script, looked up on the script's global object.
struct MainCall {
    bool defined = false;  // false: the script has no function or procedure Main
    HRESULT hr = S_OK;     // of the call
    ErrorRecord error;     // the exception record when the call failed with one
};

// Calls Main with as many parameters as it declares (missing ones empty) when the type
// information tells, else with all of them; its value lands in result.
MainCall callMain(IDispatch& global, std::span<const std::string> params, VARIANT& result);

}  // namespace qbx::win32::active
