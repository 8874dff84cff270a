// qbxhost: plays the mail client for demos, tests and corpus runs.
//   qbxhost [--plugin PATH] [--home DIR] info
//   qbxhost [--plugin PATH] [--home DIR] macro NAME [ARG ...] [--mail FILE]
//   qbxhost [--plugin PATH] [--home DIR] template TEXT|@FILE [--mail FILE]
//   qbxhost [--plugin PATH] [--home DIR] feed spam|ham PATH ...
//   qbxhost [--plugin PATH] [--home DIR] score PATH ...
//   qbxhost [--plugin PATH] [--home DIR] setup [--screenshots DIR]
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "host.h"
#include "item_table.h"
#include "setup_window.h"
#include "spam_run.h"

namespace {

constexpr std::int32_t kHeadersItem = 243;
constexpr std::int32_t kTextItem = 241;
constexpr std::size_t kMaxMailBytes = 64u << 20;

int usage() {
    std::cerr << "usage: qbxhost [--plugin PATH] [--home DIR] COMMAND ...\n"
                 "  info\n"
                 "  macro NAME [ARG ...] [--mail FILE]\n"
                 "  template TEXT|@FILE [--mail FILE]\n"
                 "  feed spam|ham PATH ...\n"
                 "  score PATH ...\n"
                 "  setup [--screenshots DIR]   (Windows only)\n"
                 "PATH: a message file, a folder of message files or an mbox file\n";
    return 2;
}

bool readFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    bytes = buffer.str();
    return bytes.size() <= kMaxMailBytes;
}

// The message's header block and body, split at the first empty line.
void loadMail(qbxhost::ItemTable& data, const std::string& mail) {
    std::size_t split = mail.find("\r\n\r\n");
    std::size_t bodyStart = split == std::string::npos ? std::string::npos : split + 4;
    if (split == std::string::npos) {
        split = mail.find("\n\n");
        bodyStart = split == std::string::npos ? std::string::npos : split + 2;
    }
    data.set(kHeadersItem, mail.substr(0, split));
    data.set(kTextItem, bodyStart == std::string::npos ? "" : mail.substr(bodyStart));
}

std::string defaultModulePath(const char* argv0) {
    std::string self = argv0 ? argv0 : "";
    const auto slash = self.find_last_of("/\\");
    const char* name = "QBX.tbp";
    return slash == std::string::npos ? name : self.substr(0, slash + 1) + name;
}

}  // namespace

int main(int argc, char** argv) {
    // Under Wine an unbuffered stdout costs a round trip to the server per character.
    std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
    std::string modulePath = defaultModulePath(argc > 0 ? argv[0] : nullptr);
    std::string home = "qbxhost-home";
    std::string mailPath;
    std::string screenshots;
    std::vector<std::string> words;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--plugin" || arg == "--home" || arg == "--mail" || arg == "--screenshots") &&
            i + 1 < argc) {
            (arg == "--plugin"        ? modulePath
             : arg == "--home"        ? home
             : arg == "--screenshots" ? screenshots
                                      : mailPath) = argv[++i];
        } else {
            words.push_back(arg);
        }
    }
    if (words.empty()) return usage();
    const std::string command = words[0];
    if (command != "info" && command != "macro" && command != "template" && command != "feed" &&
        command != "score" && command != "setup")
        return usage();
    if (command != "info" && command != "setup" && words.size() < 2) return usage();
    if (command == "feed" && (words.size() < 3 || (words[1] != "spam" && words[1] != "ham")))
        return usage();
    int status = 0;

    try {
        qbxhost::prepareHome(home);
        qbxhost::Host host(modulePath);
        host.initialize();

        qbxhost::ItemTable& data = host.data();
        if (!mailPath.empty()) {
            std::string mail;
            if (!readFile(mailPath, mail)) {
                std::cerr << "qbxhost: cannot read " << mailPath << "\n";
                return 1;
            }
            loadMail(data, mail);
        }

        if (command == "info") {
            const auto& e = host.exports();
            std::cout << "name: " << qbxhost::Host::fetchText(e.getName) << "\n"
                      << "version: " << qbxhost::Host::fetchText(e.getVersion) << "\n"
                      << "status: " << e.getStatus() << "\n"
                      << "needs configuration: " << e.needConfig() << "\n"
                      << "needs COM: " << e.needCom() << "\n"
                      << "macros: " << host.macroNames().size() << "\n";
        } else if (command == "macro") {
            const std::vector<std::string> arguments(words.begin() + 2, words.end());
            std::cout << host.callMacro(data, words[1], arguments) << "\n";
        } else if (command == "setup") {
            status = screenshots.empty()
                         ? qbxhost::runSetup(host, std::cerr)
                         : qbxhost::takeScreenshots(host, screenshots, std::cout, std::cerr);
        } else if (command == "feed") {
            const std::vector<std::string> paths(words.begin() + 2, words.end());
            const bool isSpam = words[1] == "spam";
            if (!qbxhost::feedMessages(host.exports().feedSpam, isSpam, paths, std::cout, std::cerr)
                     .allRead)
                status = 1;
        } else if (command == "score") {
            const std::vector<std::string> paths(words.begin() + 1, words.end());
            if (!qbxhost::scoreMessages(host.exports().getSpamScore, paths, std::cout, std::cerr)
                     .allRead)
                status = 1;
        } else {
            std::string text = words[1];
            if (!text.empty() && text[0] == '@' && !readFile(text.substr(1), text)) {
                std::cerr << "qbxhost: cannot read " << words[1].substr(1) << "\n";
                return 1;
            }
            std::cout << host.expandTemplate(data, text) << "\n";
        }
        host.finalize();
    } catch (const std::exception& e) {
        std::cerr << "qbxhost: " << e.what() << "\n";
        return 1;
    }
    return status;
}
