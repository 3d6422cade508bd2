// chars.cpp: stepping over elements and comparing names in place.

#include "reader/chars.h"

#include <cstddef>

#include "cell/memory.h"
#include "driver/fail.h"
#include "driver/process.h"

namespace cellisp {
namespace {

constexpr std::uint32_t no_close = UINT32_MAX;
// The index of the text being read (process.h): every '(' of the text, in order, with the position of the ')'
// that balances it, or no_close when the text ends first. The depth count that defines a match counts every
// parenthesis of the text, so an ordinary stack of open parentheses finds the same ones.
constexpr ParenIndex& paren_index = process.parens;

// The ')' that balances the '(' at p, or nullptr when the list is not closed before the end of the text.
const char* scan_close(const char* p) {
    long depth = 1;
    for (++p; *p != '\0'; ++p) {
        if (*p == '(') {
            ++depth;
        } else if (*p == ')' && --depth == 0) {
            return p;
        }
    }
    return nullptr;
}

const char* indexed_close(const char* p) {
    const std::uint32_t offset = static_cast<std::uint32_t>(p - paren_index.text);
    std::size_t low = 0;
    std::size_t high = paren_index.count;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (paren_index.opens[middle] < offset) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    const std::uint32_t close = paren_index.closes[low];
    return close == no_close ? nullptr : paren_index.text + close;
}

const char* find_close(const char* p) {
    if (paren_index.text != nullptr && p >= paren_index.text && p < paren_index.text + paren_index.length) {
        return indexed_close(p);
    }
    return scan_close(p);
}

}  // namespace

void index_parentheses(const char* text) {
    forget_parentheses();
    std::size_t length = 0;
    std::size_t count = 0;
    for (; text[length] != '\0'; ++length) count += text[length] == '(';
    if (length >= no_close) return;  // offsets would not fit: plain scanning still works
    ParenIndex index;
    index.text = text;
    index.length = length;
    index.count = count;
    index.opens = static_cast<std::uint32_t*>(take_memory((count + 1) * sizeof(std::uint32_t)));
    index.closes = static_cast<std::uint32_t*>(take_memory((count + 1) * sizeof(std::uint32_t)));
    std::uint32_t* open_stack = static_cast<std::uint32_t*>(take_memory((count + 1) * sizeof(std::uint32_t)));
    std::size_t next = 0;
    std::size_t depth = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] == '(') {
            index.opens[next] = static_cast<std::uint32_t>(i);
            index.closes[next] = no_close;
            open_stack[depth++] = static_cast<std::uint32_t>(next++);
        } else if (text[i] == ')' && depth > 0) {
            index.closes[open_stack[--depth]] = static_cast<std::uint32_t>(i);
        }
    }
    give_memory(open_stack, (count + 1) * sizeof(std::uint32_t));
    paren_index = index;
}

void forget_parentheses() {
    if (paren_index.text == nullptr) return;
    give_memory(paren_index.opens, (paren_index.count + 1) * sizeof(std::uint32_t));
    give_memory(paren_index.closes, (paren_index.count + 1) * sizeof(std::uint32_t));
    paren_index = ParenIndex{};
}

const char* next_element(const char* p) {
    // Quote marks belong to the element after them, blanks between included.
    while (*p == '\'') p = skip_blanks(p + 1);
    const char* last;  // the element's last byte
    const unsigned char first = byte_at(p);
    if (first == '"') {
        last = p + 1;
        while (*last != '"') {
            if (*last == '\0') return nullptr;  // unterminated literal: the list ends here, no failure
            ++last;
        }
    } else if (first == '(') {
        last = find_close(p);
        // An unclosed list runs to the end of the text, so nothing can follow it: the list that holds it cannot
        // end properly.
        if (last == nullptr) fail(msg::missing_paren, 4);
    } else if (is_name_char(first)) {
        last = p;
        while (is_name_char(byte_at(last + 1))) ++last;
    } else {
        return nullptr;  // NUL or ')': an empty element ends the list
    }
    const char* q = skip_blanks(last + 1);
    if (is_name_char(byte_at(q)) || *q == '(') return q;
    return nullptr;
}

bool same_name(const char* a, const char* b) {
    if (!is_name_char(byte_at(a)) || !is_name_char(byte_at(b))) return false;
    while (is_name_char(byte_at(a)) && *a == *b) {
        ++a;
        ++b;
    }
    return !is_name_char(byte_at(a)) && !is_name_char(byte_at(b));
}

std::int32_t hash_name(const char* name) {
    const unsigned c1 = byte_at(name);
    if (!is_name_char(static_cast<unsigned char>(c1))) return static_cast<std::int32_t>(c1 % 32);  // empty name
    const unsigned c2 = byte_at(name + 1);  // exists: a name character is never the terminating NUL
    if (is_name_char(static_cast<unsigned char>(c2))) return static_cast<std::int32_t>((27 * c1 + c2) % 32);
    return static_cast<std::int32_t>(c1 % 32);
}

}  // namespace cellisp
