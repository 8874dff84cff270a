#include "functions/encoding/encoding_macros.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "base/text.h"
#include "core/plugin.h"
#include "core/strings.h"
#include "functions/encoding/checksums.h"
#include "base/uu_codec.h"
#include "functions/files/files.h"
#include "macros/arguments.h"

namespace qbx::functions::encoding {
namespace {

using macros::MacroCall;

std::string text(const MacroCall& call) { return macros::getParamText(call.params, 0); }

// The block is a third larger than the file; files past this stay within one macro result.
constexpr std::size_t kMaxUuFileBytes = std::size_t{8} << 20;

std::string fileNameOf(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

std::string zvxMd5(MacroCall& call) {
    Hashing* hashing = call.plugin.platform.hashing;
    if (hashing == nullptr) throw std::runtime_error("no MD5 in this build");
    return hashing->md5(text(call));  // the raw 16 bytes, zero bytes included
}

std::string zvxCrc32(MacroCall& call) { return hexUpper(crc32Jam(text(call)), 2); }

std::string zvxCrc16(MacroCall& call) { return hexUpper(crc16Mcrf4xx(text(call)), 2); }

std::string zvxXor(MacroCall& call) {
    std::string bytes = text(call);
    const auto key = static_cast<unsigned char>(macros::getParamInt(call.params, 1) & 0xFF);
    for (char& c : bytes) c = static_cast<char>(static_cast<unsigned char>(c) ^ key);
    return bytes;
}

// Read-only with shared access (the file services' way): a file another program holds open for
// writing is still read, and nothing of it can be changed by us.
std::string zvxPutUue(MacroCall& call) {
    const std::string name = text(call);
    Log& log = call.plugin.log;
    log.write("UUEENCODE: " + name);
    const std::string& notAvailable = call.plugin.strings[str::kNotAvailable];
    FileSystem* files = call.plugin.platform.files;
    const std::optional<std::string> path =
        files::moduleFilePath(name, call.plugin.settings.installDir);
    if (files == nullptr || !path || !files->fileExists(*path)) return notAvailable;
    log.write("opening file");
    const std::optional<std::string> bytes = files->readFile(*path, kMaxUuFileBytes);
    if (!bytes) {
        log.write("@@ " + call.name + ": cannot read " + *path + ": " + files->lastError());
        return notAvailable;
    }
    log.write("file opened");
    std::string block = uuEncodeFile(fileNameOf(*path), *bytes);
    log.write("result is set (" + decimal(static_cast<std::int64_t>(block.size())) + " bytes)");
    return block;
}

}  // namespace qbx::functions::encoding
