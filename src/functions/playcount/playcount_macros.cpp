#include "functions/playcount/playcount_macros.h"

#include <algorithm>
#include <vector>

#include "base/text.h"
#include "core/plugin.h"
#include "core/strings.h"
#include "functions/playcount/play_count_list.h"
#include "macros/answer.h"
#include "macros/arguments.h"
#include "macros/expressions.h"

namespace qbx::functions::playcount {
namespace {

constexpr std::int32_t kDefaultTitles = 10;
constexpr std::int32_t kMostTitles = 50;

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    std::size_t start = 0;
    for (std::size_t at = text.find(from); at != std::string_view::npos;
         at = text.find(from, start)) {
        out.append(text.substr(start, at - start)).append(to);
        start = at + from.size();
    }
    out.append(text.substr(start));
    return out;
}

// Variables are expanded in the template's own text only: a "$$" in data stays as it is.
std::string expandTemplate(const macros::ExpressionContext& context,
                           const macros::MarkedText& templ) {
    if (!macros::holdsData(templ)) return macros::expandVariables(context, macros::flatten(templ));
    std::string out;
    for (const macros::TextPiece& piece : templ)
        out += piece.isData ? piece.text : macros::expandVariables(context, piece.text);
    return out;
}

}  // namespace

BoundedText buildNpTopList(Plugin& plugin, const macros::MarkedText& templ,
                           std::string_view separator, std::int32_t count) {
    BoundedText result;
    result.limit = kMaxTopListText;
    plugin.variables.storeStr("nl", "\r\n");
    const PlayCountStore* list = playCountList(plugin);
    if (list == nullptr) {
        result.text = plugin.strings[str::kNotAvailable];
        return result;
    }
    if (count > kMostTitles) count = kMostTitles;
    if (count < 1) count = kDefaultTitles;

    const macros::ExpressionContext context{plugin.variables, plugin.strings, plugin.log};
    const std::string joint = replaceAll(separator, "$$nl", "\r\n");
    const std::vector<TitleCount> top = list->table().top(kMostTitles);
    const std::size_t shown = std::min(top.size(), static_cast<std::size_t>(count));
    for (std::size_t k = 0; k < shown; ++k) {
        if (top[k].count == 0) break;  // the rest count no more
        plugin.variables.storeTempStr("entry", top[k].text);
        plugin.variables.storeTempStr("val", decimal(top[k].count));
        plugin.variables.storeTempStr("cnt", decimal(static_cast<std::int64_t>(k + 1)));
        std::string item = expandTemplate(context, templ);
        if (!result.text.empty()) item = macros::expandVariables(context, joint) + item;
        if (item.size() > result.limit - result.text.size()) {
            result.text.append(item, 0, result.limit - result.text.size());
            result.cut = true;
            break;
        }
        result.text += item;
    }
    return result;
}

std::string npTop(macros::MacroCall& call) {
    return macros::answerOr(call, str::kNotAvailable, [&] {
        const std::int32_t count = macros::getParamInt(call.params, 0);
        macros::MarkedText templ = macros::getParamTemplate(call.params, 1);
        if (macros::flatten(templ).empty()) templ = macros::templateText("$$entry");
        std::string separator = macros::getParamText(call.params, 2);
        if (separator.empty()) separator = "$$nl";
        return macros::answer(call, buildNpTopList(call.plugin, templ, separator, count));
    });
}

}  // namespace qbx::functions::playcount
