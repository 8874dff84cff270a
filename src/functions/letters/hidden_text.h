// A short message hidden in a cover text without changing its look: each letter drawn alike in
// the Latin and the Cyrillic alphabet carries one bit (Latin 1, Cyrillic 0), seven bits to a
// message character of a 128-character alphabet, least significant bit first. There is no key:
// anyone who knows the scheme reads the message.
#pragma once

#include <string>
#include <string_view>

namespace qbx::functions::letters {

// The cover with its look-alike letters set to carry the message (after the message's own
// look-alikes and brackets are mapped into the alphabet; a character outside the alphabet goes
// as a blank). Carriers beyond the message, and a message longer than the cover holds, end in
// Cyrillic letters. The result has the cover's length.
std::string hideTextInText(std::string_view cover, std::string_view message);

// The message the look-alike letters of a text carry, up to its last character with a bit set.
std::string extractHiddenText(std::string_view text);

}  // namespace qbx::functions::letters
