// Arbitrary bytes as a header block, a header name and a Received value through every header
// routine: no crash, no hang, results no larger than their input allows; the block's line
// index answers every lookup exactly as the block does.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "mail/headers.h"

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

    check(qbx::mail::getHeaderValue(block, name).size() <= block.size());
    check(qbx::mail::getHeaderValue(block, "Received:").size() <= block.size());
    const std::string last = qbx::mail::getLastHeaderValue(block, name);
    check(last.size() <= block.size());
    const std::string lastReceived = qbx::mail::getLastHeaderValue(block, "Received:");

    const std::string ip = qbx::mail::findIPv4InText(block);
    check(ip.empty() || (qbx::mail::isValidIPv4(ip) && qbx::mail::isDottedDigits(ip)));
    const std::string hopIp = qbx::mail::findIPv4InText(lastReceived);
    check(hopIp.empty() || qbx::mail::isValidIPv4(hopIp));
    check(qbx::mail::receivedByServer(block).size() <= block.size());
    check(qbx::mail::receivedByServer(lastReceived).size() <= lastReceived.size());
    (void)qbx::mail::isValidIPv4(block);

    const qbx::mail::ReceivedHop hop = qbx::mail::receivedHops(block);
    check(hop.by.size() <= block.size() && hop.from.size() <= block.size());
    check(qbx::mail::stripBrackets(block).size() <= block.size());
    check(qbx::mail::stripQuotes(block).size() <= block.size());

    // Every hop gives at most two names, each no longer than its entry, plus the separators.
    for (const bool drop : {true, false}) {
        const std::string servers = qbx::mail::serverList(block, "\r\n", drop);
        check(servers.size() <= 3 * block.size());
    }
    check(!qbx::mail::getMailer(block).empty());
    check(!qbx::mail::getCharset(block).empty());
    check(qbx::mail::addressDisplayName(block).size() <= block.size());
    check(qbx::mail::addressOnly(block).size() <= block.size());

    const qbx::mail::HeaderIndex index(block);
    check(index.headerValue(name) == qbx::mail::getHeaderValue(block, name));
    check(index.lastHeaderValue(name) == last);
    check(index.lastHeaderValue("Received:") == lastReceived);
    check(index.serverList("\r\n", true) == qbx::mail::serverList(block, "\r\n", true));
    // Buffers kept from input to input, as the scoring keeps them from message to message.
    static qbx::mail::ServerListBuffers keptBuffers;
    static std::string keptServers;
    index.serverList(" ", false, keptBuffers, keptServers);
    check(keptServers == qbx::mail::serverList(block, " ", false));
    check(index.mailer() == qbx::mail::getMailer(block));
    check(index.charset() == qbx::mail::getCharset(block));
    check(index.lowerContentType() == qbx::mail::lowerContentType(block));
    return 0;
}
