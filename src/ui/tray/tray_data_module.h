// The tray data module: the plug-in's presence outside the host's windows. It owns the tray icon
// with its menu (through a view), the mouse-travel timer, the 456 ms tick that keeps the
// built-in variables current and watches the dial-up connection, the exception logger of our
// windows, and the bug report.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ports/tray_module.h"
#include "ui/tray/exception_reporter.h"
#include "ui/tray/tray_menu_items.h"
#include "ui/tray/tray_view.h"

namespace qbx {
struct Plugin;
}

namespace qbx::ui {

inline constexpr std::uint32_t kMouseTrackingIntervalMs = 90;
inline constexpr std::uint32_t kConnectionIntervalMs = 456;

// Interface texts of the module.
inline constexpr int kHelpFileText = 198;
inline constexpr int kBugReportSentText = 350;

// The bug report goes to the module's own address; the mail client queues it for sending.
inline constexpr std::string_view kBugReportRecipient = "bugs@quilbex.invalid";
inline constexpr std::string_view kBugReportFileName = "zvxtemp";
inline constexpr std::string_view kHostProgramName = "thebat.exe";

// The message file: the brief report, a line break, the previous session's log, then the
// host's template lines naming recipient and subject, each line ending in CR LF. In the report
// and the log every "%" before a letter is written "% " and the letter: only our own two lines
// are the host's macros.
std::string bugReportText(std::string_view brief, std::string_view previousLog);
// The host's command line that puts the file into its outgoing queue.
std::string bugReportParameters(std::string_view messageFile);

// The icons that show the connection in a tray mode; nothing for mode 0 (no icon).
std::optional<TrayIconSet> iconSetFor(std::int32_t trayMode, bool online);

using TrayViewFactory = std::function<std::unique_ptr<TrayView>(TrayEvents&)>;

class TrayDataModule final : public TrayModule, private TrayEvents {
public:
    TrayDataModule(Plugin& plugin, const TrayViewFactory& makeView);
    ~TrayDataModule() override;
    TrayDataModule(const TrayDataModule&) = delete;
    TrayDataModule& operator=(const TrayDataModule&) = delete;

    // TrayModule
    void installExceptionHandler() override { reporter_.install(); }
    void removeExceptionHandler() override { reporter_.remove(); }
    void clearMessageHandler() override {}
    void setTrayVisible(bool visible) override { view_->setIconVisible(visible); }
    bool trayVisible() const override { return view_->iconVisible(); }
    void setSetupItemCaption(const std::string& caption) override;
    void showBalloon(const std::string& title, const std::string& text, int seconds) override;
    void setMouseTracking(bool enabled) override;
    void setIconMode(std::int32_t trayMode) override;
    TrayMenu* trayMenu() override { return menu_.get(); }
    MouseTravel mouseTravel() const override { return travel_; }

    // The handlers, as the menu, the icon and the timers call them.
    void smenuClick();
    void trayDblClick();
    void trayClick();
    void helpMenuClick();
    void runZvxViewClick();
    void n3Click();
    void mouseTrackingTimerTimer();
    void rasTimerTimer();
    // The exception logger; sender null when no component raised it.
    void zvxExc(std::exception_ptr error, const ExceptionSender* sender) {
        reporter_.report(error, sender);
    }

    TrayEvents& events() { return *this; }

private:
    // TrayEvents
    void handle(const TrayEvent& event) override;
    ExceptionSender senderOf(const TrayEvent& event) const override;
    ExceptionReporter& exceptionReporter() override { return reporter_; }

    void dataModuleCreate();
    void dataModuleDestroy();
    void watchConnection();
    void connectionStarted();
    void connectionEnded();
    void autosave();
    void showIconsFor(bool online);

    Plugin& plugin_;
    ExceptionReporter reporter_;
    std::unique_ptr<TrayView> view_;
    std::unique_ptr<TrayMenuItems> menu_;
    MouseTravel travel_;
    ScreenPoint lastCursor_;
    bool reportRunning_ = false;
};

}  // namespace qbx::ui
