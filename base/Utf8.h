#pragma once

// UTF-8 encoding shared by the file formats and the painted texts.

#include <string>
#include <string_view>

namespace trq::base {

// Appends the code point's UTF-8 form (1 to 4 bytes). Surrogates are encoded as they are
// (three bytes), so a caller can keep a lone surrogate of a file it must write back.
void AppendUtf8(std::string& out, char32_t codePoint);

// UTF-16 text as UTF-8 for display; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace trq::base
