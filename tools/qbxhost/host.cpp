#include "host.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "base/datetime.h"
#include "base/text.h"
#include "core/settings.h"
#include "item_table.h"
#include "platform/platform.h"

namespace qbxhost {
namespace {

constexpr int kMaxTemplateDepth = 8;

template <class F>
F resolve(qbx::DynamicLibrary& library, const char* name) {
    void* address = library.symbol(name);
    if (!address) throw std::runtime_error(std::string("the module does not export ") + name);
    return reinterpret_cast<F>(address);
}

// The client's English date of its receive-time macro: "Tuesday, December 5, 2006".
std::string englishDate(double dateTime) {
    static constexpr const char* kWeekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                "Thursday", "Friday", "Saturday"};
    static constexpr const char* kMonths[] = {"January",   "February", "March",    "April",
                                              "May",       "June",     "July",     "August",
                                              "September", "October",  "November", "December"};
    const qbx::DateTimeFields f = qbx::decodeDateTime(dateTime);
    return std::string(kWeekdays[qbx::dayOfWeek(dateTime) - 1]) + ", " + kMonths[f.month - 1] +
           " " + std::to_string(f.day) + ", " + std::to_string(f.year);
}

// A %-word's ="format" (the client's date macros take one); the position after it.
std::size_t afterFormat(const std::string& text, std::size_t at) {
    if (at + 1 >= text.size() || text[at] != '=' || text[at + 1] != '"') return at;
    const std::size_t close = text.find('"', at + 2);
    return close == std::string::npos ? at : close + 1;
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '\\') return folder + name;
    return folder + "\\" + name;
}

}  // namespace

void prepareHome(const std::string& relativeHome) {
    const std::string home = std::filesystem::absolute(relativeHome).string();
    const std::string root = qbx::toModulePath(home);
    qbx::Platform platform = qbx::systemPlatform();
#if defined(_WIN32)
    qbx::setProcessVariable("TMP", joinPath(root, "tmp"));
    qbx::setProcessVariable("TEMP", joinPath(root, "tmp"));
#else
    qbx::setProcessVariable("QBX_REGISTRY", home + "/registry.ini");
    qbx::setProcessVariable("TMPDIR", home + "/tmp");
#endif
    const std::string programDir = joinPath(root, "TheBat\\");
    const std::string workingDir = joinPath(root, "TheBat\\Mail");
    const std::string pluginDir = joinPath(root, "Plugins\\");
    for (const std::string& folder : {joinPath(root, "tmp"), programDir, workingDir, pluginDir})
        platform.files->createDirectories(folder);

    platform.registry->writeString(qbx::kHostKey, "ProgramDir", programDir);
    platform.registry->writeString(qbx::kHostKey, "Working Directory", workingDir);
    // The plug-in list names the module in the home's plug-in folder, so that its data
    // (statistics, scripts, variables) lands there, wherever the module file itself lies.
    const std::string list = "[Plugins]\r\nCount=1\r\nPlugin #1=" + pluginDir + "QBX.tbp\r\n";
    platform.files->writeFileAtomic(joinPath(workingDir, "TBPLUGIN.ini"), list);
}

Host::Host(const std::string& modulePath) {
    library_ = qbx::openLibrary(modulePath);
    if (!library_)
        throw std::runtime_error("cannot load " + modulePath + ": " +
                                 qbx::DynamicLibrary::lastError());
    qbx::DynamicLibrary& lib = *library_;
    exports_.initialize = resolve<Exports::Void>(lib, "TBP_Initialize");
    exports_.finalize = resolve<Exports::Void>(lib, "TBP_Finalize");
    exports_.setup = resolve<Exports::Int>(lib, "TBP_Setup");
    exports_.getName = resolve<Exports::Text>(lib, "TBP_GetName");
    exports_.getVersion = resolve<Exports::Text>(lib, "TBP_GetVersion");
    exports_.getInfo = resolve<Exports::Text>(lib, "TBP_GetInfo");
    exports_.getMacroList = resolve<Exports::Text>(lib, "TBP_GetMacroList");
    exports_.getStatus = resolve<Exports::Int>(lib, "TBP_GetStatus");
    exports_.needConfig = resolve<Exports::Int>(lib, "TBP_NeedConfig");
    exports_.needCom = resolve<Exports::Int>(lib, "TBP_NeedCOM");
    exports_.execMacro = resolve<Exports::ExecMacro>(lib, "TBP_ExecMacro");
    exports_.getSpamScore = resolve<Exports::SpamScore>(lib, "TBP_GetSpamScore");
    exports_.feedSpam = resolve<Exports::FeedSpam>(lib, "TBP_FeedSpam");
}

