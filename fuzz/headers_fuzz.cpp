// Arbitrary bytes as a header block, a header name and a Received value through every header
// routine: no crash, no hang, results no larger than their input allows.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "functions/headers.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    // The first byte tells how many of the following bytes are the header name.
    std::string_view name;
    if (!input.empty()) {
        const std::size_t wanted = static_cast<unsigned char>(input[0]) % 24u;
        const std::size_t nameLength = std::min(wanted, input.size() - 1);
        name = input.substr(1, nameLength);
        input.remove_prefix(1 + nameLength);
    }
    const std::string_view block = input;

    check(qbx::functions::getHeaderValue(block, name).size() <= block.size());
    check(qbx::functions::getHeaderValue(block, "Received:").size() <= block.size());
    const std::string last = qbx::functions::getLastHeaderValue(block, name);
    check(last.size() <= block.size());
    const std::string lastReceived = qbx::functions::getLastHeaderValue(block, "Received:");

    const std::string ip = qbx::functions::findIPv4InText(block);
    check(ip.empty() || (qbx::functions::isValidIPv4(ip) && qbx::functions::isDottedDigits(ip)));
    const std::string hopIp = qbx::functions::findIPv4InText(lastReceived);
    check(hopIp.empty() || qbx::functions::isValidIPv4(hopIp));
    check(qbx::functions::receivedByServer(block).size() <= block.size());
    check(qbx::functions::receivedByServer(lastReceived).size() <= lastReceived.size());
    (void)qbx::functions::isValidIPv4(block);

    const qbx::functions::ReceivedHop hop = qbx::functions::receivedHops(block);
    check(hop.by.size() <= block.size() && hop.from.size() <= block.size());
    check(qbx::functions::stripBrackets(block).size() <= block.size());
    check(qbx::functions::stripQuotes(block).size() <= block.size());

    // Every hop gives at most two names, each no longer than its entry, plus the separators.
    for (const bool drop : {true, false}) {
        const std::string servers = qbx::functions::serverList(block, "\r\n", drop);
        check(servers.size() <= 3 * block.size());
    }
    check(!qbx::functions::getMailer(block).empty());
    check(!qbx::functions::getCharset(block).empty());
    check(qbx::functions::addressDisplayName(block).size() <= block.size());
    check(qbx::functions::addressOnly(block).size() <= block.size());
    return 0;
}
