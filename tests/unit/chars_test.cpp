// Byte classes, stepping over elements and comparing names.

#include "reader/chars.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace cellisp {
namespace {

TEST(Chars, EveryByteHasExactlyTheRightClass) {
    for (int value = 0; value < 256; ++value) {
        const auto byte = static_cast<unsigned char>(value);
        const bool blank = value == 9 || value == 10 || value == 13 || value == 32;
        EXPECT_EQ(is_blank(byte), blank) << value;
        EXPECT_EQ(is_name_char(byte), !blank && value != 0 && value != '(' && value != ')') << value;
        EXPECT_EQ(is_digit(byte), value >= '0' && value <= '9') << value;
    }
}

TEST(Chars, SkipBlanksStopsAtTheFirstOtherByte) {
    const char* text = " \t\r\n\fx";
    EXPECT_EQ(skip_blanks(text), text + 4);  // form feed is not a blank
    const char* end = "  ";
    EXPECT_EQ(skip_blanks(end), end + 2);    // the terminating NUL is no failure
}

// Where next_element goes from the start of `text`: the offset of the next element, or -1 for none.
long next_offset(const char* text) {
    const char* next = next_element(text);
    return next == nullptr ? -1 : next - text;
}

TEST(Chars, NextElementStepsOverOneElement) {
    EXPECT_EQ(next_offset("abc)"), -1);
    EXPECT_EQ(next_offset("abc (d)"), 4);
    EXPECT_EQ(next_offset("a(b)"), 1);
    EXPECT_EQ(next_offset("abc\"x\" y"), 7);       // a double quote inside a name is a name character
    EXPECT_EQ(next_offset("\"a (b) c\" d"), 10);
    EXPECT_EQ(next_offset("\"abc"), -1);           // unterminated literal: no failure
    EXPECT_EQ(next_offset("(a (b) c) d"), 10);
    EXPECT_EQ(next_offset("(a (b) c)  "), -1);
    EXPECT_EQ(next_offset("(a \")\") d"), 5);      // the ')' inside the literal closes the list
    EXPECT_EQ(next_offset("' x y"), 4);
    EXPECT_EQ(next_offset("''(a) y"), 6);
    EXPECT_EQ(next_offset("' )"), -1);
    EXPECT_EQ(next_offset("12abc d"), 6);
    EXPECT_EQ(next_offset("\"x\"y"), 3);
}

TEST(Chars, UnclosedListEndsTheRun) {
    EXPECT_EXIT(next_element("(a b"), ::testing::ExitedWithCode(4), "");
    EXPECT_EXIT(next_element("("), ::testing::ExitedWithCode(4), "");
}

// The index of matching parentheses must step exactly where the plain scan steps, on any text.
TEST(Chars, IndexedStepsMatchScannedSteps) {
    std::mt19937 random(12345);
    const char alphabet[] = "(()) \"'a";
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i) text += alphabet[random() % (sizeof alphabet - 1)];
        for (std::size_t start = 0; start < text.size(); ++start) {
            const char* p = text.c_str() + start;
            if (*p != '(') continue;
            // Only closed lists: an unclosed one ends the run either way.
            int depth = 0;
            std::size_t close = start;
            for (; close < text.size(); ++close) {
                depth += text[close] == '(' ? 1 : text[close] == ')' ? -1 : 0;
                if (depth == 0) break;
            }
            if (close == text.size()) continue;
            forget_parentheses();
            const char* scanned = next_element(p);
            index_parentheses(text.c_str());
            const char* indexed = next_element(p);
            forget_parentheses();
            ASSERT_EQ(scanned, indexed) << text << " at " << start;
        }
    }
}

TEST(Chars, SameNameComparesWholeNames) {
    EXPECT_TRUE(same_name("abc)", "abc"));
    EXPECT_TRUE(same_name("abc def", "abc"));
    EXPECT_FALSE(same_name("ab", "abc"));
    EXPECT_FALSE(same_name("abc", "ab"));
    EXPECT_FALSE(same_name("", ""));     // an empty name matches nothing
    EXPECT_FALSE(same_name(")", ")"));
    EXPECT_FALSE(same_name("Abc", "abc"));
    EXPECT_FALSE(same_name("-5", "-"));
    EXPECT_FALSE(same_name(">=", ">"));
    EXPECT_TRUE(same_name("\xe9t\xe9", "\xe9t\xe9"));
}

// Every byte value, as either byte of a name, gives a bucket in range: bytes above 127 must not become negative.
TEST(Chars, HashNameStaysInRangeForEveryByte) {
    for (int value = 1; value < 256; ++value) {
        const char name[3] = {static_cast<char>(value), static_cast<char>(0x80 + value / 2), '\0'};
        EXPECT_GE(hash_name(name), 0);
        EXPECT_LT(hash_name(name), 32);
    }
}

}  // namespace
}  // namespace cellisp
