#pragma once
// chars.h: byte classes and scanning over the source text.
//
// The source text is one NUL-terminated buffer that is never copied, cut into tokens or changed; a position is a
// pointer to one byte of it. A byte is classified by its 8-bit value alone (no locale): every byte from 128 to 255
// is a name character. The end of the text is its first NUL, so every scan here stops at a NUL.

#include <cstdint>

namespace cellisp {

// tab, line feed, carriage return and space; nothing else (vertical tab and form feed are name characters).
inline bool is_blank(unsigned char byte) { return byte == '\t' || byte == '\n' || byte == '\r' || byte == ' '; }

// Every byte but NUL, the four blanks, '(' and ')'.
inline bool is_name_char(unsigned char byte) {
    return byte != '\0' && byte != '(' && byte != ')' && !is_blank(byte);
}

inline bool is_digit(unsigned char byte) { return byte >= '0' && byte <= '9'; }

inline unsigned char byte_at(const char* p) { return static_cast<unsigned char>(*p); }

// The first position at or after `p` whose byte is not a blank; at the end of the text, the NUL itself.
inline const char* skip_blanks(const char* p) {
    while (is_blank(byte_at(p))) ++p;
    return p;
}

// The position of the element that follows the one at `p` in the same list, or nullptr when the list ends there.
// REQUIRES: p is the first byte of an element (not a blank). An element is a string literal (to the next double
// quote), a parenthesised list (to the ')' that balances it, counting every parenthesis, those inside literals
// too), a name, or any of these after quote marks. Ends the run with "Missing ) \n", status 4, when the element
// is a list that is not closed before the end of the text.
const char* next_element(const char* p);

// True when the names at `a` and `b` are the same whole name. Either side is a position in the source text or a
// NUL-terminated word; each name ends before its first byte that is not a name character. An empty name matches
// nothing, not even another empty name.
bool same_name(const char* a, const char* b);

// The bucket of a name, 0 to 31, from its first two bytes.
std::int32_t hash_name(const char* name);

// Builds the index of matching parentheses for `text`, so that next_element steps over a list in constant time
// instead of rescanning it at every enclosing level. Optional: without it next_element scans. Process-wide,
// written once by the reader before it reads `text`; the index refers to `text`, which must outlive its use.
void index_parentheses(const char* text);
void forget_parentheses();

}  // namespace cellisp
