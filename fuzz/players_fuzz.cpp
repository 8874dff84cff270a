// Arbitrary bytes as other programs' window captions and Winamp's replies: every cut stays
// within its caption, every answer is bounded, whatever the players' windows say.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "functions/players/players.h"

namespace {

using namespace qbx::functions::players;
using qbx::DesktopWindows;
using qbx::WindowHandle;

void check(bool condition) {
    if (!condition) std::abort();
}

// Every player's window at once, each with a piece of the input as its caption; Winamp replies
// with the input's bytes.
class InputDesktop final : public DesktopWindows {
public:
    InputDesktop(std::string_view input) : input_(input) {
        static constexpr std::string_view kClasses[] = {
            "LightAlloyFront",  "PlayerCanvas",        "Apollo - Main Window",
            "FOOBAR2000_CLASS", "1by1WndClass",        "Winamp v1.x",
            "STPAppClass",      "MediaPlayerClassicW", "ZP"};
        // The first byte picks which windows exist; the rest is split into captions at zeros.
        const unsigned present = input.empty() ? 0x1ff : static_cast<unsigned char>(input[0]);
        std::string_view rest = input.empty() ? input : input.substr(1);
        for (std::size_t i = 0; i < std::size(kClasses); ++i) {
            const std::size_t zero = rest.find('\0');
            const std::string_view caption = rest.substr(0, zero);
            rest = zero == std::string_view::npos ? std::string_view() : rest.substr(zero + 1);
            if (i < 8 && (present & (1u << i)) == 0) continue;
            windows_.push_back({kClasses[i], std::string(caption)});
        }
    }
    WindowHandle findWindowByClass(std::string_view className) override {
        for (std::size_t i = 0; i < windows_.size(); ++i)
            if (windows_[i].className == className) return i + 1;
        return 0;
    }
    std::string windowCaption(WindowHandle window, std::size_t maxChars) override {
        if (window == 0 || window > windows_.size()) return {};
        return windows_[window - 1].caption.substr(0, std::min(maxChars, kMaxCaptionChars));
    }
    void forEachTopLevelWindow(
        const std::function<bool(WindowHandle, std::string_view)>& visit) override {
        for (std::size_t i = 0; i < windows_.size(); ++i)
            if (!visit(i + 1, windows_[i].caption.substr(0, kMaxCaptionChars))) return;
    }
    std::optional<std::int32_t> sendUserMessage(WindowHandle, std::uintptr_t wParam,
                                                std::intptr_t lParam) override {
        const std::size_t at = (static_cast<std::size_t>(lParam) * 11 + wParam) * 4;
        if (at + 4 > input_.size()) return at % 3 == 0 ? std::nullopt : std::optional(0);
        std::int32_t value = 0;
        std::memcpy(&value, input_.data() + at, 4);
        return value;
    }

private:
    struct Window {
        std::string_view className;
        std::string caption;
    };
    std::string_view input_;
    std::vector<Window> windows_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (auto cut : {lightAlloyTitle, quintessentialTitle, foobarTitle, oneByOneTitle, winampTitle,
                     systemTrayPlayerTitle, mediaPlayerClassicTitle, zoomPlayerTitle,
                     quintessentialTimeOf, quintessentialPlaylistPosOf})
        check(cut(input).size() <= input.size());
    check(oneByOneTimeOf(input).size() <= std::max<std::size_t>(input.size(), 4));

    qbx::StringTable strings;
    strings.reset();
    InputDesktop desktop(input);
    const std::size_t bound = DesktopWindows::kMaxCaptionChars + 64;
    check(activePlayerName(desktop).size() <= 32);
    check(nowPlaying(desktop, strings, "x").size() <= bound);
    for (const PlayerRow& row : playerRows())
        check(playerTitle(desktop, strings, row.player).size() <= bound);
    check(winampVersion(desktop).size() <= 4);
    check(winampPosition(desktop, 0).size() <= 16);
    check(winampPosition(desktop, 1).size() <= 16);
    check(winampPlaylistPos(desktop).size() <= 11);

    std::int32_t rows = 0;
    if (size >= 4) std::memcpy(&rows, data + size - 4, 4);
    const std::string picture = winampEqualizer(desktop, rows);
    check(picture.size() <= 65u * 12u);
    std::array<std::int32_t, kEqualizerBands + 1> values{};
    for (std::size_t i = 0; i < values.size() && (i + 1) * 4 <= size; ++i)
        std::memcpy(&values[i], data + i * 4, 4);
    const std::string drawn = equalizerPicture(values, rows);
    check(drawn.size() <= 65u * 12u && drawn.size() >= 3u * 2u);
    return 0;
}
