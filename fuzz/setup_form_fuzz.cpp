// The files the settings dialog reads from disk (the recipient list, the pending parts of
// UC.INI, a language file in the install folder) as arbitrary bytes, through the form's
// creation and refresh, and the list's bytes typed into its grid: no crash, no hang, cells and
// rows within their bounds, and an expression that is always one group.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/plugin.h"
#include "support/fake_dialog_view.h"
#include "support/fakes.h"
#include "ui/dialog/recipient_filter.h"
#include "ui/dialog/setup_controls.h"
#include "ui/dialog/setup_form.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

constexpr const char* kInstall = "C:\\Mail\\Plugins\\";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // Three files, cut apart at the first two NUL bytes.
    const std::size_t first = input.find('\0');
    const std::size_t second =
        first == std::string_view::npos ? first : input.find('\0', first + 1);
    const std::string_view recipients = input.substr(0, first);
    const std::string_view pending = first == std::string_view::npos
                                         ? std::string_view()
                                         : input.substr(first + 1, second - first - 1);
    const std::string_view language =
        second == std::string_view::npos ? std::string_view() : input.substr(second + 1);

    qbx::test::FakePlatform fake;
    qbx::Plugin plugin(fake.platform());
    plugin.strings.reset();
    plugin.settings.installDir = kInstall;
    plugin.settings.partsDir = std::string(kInstall) + "UC\\";
    plugin.settings.languageFile = "fuzz.zlf";
    plugin.recipientFilter = std::make_unique<qbx::ui::RecipientRegexFilter>();
    fake.files.put(std::string(kInstall) + "recipients.txt", std::string(recipients));
    fake.files.put(std::string(kInstall) + "UC\\UC.INI", std::string(pending));
    fake.files.put(std::string(kInstall) + "fuzz.zlf", std::string(language));

    qbx::test::FakeDialogView view;
    for (const qbx::ui::ControlRow& row : qbx::ui::setupControls()) {
        view.setCaption(row.name, qbx::ui::defaultCaption(row));
        view.setItems(row.name, qbx::ui::defaultItems(row));
    }
    qbx::ui::SetupForm form(plugin, view);
    form.formCreate();
    // The same bytes typed into a name and a value cell, then taken as the user's edit.
    for (int column = 0; column < 2; ++column) {
        const auto kept = form.valueListCell("vle", 0, column, recipients);
        check(!kept || kept->size() <= qbx::ui::kMaxValueListCell);
        if (kept && !view["vle"].rows.empty())
            view["vle"].rows[0][static_cast<std::size_t>(column)] = *kept;
    }
    form.controlChanged("vle");
    check(view["vle"].rows.size() <= qbx::ui::kMaxValueListRows);
    for (const auto& cells : view["vle"].rows)
        check(cells.size() == 2 && cells[0].size() <= qbx::ui::kMaxValueListCell &&
              cells[1].size() <= qbx::ui::kMaxValueListCell);
    check(plugin.recipientList.lines.size() <= view["vle"].rows.size());
    form.controlChanged("langlist", 0);
    form.formHide();

    check(view["sg"].rows.size() <= qbx::ui::kMaxPendingRows);
    check(view["langlist"].rows.size() <= 1);
    const auto built = qbx::ui::buildRecipientExpression({std::string(recipients)});
    check(built.expression.size() >= 2 && built.expression.front() == '(' &&
          built.expression.back() == ')');
    if (plugin.recipientFilter) (void)plugin.recipientFilter->matches(recipients);
    return 0;
}
