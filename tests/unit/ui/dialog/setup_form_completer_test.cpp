// The dialog's buttons of the attachment-part completer.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/plugin.h"
#include "support/fake_dialog_view.h"
#include "support/fakes.h"
#include "ui/dialog/setup_form.h"

namespace qbx::ui {
namespace {

constexpr const char* kIni = "C:\\UC\\UC.INI";

class SetupFormCompleter : public ::testing::Test {
protected:
    SetupFormCompleter() {
        plugin.strings.reset();
        plugin.settings.partsDir = "C:\\UC\\";
        plugin.log.setMirror([this](const std::string& line) { log.push_back(line); });
        fake.files.createDirectories("C:\\UC");
        // A complete set of two one-line parts ("Cat", "Dog") and a set that waits for a part.
        fake.files.put("C:\\UC\\a1.tmp", "#0V%T\r\n");
        fake.files.put("C:\\UC\\a2.tmp", "#1&]G\r\n");
        fake.files.put("C:\\UC\\w1.tmp", "#0V%T\r\n");
        fake.files.put(kIni,
                       "[PendingFiles]\r\nCount=2\r\nab.txt=2\r\nw.txt=1\r\n"
                       "[ab.txt]\r\nCount=2\r\nCurrentCount=2\r\nDateStamp=45000\r\n"
                       "1=C:\\UC\\a1.tmp\r\n2=C:\\UC\\a2.tmp\r\n"
                       "[w.txt]\r\nCount=2\r\nCurrentCount=1\r\nDateStamp=44980,25\r\n"
                       "1=C:\\UC\\w1.tmp\r\n");
    }
    ~SetupFormCompleter() override { plugin.log.setMirror(nullptr); }

    bool loggedStart(const std::string& start) const {
        return std::any_of(log.begin(), log.end(),
                           [&](const std::string& line) { return line.rfind(start, 0) == 0; });
    }

    test::FakePlatform fake;
    Plugin plugin{fake.platform()};
    test::FakeDialogView view;
    SetupForm form{plugin, view};
    std::vector<std::string> log;
};

TEST_F(SetupFormCompleter, AssembleThenRemoveOldThenTheGridShowsWhatIsLeft) {
    form.controlChanged("UUE_docompletion");
    EXPECT_EQ(fake.files.contents("C:\\UC\\ab.txt"), "CatDog");
    EXPECT_FALSE(fake.files.has("C:\\UC\\ab.txt.uue"));  // the button drops the text
    ASSERT_EQ(view["sg"].rows.size(), 1u);
    EXPECT_EQ(view["sg"].rows[0][0], "w.txt");
    EXPECT_EQ(view["sg"].rows[0][3], "20");  // a stamp written with a comma

    plugin.settings.pendingPartsMaxAgeDays = 21;
    form.controlChanged("RemoveOlder");
    EXPECT_EQ(view["sg"].rows.size(), 1u);
    plugin.settings.pendingPartsMaxAgeDays = 20;
    form.controlChanged("RemoveOlder");
    EXPECT_TRUE(view["sg"].rows.empty());
    EXPECT_FALSE(fake.files.has("C:\\UC\\w1.tmp"));
}

TEST_F(SetupFormCompleter, AFailedAssemblyIsLoggedByTheDialog) {
    // The set that cannot be written is logged by the completer and stays; UC.INI, which
    // must change (a part of the other set went away), cannot be written: the dialog logs it.
    fake.files.failWrites = true;
    fake.files.deleteFile("C:\\UC\\w1.tmp");
    form.controlChanged("UUE_docompletion");
    EXPECT_TRUE(loggedStart("Cannot assemble ab.txt: cannot write C:\\UC\\ab.txt.uue: "));
    EXPECT_FALSE(fake.files.has("C:\\UC\\ab.txt"));
    EXPECT_TRUE(loggedStart("***** ERROR!!! Exception in dialog control UUE_docompletion: "));
}

TEST_F(SetupFormCompleter, TheGridReadsUcIniOnceWhateverItHolds) {
    fake.files.readFileCalls = 0;
    form.refreshchunks();
    EXPECT_EQ(fake.files.readFileCalls, 1);
    ASSERT_EQ(view["sg"].rows.size(), 2u);
    EXPECT_EQ(view["sg"].rows[0][0], "ab.txt");
    EXPECT_EQ(view["sg"].rows[0][1], "Done (2 parts)");
    EXPECT_EQ(view["sg"].rows[1][1], "1/2");

    // A parts folder that is the scripts folder shows nothing of it.
    plugin.settings.scriptsDir = "C:\\UC";
    form.refreshchunks();
    EXPECT_TRUE(view["sg"].rows.empty());
}

}  // namespace
}  // namespace qbx::ui
