// HTML markup as the spam score sees it: tags, comments and entities go, the text between them
// and links' targets stay where they were, and bodies that only look like markup stay linear.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "mail/markup.h"

namespace qbx::mail {
namespace {

std::string blanked(std::string text) {
    blankMarkup(text);
    return text;
}

// The words left, one blank between them.
std::string words(std::string_view text) {
    std::string out;
    std::string t = blanked(std::string(text));
    for (std::size_t i = 0; i < t.size();) {
        if (t[i] == ' ' || t[i] == '\r' || t[i] == '\n') {
            ++i;
            continue;
        }
        const std::size_t end = t.find_first_of(" \r\n", i);
        if (!out.empty()) out += ' ';
        out += t.substr(i, end - i);
        i = end == std::string::npos ? t.size() : end;
    }
    return out;
}

TEST(Markup, TagsCommentsAndEntitiesGoTheTextStays) {
    struct Case {
        std::string_view body;
        std::string_view words;
    };
    const std::vector<Case> cases = {
        {"<html><body bgcolor=\"#ffffff\"><font face=Arial>Hello</font></body></html>", "Hello"},
        {"one&nbsp;two&#160;three&#xA0;four&amp;five", "one two three four five"},
        {"<!-- table font color --><p>kept</p><!---->", "kept"},
        {"<?xml version=\"1.0\"?><!DOCTYPE html><br/>text</BR>", "text"},
        // Not markup: a "<" or "&" that opens nothing, an entity without its ";".
        {"a < b and c > d", "a < b and c > d"},
        {"fish & chips, AT&T, R&D &amp no", "fish & chips, AT&T, R&D &amp no"},
        {"&#; &#x; &#xZZ; &1a;", "&#; &#x; &#xZZ; &1a;"},
        {"<b unclosed and more", "<b unclosed and more"},
    };
    for (const Case& c : cases) {
        const std::string out = blanked(std::string(c.body));
        EXPECT_EQ(out.size(), c.body.size()) << c.body;  // nothing moves
        EXPECT_EQ(words(c.body), c.words) << c.body;
    }
    std::string counted = "x<b>y&lt;z";
    EXPECT_EQ(blankMarkup(counted), 7u);
    EXPECT_EQ(counted, "x   y    z");
}

TEST(Markup, ALinksTargetStays) {
    EXPECT_EQ(words("<a href=\"http://cheap.example.com/pills\" class=x>click</a>"),
              "http://cheap.example.com/pills click");
    EXPECT_EQ(words("<A\r\nHREF = 'shop.example.net/offer' TITLE=t>go</A>"),
              "shop.example.net/offer go");
    EXPECT_EQ(words("<a href=www.example.org/x target=_blank>here</a>"), "www.example.org/x here");
    // No target, an attribute that only ends in "href", an empty or unclosed value: all goes.
    EXPECT_EQ(words("<a href>x</a><a xhref=\"no\">y</a><a href=''>z</a><a href=\"open>w"),
              "x y z w");
    EXPECT_EQ(words("<img src=\"http://example.com/pic.gif\" alt=\"picture\">"), "");
}

TEST(Markup, BoundsHoldAndHostileBodiesStayLinear) {
    // A tag or comment longer than its bound is no markup: its words are kept.
    const std::string longTag = "<p " + std::string(kMaxTagBytes, 'a') + ">";
    EXPECT_EQ(blanked(longTag), longTag);
    const std::string shortTag = "<p " + std::string(kMaxTagBytes - 4, 'a') + ">";
    EXPECT_EQ(blanked(shortTag), std::string(shortTag.size(), ' '));
    const std::string longComment = "<!--" + std::string(kMaxCommentBytes, ' ') + "-->";
    EXPECT_NE(blanked(longComment).substr(0, 4), "    ");

    // Millions of openers without a close, of comments without an end, of names that are almost
    // "href" and of ampersands: each byte is looked at a bounded number of times (a search per
    // opener would not end within the test's time).
    const std::vector<std::string> hostile = {
        std::string(4 << 20, '<'),
        [] {
            std::string s;
            while (s.size() < (4u << 20)) s += "<a";
            return s;
        }(),
        [] {
            std::string s;
            while (s.size() < (4u << 20)) s += "<!--<a ";
            return s;
        }(),
        [] {
            std::string s;
            for (int i = 0; i < 1000; ++i) {
                s += "<a";
                for (int k = 0; k < 600; ++k) s += " href ";
                s += ">";
            }
            return s;
        }(),
        std::string(4 << 20, '&'),
    };
    for (const std::string& body : hostile) {
        std::string text = body;
        blankMarkup(text);
        EXPECT_EQ(text.size(), body.size());
    }
}

}  // namespace
}  // namespace qbx::mail
