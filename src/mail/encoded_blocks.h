// Attachments carried inside a message body as base64 or uuencoded lines. Their bytes are no
// words: split at digits, "+" and "/", they fall into random letter runs that would crowd the
// real words out of the statistics and the spam filter. This finds those lines in a body of
// code page 1251 bytes (lines ending in CR LF or LF) so that the word counters can pass them by.
//
// A line is left out when it is
//   - base64: only A-Z a-z 0-9 + / with at most two "=" at its end, no blank inside (blanks and
//     a CR at its end do not count), and one of
//       * a line of at least 40 characters that looks like encoded data on its own: capitals,
//         small letters and digits, changing from one kind to another at every second
//         character at least (words, paths and identifiers change far less often);
//       * lines of 40 characters or more, all of one width, right before such a line of that
//         width (the first lines of a picture or an archive are mostly "A" and do not look
//         random alone);
//       * the first line after the headers of a MIME part that says
//         "Content-Transfer-Encoding: base64" (any length);
//     and then every following line of the block's width, up to a shorter or "="-padded last
//     line that brings the block's characters to a multiple of four;
//   - uuencoded: a "begin NNN name" line and every data line after it (the first character
//     gives the length, every character within 0x20..0x60) up to and including "end", or up to
//     the first line that is no such data; two neighbouring full data lines ("M" and 60
//     characters) open such a block without "begin" too.
// Everything else stays: blank lines, rules of "=", "-", "+" or "/", URLs, long words in either
// alphabet, quoted-printable lines, the "-----BEGIN PGP" armour lines and their "=" checksum
// line (the armoured data between them is base64 and goes).
//
// Untrusted input of any size: one pass over the lines, each looked at a bounded number of
// times, no copy of a body that holds no encoded line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qbx::mail {

// A base64 line shorter than this is taken only inside a block or right after part headers.
inline constexpr std::size_t kMinEncodedLineWidth = 40;

struct EncodedBlocksLeftOut {
    std::size_t lines = 0;  // encoded lines left out
    std::size_t bytes = 0;  // their bytes, line ends included
    std::string kept;       // the body without them; filled only when a line was left out

    // The text to take words from: the body itself when nothing was left out.
    std::string_view textOf(std::string_view body) const { return lines > 0 ? kept : body; }
};

// The body without its encoded lines: whole lines with their line ends are left out, so the
// lines around them keep their breaks and their order.
EncodedBlocksLeftOut leaveOutEncodedBlocks(std::string_view body);

}  // namespace qbx::mail
