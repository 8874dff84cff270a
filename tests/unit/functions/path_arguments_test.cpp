// A path, INI section or key, registry key or drive that a template derives from the message
// is refused, with one log line and the macro's failure answer; the same text written in the
// template or held by the user's own variables works. Derived means through variables, nested
// calls, expressions, numbers, loops and the host's own macros.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/macro_fixture.h"

namespace qbx::test {
namespace {

class PathArguments : public MacroFixture {
protected:
    PathArguments() {
        plugin.settings.installDir = "C:\\QBX\\";
        fake.files.put("C:\\QBX\\secret.txt", "k top secret\r\n");
        headers("secret.txt");
        // The host's own macro about the message.
        data.expander = [](std::string text) {
            for (auto at = text.find("%SUBJECT"); at != std::string::npos;
                 at = text.find("%SUBJECT"))
                text.replace(at, 8, "secret.txt");
            return text;
        };
    }
    void headers(const std::string& path) {
        data.items[macros::kHeadersItem] =
            "From: a@b\r\nSubject: Hello\r\nPath: " + path + "\r\nTail: ret.txt\r\n";
    }
    // The template's text as the host gets it back: evaluated once, unquoted.
    std::string templ(const std::string& text) { return run("ZVXFOR", {"i", "1", "1", text, ""}); }
    bool refused(const std::string& macro, const std::string& what) const {
        return logged("***** ERROR!!! Macro " + macro + ": " + what +
                      " produced from the message is refused");
    }
};

TEST_F(PathArguments, TheIniWritersTakeNoFileSectionOrKeyFromTheMessage) {
    const std::vector<std::string> paths = {"C:\\WINDOWS\\win.ini", "win.ini", "..\\..\\boot.ini",
                                            "\\\\server\\share\\x.ini"};
    for (const std::string& path : paths) {
        headers(path);
        for (const std::string macro : {"ZVXSETINISTR", "ZVXSETINIINT", "ZVXINCINIINT"}) {
            logLines.clear();
            EXPECT_EQ(templ("$" + macro + "($ZVXGETHEADER(Path:),boot,loader,1)"), "") << macro;
            EXPECT_TRUE(refused(macro, "INI file (argument 0)")) << macro << " " << path;
        }
    }
    EXPECT_FALSE(fake.files.has("C:\\WINDOWS\\win.ini"));
    // A section or a key from the message creates nothing in the user's own file either.
    headers("Evil");
    templ("$ZVXSETINISTR(C:\\my.ini,$ZVXGETHEADER(Path:),k,v)");
    EXPECT_TRUE(refused("ZVXSETINISTR", "section (argument 1)"));
    templ("$ZVXINCINIINT(C:\\my.ini,s,$ZVXGETHEADER(Path:))");
    EXPECT_TRUE(refused("ZVXINCINIINT", "key (argument 2)"));
    EXPECT_FALSE(fake.files.has("C:\\my.ini"));
    // The value may come from the message: it is what the user stores.
    EXPECT_EQ(templ("$ZVXSETINISTR(C:\\my.ini,s,k,$ZVXGETHEADER(Path:))"), "");
    EXPECT_EQ(fake.files.contents("C:\\my.ini"), "[s]\r\nk=Evil\r\n");
}

TEST_F(PathArguments, EveryMacroThatNamesAFileOrKeyRefusesWithItsFailureAnswer) {
    fake.files.put("C:\\a.ini", "[s]\r\nk=7\r\nsecret.txt=9\r\n[secret.txt]\r\nk=8\r\n");
    struct Case {
        std::string call;  // "@" is the message's text
        std::string answer;
        std::string what;
    };
    const std::vector<Case> cases = {
        {"ZVXGETINIINT(@,s,k)", "0", "INI file (argument 0)"},
        {"ZVXGETINIINT(C:\\a.ini,@,k)", "0", "section (argument 1)"},
        {"ZVXGETINISTR(C:\\a.ini,s,@)", "", "key (argument 2)"},
        {"ZVXSETINIINT(C:\\a.ini,s,@,1)", "", "key (argument 2)"},
        {"ZVXFVER(@)", "n/a", "file name (argument 0)"},
        {"ZVXFILESSIZE(B,C:\\QBX,@)", "", "mask (argument 2)"},
        {"ZVXFILESCOUNT(@,*.*)", "0", "folder (argument 0)"},
        {"ZVXFILESLIST(C:\\QBX,@)", "", "mask (argument 1)"},
        {"ZVXVOLNAME(@,none)", "none", "drive (argument 0)"},
        {"ZVXVOLSNUM(@)", "", "drive (argument 0)"},
        {"ZVXVOLFS(@)", "", "drive (argument 0)"},
        {"ZVXREGREAD(@,Path,M)", "", "registry key (argument 0)"},
        {"ZVXREGREAD(Software\\X,@,M)", "", "value name (argument 1)"},
        {"ZVXGETSTR(@,k)", "", "file name (argument 0)"},
        {"ZVXGETSTR(secret.txt,@)", "", "key (argument 1)"},
        {"ZVXPUTUUE(@)", "n/a", "file name (argument 0)"},
    };
    for (const Case& c : cases) {
        logLines.clear();
        std::string call = "$" + c.call;
        call.replace(call.find('@'), 1, "$ZVXGETHEADER(Path:)");
        EXPECT_EQ(templ(call), c.answer) << c.call;
        const std::string macro = c.call.substr(0, c.call.find('('));
        EXPECT_TRUE(refused(macro, c.what)) << c.call;
    }
    EXPECT_TRUE(fake.fileInfo.patterns.empty());  // no folder was searched
    EXPECT_EQ(fake.files.contents("C:\\a.ini"),
              "[s]\r\nk=7\r\nsecret.txt=9\r\n[secret.txt]\r\nk=8\r\n");
}

TEST_F(PathArguments, TheTemplatesOwnTextAndTheUsersVariablesWorkAsBefore) {
    EXPECT_EQ(templ("$ZVXGETSTR(secret.txt,k)"), "top secret");
    EXPECT_EQ(run("ZVXGETSTR", {"secret.txt", "k"}), "top secret");
    // The user's variables: set in a template from the template's text, or built in.
    run("ZVXSET", {"file", "secret.txt"});
    EXPECT_EQ(templ("$ZVXGETSTR($ZVXVAR(file),k)"), "top secret");
    templ("$ZVXSET(copy,secret.txt)");
    EXPECT_EQ(templ("$ZVXGETSTR($ZVXVAR(copy),k)"), "top secret");
    EXPECT_EQ(templ("$ZVXFOR(n,1,1,$ZVXGETSTR(secret.txt,k),N)"), "top secret");
    plugin.variables.storeStr("zvxdir", "C:\\QBX\\");
    EXPECT_EQ(templ("$ZVXFILESCOUNT($ZVXVAR(zvxdir),secret.txt)"), "0");
    EXPECT_EQ(fake.fileInfo.patterns, std::vector<std::string>{"C:\\QBX\\secret.txt"});
    // Calls and numbers computed from the template's own text.
    EXPECT_EQ(templ("$ZVXGETSTR($ZVXREVERSE(txt.terces),k)"), "top secret");
    EXPECT_EQ(templ("$ZVXSETINIINT(C:\\QBX\\my.ini,s,$ZVXSYMCNT(abc),7)"), "");
    EXPECT_EQ(fake.files.contents("C:\\QBX\\my.ini"), "[s]\r\n3=7\r\n");
    // The message may be read in the same template, for other calls and other arguments.
    EXPECT_NE(templ("$ZVXSET(x,$ZVXGETHEADER(Path:)) $ZVXGETSTR(secret.txt,k)").find("top secret"),
              std::string::npos);
    EXPECT_FALSE(logged("is refused"));
}

TEST_F(PathArguments, TextFromTheMessageStaysSoThroughVariablesCallsExpressionsAndLoops) {
    const std::vector<std::string> templates = {
        // A string macro's answer computed from it.
        "$ZVXGETSTR($ZVXREVERSE($ZVXREVERSE($ZVXGETHEADER(Path:))),k)",
        // The host's own macro about the message.
        "$ZVXGETSTR(%SUBJECT,k)",
        // An evaluation of it, and a loop over it.
        "$ZVXGETSTR($ZVXEVAL($ZVXGETHEADER(Path:)),k)",
        "$ZVXGETSTR($ZVXFOR(j,1,1,$ZVXGETHEADER(Path:),N),k)",
    };
    for (const std::string& text : templates) {
        logLines.clear();
        EXPECT_EQ(templ(text), "") << text;
        EXPECT_TRUE(refused("ZVXGETSTR", "file name (argument 0)")) << text;
    }
    // Variables set from it.
    templ("$ZVXSET(p,$ZVXGETHEADER(Path:))");
    templ("$ZVXSET(t,$ZVXREVERSE($ZVXGETHEADER(Path:)))");
    for (const char* name : {"p", "t"}) {
        EXPECT_TRUE(plugin.variables.fromMessage(name)) << name;
        logLines.clear();
        EXPECT_EQ(templ("$ZVXPUTUUE($ZVXVAR(" + std::string(name) + "))"), "n/a") << name;
        EXPECT_TRUE(refused("ZVXPUTUUE", "file name (argument 0)")) << name;
    }
    templ("$ZVXSET(q,$ZVXVAR(p))");
    EXPECT_TRUE(plugin.variables.fromMessage("q"));
    // Until the user sets it.
    run("ZVXSET", {"p", "secret.txt"});
    EXPECT_EQ(templ("$ZVXGETSTR($ZVXVAR(p),k)"), "top secret");

    // A number counted from the message stands bare in the call's arguments: all of them
    // count as from the message.
    logLines.clear();
    EXPECT_EQ(templ("$ZVXGETINISTR(C:\\a.ini,s,$ZVXSYMCNT($ZVXGETHEADER(Path:)))"), "");
    EXPECT_TRUE(refused("ZVXGETINISTR", "INI file (argument 0)"));
    // Kept in a variable, and as the bound of a loop.
    templ("$ZVXSET(n,$ZVXSYMCNT($ZVXGETHEADER(Path:)))");
    EXPECT_TRUE(plugin.variables.fromMessage("n"));
    EXPECT_EQ(plugin.variables.type("n"), 1);
    run("ZVXSET", {"m", "1"});
    templ("$ZVXINC( m , $$n )");
    EXPECT_EQ(plugin.variables.text("m"), "11");
    EXPECT_TRUE(plugin.variables.fromMessage("m"));
    logLines.clear();
    EXPECT_EQ(templ("$ZVXFOR( i , 1 , $$n , $ZVXGETINISTR(C:\\a.ini,s,k$$i) , N )"), "");
    EXPECT_TRUE(logged("produced from the message is refused"));
}

}  // namespace
}  // namespace qbx::test
