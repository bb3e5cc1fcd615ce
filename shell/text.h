#ifndef SHELL_TEXT_H_
#define SHELL_TEXT_H_

#include <string>
#include <vector>

// Text helpers. All text in this program is UTF-8 in std::string; the conversion helpers keep
// the names other code calls them by. Every function here is pure and may run on any thread.
namespace shell {

// Cuts `text` at any of the characters in `delimiters`, tokenizer style: pieces between
// neighbouring delimiters and at either end are dropped, so "1..2.3" at "." gives 1, 2, 3 and a
// text of delimiters only (or an empty text) gives an empty list. With no delimiters the whole
// non-empty text is the one piece.
std::vector<std::string> SplitString(const std::string& text, const std::string& delimiters);

// Returns `text` as well-formed UTF-8: every ill-formed sequence (stray continuation byte,
// overlong form, surrogate, value above U+10FFFF, cut-off sequence) becomes one U+FFFD per
// maximal bad subpart. Well-formed text comes back unchanged, at any length.
std::string Utf8ToWide(std::string text);
// Same contract as Utf8ToWide; used where the text goes out to a library that needs UTF-8.
std::string WideToUtf8(const std::string& text);
// The system's narrow encoding is UTF-8 as well, so this is the same normalisation.
std::string AnsiToWide(const std::string& text);

// `text` without white space at either end: ASCII space, tab, line feed, vertical tab, form feed,
// carriage return, and the Unicode spaces (U+0085, U+00A0, U+1680, U+2000-U+200A, U+2028, U+2029,
// U+202F, U+205F, U+3000) a user may type or paste into a path field.
std::string TrimWhiteSpace(const std::string& text);

}  // namespace shell

#endif  // SHELL_TEXT_H_
