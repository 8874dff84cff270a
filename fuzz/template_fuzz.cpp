// Arbitrary bytes as a template, with arbitrary message text in the message's items and in
// variables: the pipeline stays within its bounds, every nesting level it takes is given back,
// the running call's kept containers are its own again afterwards, and nothing the message or
// a variable holds ever reaches the host's expander or runs as a call.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/plugin.h"
#include "functions/chain.h"
#include "macros/dispatcher.h"
#include "macros/expressions.h"
#include "macros/macro_call.h"
#include "macros/templates.h"
#include "support/fake_container.h"
#include "support/fakes.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// Generous: a template's text may grow by what the nested calls give, each of them bounded.
constexpr std::size_t kMaxResult = 64 * qbx::macros::kMaxExpressionText;

// Every byte of data carries this mark, which the template is never given: the host's
// expander must never see it, and no call may be run under a name that holds it.
constexpr char kDataMark = '\x7f';

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;  // longer texts only repeat what shorter ones reach
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The input's first half is the template, the rest message text.
    std::string text(input.substr(0, size / 2));
    std::replace(text.begin(), text.end(), kDataMark, 'x');
    std::string message(input.substr(size / 2));
    std::replace(message.begin(), message.end(), kDataMark, 'x');
    const std::string hostile = std::string(1, kDataMark) + "%ZVXVER$ZVXVER(1)$$who" + message;

    qbx::macros::installMacroTable(qbx::functions::macroTable());
    qbx::test::FakePlatform fake;
    qbx::test::FakeContainer mail;  // its expander gives its input back
    mail.expander = [](const std::string& in) {
        check(in.find(kDataMark) == std::string::npos);
        return in;
    };
    mail.items[qbx::macros::kHeadersItem] = "Subject: " + hostile + "\r\nFrom: " + hostile + "\r\n";
    mail.items[qbx::macros::kTextItem] = hostile;
    mail.items[qbx::macros::kFullTextItem] = hostile;
    qbx::test::FakeContainer params(std::vector<std::string>{"a", hostile});
    {
        qbx::Plugin plugin(fake.platform());
        plugin.strings.reset();
        plugin.variables.storeStr("who", hostile);
        plugin.variables.storeStr("self", "$$self");
        plugin.variables.storeInt("n", 3);
        plugin.curData = qbx::HostRef<qbx::ITBPDataProvider>(&mail);
        plugin.curParams = qbx::HostRef<qbx::ITBPDataProvider>(&params);
        plugin.log.setMirror([](const std::string& line) {
            check(line.find("TBP_ExecMacro [%" + std::string(1, kDataMark)) == std::string::npos);
        });

        const qbx::macros::MarkedText templ = qbx::macros::templateText(text);
        qbx::macros::MacroCall call{plugin, &mail, &params, "ZVXFUZZ", qbx::kMacroResultId};
        const std::string evaluated = qbx::macros::evaluateTemplate(call, templ);
        check(evaluated.size() <= kMaxResult);
        const std::string expanded = qbx::macros::evaluateCalls(call, templ);
        check(expanded.size() <= kMaxResult);
        // A small loop over the same text as its template.
        const std::string looped = qbx::macros::runForLoop(call, "i", -1, 2, templ, ",");
        check(looped.size() <= (std::size_t{1} << 20));

        check(plugin.macroDepth == 0);
        check(plugin.curData.get() == &mail);
        check(plugin.curParams.get() == &params);
        check(params.stores.empty());  // the outer arguments are never written
        plugin.log.setMirror({});
    }
    // Every reference the module took is given back.
    check(mail.references == 1);
    check(params.references == 1);
    return 0;
}
