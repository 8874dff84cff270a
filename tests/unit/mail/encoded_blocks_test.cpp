// Encoded attachment lines in message bodies: what goes, what must stay, and that hostile
// bodies stay linear.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "mail/encoded_blocks.h"
#include "support/encoded_samples.h"

namespace qbx::mail {
namespace {

using test::base64Lines;
using test::noiseBytes;
using test::uuLines;

std::string kept(std::string_view body) {
    const EncodedBlocksLeftOut result = leaveOutEncodedBlocks(body);
    return std::string(result.textOf(body));
}

// The first bytes of a PNG file: mostly zeros, so its first base64 line is mostly "A".
std::string pictureBytes() {
    return std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\1\0\0\0\1\0\x08\x06\0\0\0", 29) +
           std::string(16, '\0') + noiseBytes(400);
}

TEST(EncodedBlocks, BodiesWithoutEncodedLinesComeBackUncopied) {
    for (const std::string_view body :
         {std::string_view(""), std::string_view("Hello there\r\nfriend"),
          std::string_view("\n\n\r\n"), std::string_view("one line without an end")}) {
        const EncodedBlocksLeftOut result = leaveOutEncodedBlocks(body);
        EXPECT_EQ(result.lines, 0u);
        EXPECT_EQ(result.bytes, 0u);
        EXPECT_TRUE(result.kept.empty());
        EXPECT_EQ(result.textOf(body).data(), body.data());
    }
}

TEST(EncodedBlocks, AMimeAttachmentGoesWithItsLastLineAndTheTextAroundStays) {
    for (const std::string_view eol : {"\r\n", "\n"}) {
        // 17 lines of 76 characters and a padded one of 44
        const std::string encoded = base64Lines(noiseBytes(1000), 76, eol);
        ASSERT_EQ(encoded.substr(encoded.size() - 2 - eol.size(), 2), "==");
        const std::string text = std::string("Dear friend,") + std::string(eol) + "see the file." +
                                 std::string(eol) + std::string(eol);
        const std::string tail = std::string(eol) + "--boundary--" + std::string(eol);
        const std::string body = text + encoded + tail;
        const EncodedBlocksLeftOut result = leaveOutEncodedBlocks(body);
        EXPECT_EQ(result.textOf(body), text + tail);
        EXPECT_EQ(result.lines, 18u);
        EXPECT_EQ(result.bytes, encoded.size());
    }
}

TEST(EncodedBlocks, LastLinesCloseTheBlockOnlyAtAMultipleOfFour) {
    const std::string full = base64Lines(noiseBytes(57 * 3));  // three full lines, no padding
    const struct {
        const char* name;
        std::string last;
        bool goes;
    } cases[] = {
        {"short, no padding", "QUJDRA\r\n", false},  // 6: the block would end at 230
        {"short, four", "QUJD\r\n", true},           // 4: 228 + 4
        {"padded", "QUI=\r\n", true},
        {"padded, eight", "QUJDRA==\r\n", true},
        {"padded, one short", "QUJDRA=\r\n", false},
        {"signature", "Regards\r\n", false},  // 7 letters right after the data
        {"rule", std::string(40, '/') + "\r\n", false},
        {"longer than the block", std::string(80, 'x') + "\r\n", false},
    };
    for (const auto& c : cases) {
        const std::string body = full + c.last + "bye\r\n";
        EXPECT_EQ(kept(body), (c.goes ? "" : c.last) + "bye\r\n") << c.name;
    }
}

TEST(EncodedBlocks, BlocksOpenByRandomLookingLinesByPairsOrByPartHeaders) {
    const std::string picture = base64Lines(pictureBytes());
    const std::string firstLine = picture.substr(0, picture.find('\n') + 1);
    // The picture's first line alone does not look like data; with its neighbour it does.
    EXPECT_EQ(kept("a\r\n" + firstLine + "b\r\n"), "a\r\n" + firstLine + "b\r\n");
    EXPECT_EQ(kept("a\r\n" + picture + "b\r\n"), "a\r\nb\r\n");
    // A file that begins with zeros: every line of them joins the block after them.
    const std::string zeros = base64Lines(std::string(57 * 3, '\0') + noiseBytes(300));
    EXPECT_EQ(kept("a\r\n" + zeros + "b\r\n"), "a\r\nb\r\n");

    // One random-looking line goes alone; a short one only after its part's headers.
    const std::string single = base64Lines(noiseBytes(57));
    EXPECT_EQ(kept("a\n" + single + "b\n"), "a\nb\n");
    const std::string headers =
        "--b1\r\nContent-Type: application/octet-stream; name=\"x.bin\"\r\n"
        "Content-Transfer-Encoding: BASE64 \r\n\r\n";
    EXPECT_EQ(kept(headers + "QUJD\r\n\r\n--b1--\r\n"), headers + "\r\n--b1--\r\n");
    EXPECT_EQ(kept(headers + "Hello, world\r\n"), headers + "Hello, world\r\n");
    // Only the line right after the blank line ending the part headers.
    EXPECT_EQ(kept(headers + "\r\nQUJD\r\n"), headers + "\r\nQUJD\r\n");
    const std::string quotedPrintable =
        "Content-Transfer-Encoding: quoted-printable\r\n\r\nQUJD\r\n";
    EXPECT_EQ(kept(quotedPrintable), quotedPrintable);
}

// A line right after a block that brings it to a multiple of four characters counts as its last
// line, whatever it says: the lines tried there below are those no block could end with.
TEST(EncodedBlocks, TextLinesStayAloneInPairsAndAfterABlock) {
    const std::vector<std::string> lines = {
        std::string(76, '='),
        std::string(76, '-'),
        std::string(60, '+'),
        std::string(60, '/'),
        "https://www.example.com/download/files/2024/report-final-version.pdf",
        "www.example.org/verylongpathwithoutdotsorotherpunctuationatall",
        "Pneumonoultramicroscopicsilicovolcanoconiosis",
        "Supercalifragilisticexpialidocious/Antidisestablishmentarianism",
        std::string(48, '\xEF'),  // a long Cyrillic word
        "\xEF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0 \xE8 \xE2\xF1\xE5\xEC "
        "\xEF\xF0\xE8\xE2\xE5\xF2 \xE5\xF9\xB8 \xF0\xE0\xE7",
        "=D0=9F=D1=80=D0=B8=D0=B2=D0=B5=D1=82, =D0=BC=D0=B8=D1=80! Hello world=",
        "Some ordinary words on a line of a letter, long enough to matter.",
        "OK",
    };
    const std::vector<std::string> linesOfTheAlphabet = {
        "da39a3ee5e6b4b0d3255bfef95601890afd80709",  // a hash: no capitals
        "Org/Apache/Commons/Lang3/Builder/ToStringBuilder",
        "XMLHttpRequest2ObjectFactoryForIE6AndIE7Compatibility",
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/",
        "ThisIsAQuotedPrintableLineBrokenInTheMiddleOfAVeryLongWord1=",
        std::string(64, 'A'),
    };
    const std::string block = base64Lines(noiseBytes(57 * 4), 76, "\n");
    for (const auto* table : {&lines, &linesOfTheAlphabet}) {
        for (const std::string& line : *table) {
            const std::string alone = "text\n" + line + "\ntext";
            EXPECT_EQ(kept(alone), alone) << line;
            const std::string twice = line + "\n" + line + "\n";
            EXPECT_EQ(kept(twice), twice) << line;
            if (table == &lines) {
                EXPECT_EQ(kept(block + line + "\n"), line + "\n") << line;
            }
        }
    }
}

TEST(EncodedBlocks, PgpArmourLosesItsDataButKeepsItsFrame) {
    const std::string head = "-----BEGIN PGP SIGNATURE-----\n\n";
    const std::string tail = "=Xq3V\n-----END PGP SIGNATURE-----\n";
    const std::string armour = head + base64Lines(noiseBytes(300), 64, "\n") + tail;
    EXPECT_EQ(kept(armour), head + tail);
}

TEST(EncodedBlocks, UuencodedFilesGoFromBeginToEnd) {
    const std::string data = uuLines(noiseBytes(200));  // four full lines and one of 20 bytes
    const std::string block = "begin 644 photo.jpg\r\n" + data + "`\r\nend\r\n";
    EXPECT_EQ(kept("Look:\r\n" + block + "Bye\r\n"), "Look:\r\nBye\r\n");
    EXPECT_EQ(leaveOutEncodedBlocks(block).lines, 8u);

    // Without "end" the block stops at the first line that is no data.
    EXPECT_EQ(kept("begin 0755 run.sh\r\n" + data + "THANKS\r\nbye\r\n"), "THANKS\r\nbye\r\n");
    // Without "begin" two full lines are enough, one is not.
    EXPECT_EQ(kept("x\r\n" + data + "end\r\ny\r\n"), "x\r\ny\r\n");
    const std::string oneLine = data.substr(0, data.find('\n') + 1);
    EXPECT_EQ(kept("x\r\n" + oneLine + "y\r\n"), "x\r\n" + oneLine + "y\r\n");

    for (const std::string text : {"begin 64 x\r\n", "begin 644\r\n", "begin 648 x\r\n",
                                   "begin the meeting at noon\r\n", "begin-base64 644 x\r\n"})
        EXPECT_EQ(kept(text + "M" + std::string(60, '!') + "\r\n"),
                  text + "M" + std::string(60, '!') + "\r\n")
            << text;
}

TEST(EncodedBlocks, WhatGoesIsWholeLinesInOrder) {
    // A message with every kind of block between text lines, CR LF and LF mixed, the last
    // line without its end.
    const std::string body = "first\n" + base64Lines(pictureBytes(), 76, "\n") + "second\r\n" +
                             "begin 600 a\r\n" + uuLines(noiseBytes(90)) + "end\r\n" + "third\n" +
                             base64Lines(noiseBytes(100), 64, "\r\n") + "fourth";
    const EncodedBlocksLeftOut result = leaveOutEncodedBlocks(body);
    EXPECT_EQ(result.textOf(body), "first\nsecond\r\nthird\nfourth");
    EXPECT_EQ(result.bytes, body.size() - result.kept.size());

    // A last line that is data loses only itself.
    const std::string single = base64Lines(noiseBytes(57), 76, "");
    EXPECT_EQ(kept("text\r\n" + single), "text\r\n");
    EXPECT_EQ(kept(single), "");
}

TEST(EncodedBlocks, HostileBodiesStayLinear) {
    // Lines that each almost open a block, a huge single line, a block that never ends.
    std::string pairs;
    const std::string line = base64Lines(pictureBytes()).substr(0, 76);
    for (int i = 0; i < 50000; ++i) pairs += line + "\n" + line.substr(0, 75) + "\n";
    EXPECT_EQ(leaveOutEncodedBlocks(pairs).lines, 0u);

    const std::string huge = base64Lines(noiseBytes(3 << 20), 4 << 20, "");
    EXPECT_EQ(kept("a\n" + huge + "\nb"), "a\nb");

    std::string endless = "begin 644 x\n";
    for (int i = 0; i < 100000; ++i) endless += "M" + std::string(60, '!') + "\n";
    EXPECT_EQ(leaveOutEncodedBlocks(endless).lines, 100001u);
}

}  // namespace
}  // namespace qbx::mail
