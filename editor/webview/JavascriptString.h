#pragma once
#include <string>

namespace KIV {

// A JavaScript string literal, quotes included, that evaluates to exactly the
// given UTF-8 text. Quotes, backslashes, every control byte and the line and
// paragraph separators U+2028/U+2029 (line ends inside older script engines'
// string literals) are escaped, and "</" is broken up so the literal is also
// safe inside a <script> element: text from a scene or a file stays text.
std::string JavascriptStringLiteral(const std::string& utf8);

} // namespace KIV
