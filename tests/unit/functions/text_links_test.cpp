// Links found in a text of mail: the two schemes searched and where a link stops.
#include "functions/text/links.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qbx::functions::text {
namespace {

TEST(TextLinks, SchemesAndStopCharacters) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"see http://a.b/c?x=1 and FTP://files.x/y;z", "http://a.b/c\r\nFTP://files.x/y"},
        {"https://secure.example/ only", ""},  // only "http:" and "ftp:" are searched
        {"<http://x.y/a=b>", "http://x.y/a"},
        {"http://x.y/\xEF\xF3\xF2\xFC", "http://x.y/"},  // codes of 127 and above stop it
        {"ftp://a http://b ftp://c", "ftp://a\r\nhttp://b\r\nftp://c"},
        {"Visit HtTp://Ex.COM/~u/!$%&'()*+,-./:09@_", "HtTp://Ex.COM/~u/!$%&'()*+,-./:09@_"},
        {"http://a.b/{x}|y", "http://a.b/"},
        {"http://a\x01http://b\tftp:", "http://a\r\nhttp://b\r\nftp:"},
        {"no links here", ""},
        {"", ""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(extractLinks(text, 1 << 20).text, expected) << text;
}

TEST(TextLinks, ExactlyTheLinkCharacters) {
    std::string accepted;
    for (int c = 1; c < 256; ++c)
        if (isLinkChar(static_cast<char>(c))) accepted += static_cast<char>(c);
    EXPECT_EQ(accepted,
              "!\"#$%&'()*+,-./0123456789:@ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz~");
}

TEST(TextLinks, ManyLinksStayWithinTheBound) {
    std::string text;
    for (int i = 0; i < 1000; ++i) text += "ftp:<";
    const BoundedText links = extractLinks(text, 100);
    EXPECT_TRUE(links.cut);
    EXPECT_EQ(links.text.size(), 100u);
    EXPECT_EQ(links.text.substr(0, 12), "ftp:\r\nftp:\r\n");
}

}  // namespace
}  // namespace qbx::functions::text
