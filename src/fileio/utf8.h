// Text for formats that must be UTF-8 (glTF's JSON): names taken from
// documents and file names may be in a one-byte encoding instead.
#pragma once

#include <string>
#include <string_view>

namespace vh {

// Whether `text` is well-formed UTF-8 (no stray continuation bytes, no
// overlong forms, no surrogates, nothing past U+10FFFF).
bool IsUtf8(std::string_view text);

// `text` itself when it is UTF-8; otherwise `text` read as Latin-1, the
// one-byte encoding documents from other systems most likely hold (a
// material prefix "Matériel"), so that every byte survives as a character.
std::string AsUtf8(std::string_view text);

}  // namespace vh