Host::~Host() { unload(); }

void Host::unload() {
    if (!library_) return;
    finalize();
    library_.reset();
    exports_ = Exports{};
    knownNames_.clear();
}

void Host::initialize() {
    if (initialized_) return;
    exports_.initialize();
    initialized_ = true;
}

void Host::finalize() {
    if (!initialized_) return;
    exports_.finalize();
    initialized_ = false;
}

std::string Host::fetchText(Exports::Text function) {
    const std::int32_t length = function(nullptr, -1);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    const std::int32_t copied = function(text.data(), length);
    text.resize(static_cast<std::size_t>(std::clamp(copied, 0, length)));
    return text;
}

std::vector<std::string> Host::macroNames() const {
    return qbx::splitLines(fetchText(exports_.getMacroList));
}

std::string Host::callMacro(ItemTable& data, const std::string& name,
                            const std::vector<std::string>& arguments) {
    params_.setArguments(arguments);
    const std::int32_t id =
        exports_.execMacro(name.data(), static_cast<std::int32_t>(name.size()), &data, &params_);
    const std::string* result = data.find(id);
    return result ? *result : std::string();
}

std::string Host::expandTemplate(ItemTable& data, const std::string& text, int depth) {
    if (depth > kMaxTemplateDepth) return text;
    // A %-word is the module's macro when it is one of its names, whole.
    if (knownNames_.empty())
        for (std::string& name : macroNames()) knownNames_.insert(std::move(name));
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '%') {
            out.push_back(text[i++]);
            continue;
        }
        std::size_t end = i + 1;
        while (end < text.size() &&
               (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '_'))
            ++end;
        const std::string word = qbx::toUpper1251(text.substr(i + 1, end - i - 1));
        if (word == "OATTACHMENTS") {
            out += "<none>";
            i = end;
            continue;
        }
        if (word == "ORCVTIME" || word == "ORCVDATEEN") {
            const std::optional<double> given = data.receiveTime();
            const double received = given ? *given : qbx::systemPlatform().clock->now();
            // The format asked for is read past and not applied: the module asks "h:n:s".
            out += word == "ORCVTIME" ? qbx::formatDateTime("hh:nn:ss", received)
                                      : englishDate(received);
            i = word == "ORCVTIME" ? afterFormat(text, end) : end;
            continue;
        }
        if (word.empty() || knownNames_.count(word) == 0) {
            out.push_back(text[i++]);
            continue;
        }
        std::vector<std::string> arguments;
        std::size_t next = end;
        if (next < text.size() && text[next] == '(') {
            // ("a","b"): quoted arguments, "" inside quotes for a quote.
            std::size_t p = next + 1;
            bool closed = false;
            while (p < text.size()) {
                if (text[p] == ')') {
                    closed = true;
                    ++p;
                    break;
                }
                if (text[p] == ',' || text[p] == ' ') {
                    ++p;
                    continue;
                }
                std::string argument;
                if (text[p] == '"') {
                    ++p;
                    while (p < text.size()) {
                        if (text[p] == '"' && p + 1 < text.size() && text[p + 1] == '"') {
                            argument.push_back('"');
                            p += 2;
                        } else if (text[p] == '"') {
                            ++p;
                            break;
                        } else {
                            argument.push_back(text[p++]);
                        }
                    }
                } else {
                    while (p < text.size() && text[p] != ',' && text[p] != ')')
                        argument.push_back(text[p++]);
                }
                arguments.push_back(expandTemplate(data, argument, depth + 1));
            }
            if (closed)
                next = p;
            else
                arguments.clear();
        }
        data.setExpander([this, &data, depth](const std::string& t) {
            return expandTemplate(data, t, depth + 1);
        });
        out += callMacro(data, word, arguments);
        i = next;
    }
    return out;
}

}  // namespace qbxhost
