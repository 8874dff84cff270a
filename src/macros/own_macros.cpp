#include "macros/own_macros.h"

#include "base/random_source.h"

#include <boost/crc.hpp>
#include <stdexcept>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <optional>
#include <random>
#include <string_view>

#include "base/datetime.h"
#include "core/host_texts.h"
#include "core/plugin.h"
#include "core/session.h"
#include "base/text.h"
#include "macros/arguments.h"

namespace qbx::macros::own {
namespace {

// Texts these macros build from their arguments are cut here (and the cut is logged).
constexpr std::size_t kMaxResultText = kMaxParamText;

std::string arg(const MacroCall& call, std::int32_t index) {
    return getParamText(call.params, index);
}

// ---- random text --------------------------------------------------------------------------

void logCut(const MacroCall& call) {
    call.plugin.log.write("@@ " + call.name + ": result cut at " + decimal(kMaxResultText) +
                          " bytes");
}

}  // namespace

// ---- text operations ----------------------------------------------------------------------

std::string zvxCutHere(MacroCall&) {
    return "\r\n-- ";
}

std::string zvxStrCmp(MacroCall& call) {
    return arg(call, 0) == arg(call, 1) ? "1" : "0";
}

std::string zvxStrIn(MacroCall& call) {
    const std::string key = arg(call, 0);
    const std::int32_t count = getParamCount(call.params);
    for (std::int32_t i = 1; i < count; ++i)
        if (arg(call, i) == key) return "1";
    return "0";
}

std::string zvxSelect(MacroCall& call) {
    const std::string key = arg(call, 0);
    const std::int32_t count = getParamCount(call.params);
    std::string value;
    // The last matching pair wins; an unpaired last argument is no pair.
    for (std::int32_t i = 1; i + 1 < count; i += 2)
        if (arg(call, i) == key) value = arg(call, i + 1);
    return value;
}

std::string zvxStrings(MacroCall& call) {
    const std::int32_t count = getParamCount(call.params);
    std::string text;
    for (std::int32_t i = 0; i < count; ++i) {
        if (i > 0) text += "\r\n";
        text += arg(call, i);
        if (text.size() > kMaxResultText) {
            text.resize(kMaxResultText);
            logCut(call);
            break;
        }
    }
    return text;
}

std::string zvxReplace(MacroCall& call) {
    const std::string text = arg(call, 0);
    const std::string search = arg(call, 1);
    if (search.empty()) return text;  // an empty search text matches nowhere
    const std::string replacement = arg(call, 2);
    std::string result;
    std::size_t from = 0;
    for (std::size_t hit = text.find(search); hit != std::string::npos;
         hit = text.find(search, from)) {
        result.append(text, from, hit - from);
        result += replacement;
        from = hit + search.size();
        if (result.size() > kMaxResultText) {
            result.resize(kMaxResultText);
            logCut(call);
            return result;
        }
    }
    result.append(text, from);
    return result;
}

std::string zvxCutFromTo(MacroCall& call) {
    std::string text = arg(call, 0);
    const std::string from = arg(call, 1);
    if (!from.empty()) {
        if (const auto at = text.find(from); at != std::string::npos)
            text.erase(0, at + from.size());
    }
    const std::string to = arg(call, 2);
    if (!to.empty()) {
        if (const auto at = text.find(to); at != std::string::npos) text.resize(at);
    }
    return text;
}

std::string zvxCutOn(MacroCall& call) {
    std::string text = arg(call, 0);
    const std::string marker = arg(call, 1);
    if (!marker.empty()) {
        if (const auto at = text.find(marker); at != std::string::npos) text.resize(at);
    }
    return text;
}

// ---- hashes and random text ---------------------------------------------------------------

std::string zvxMd5(MacroCall& call) {
    Hashing* hashing = call.plugin.platform.hashing;
    if (hashing == nullptr) throw std::runtime_error("no MD5 in this build");
    return hashing->md5(arg(call, 0));  // the raw 16 bytes, zero bytes included
}

std::string zvxCrc32(MacroCall& call) {
    // CRC-32/JAMCRC: the common reflected CRC-32 without its final inversion.
    boost::crc_optimal<32, 0x04C11DB7, 0xFFFFFFFF, 0, true, true> crc;
    const std::string text = arg(call, 0);
    crc.process_bytes(text.data(), text.size());
    return hexUpper(crc.checksum(), 2);
}

std::string zvxCrc16(MacroCall& call) {
    // CRC-16/MCRF4XX: reflected CCITT polynomial, all ones at the start, no final inversion.
    boost::crc_optimal<16, 0x1021, 0xFFFF, 0, true, true> crc;
    const std::string text = arg(call, 0);
    crc.process_bytes(text.data(), text.size());
    return hexUpper(crc.checksum(), 2);
}

std::string zvxXor(MacroCall& call) {
    std::string text = arg(call, 0);
    const auto key = static_cast<unsigned char>(getParamInt(call.params, 1) & 0xFF);
    for (char& c : text) c = static_cast<char>(static_cast<unsigned char>(c) ^ key);
    return text;
}

std::string zvxRnd(MacroCall& call) {
    static constexpr std::string_view kDigits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const int length = std::clamp(getParamInt(call.params, 0), 1, kMaxRandomLength);
    std::int32_t radix = getParamInt(call.params, 1);
    if (radix <= 0) radix = 10;
    radix = std::min(radix, std::int32_t{36});
    std::uniform_int_distribution<std::size_t> digit(0, static_cast<std::size_t>(radix - 1));
    std::string text(static_cast<std::size_t>(length), '0');
    for (char& c : text) c = kDigits[digit(processRandom())];
    return text;
}

}  // namespace qbx::macros::own
