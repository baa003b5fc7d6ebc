#include "core/engine_string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Repeat(char c, size_t n)
{
    return std::string(n, c);
}

TEST(StringEquality, NullTextEqualsNothingNotEvenAnotherNull)
{
    String a;
    String b;
    String emptyA("");
    String emptyB("");
    EXPECT_FALSE(a == b);
    EXPECT_FALSE(a == a);
    EXPECT_TRUE(emptyA == emptyB);
    EXPECT_FALSE(a == emptyA);
    EXPECT_FALSE(emptyA == a);
}

TEST(StringCopy, NullStaysNullAndCopiesOwnTheirBlock)
{
    String null;
    String nullCopy(null);
    EXPECT_EQ(nullCopy.text, nullptr);

    String original("text");
    String copy(original);
    ASSERT_NE(copy.text, nullptr);
    EXPECT_NE(copy.text, original.text);
    EXPECT_STREQ(copy.text, "text");

    String assigned("old");
    assigned = original;
    EXPECT_NE(assigned.text, original.text);
    EXPECT_STREQ(assigned.text, "text");

    assigned = null;
    EXPECT_EQ(assigned.text, nullptr);
}

TEST(StringCopy, SelfAssignmentKeepsTheText)
{
    String s("keep me");
    String& alias = s;
    s = alias;
    EXPECT_STREQ(s.text, "keep me");
}

TEST(StringAssign, OwnTextAndPointersIntoItAreSafe)
{
    String s("hello world");
    s.Assign(s.text);
    EXPECT_STREQ(s.text, "hello world");
    s.Assign(s.text + 6);
    EXPECT_STREQ(s.text, "world");
    s.Assign(nullptr);
    EXPECT_EQ(s.text, nullptr);
}

TEST(StringAppend, NullTargetActsAsAssignAndNullSourceChangesNothing)
{
    String s;
    s.Append("abc");
    EXPECT_STREQ(s.text, "abc");
    char* before = s.text;
    s.Append(nullptr);
    EXPECT_EQ(s.text, before);
    EXPECT_STREQ(s.text, "abc");

    String stillNull;
    stillNull.Append(nullptr);
    EXPECT_EQ(stillNull.text, nullptr);
}

TEST(StringAppend, OwnTextDoubles)
{
    String s("ab");
    s.Append(s.text);
    EXPECT_STREQ(s.text, "abab");
    s.Append(s.text + 3);
    EXPECT_STREQ(s.text, "ababb");
}

TEST(StringFormat, BoundaryLengthsArriveComplete)
{
    for (size_t length : {size_t(0), size_t(4094), size_t(4095), size_t(4096), size_t(4097), size_t(10000)}) {
        std::string expected = Repeat('x', length);
        String s("previous");
        s.Format("%s", expected.c_str());
        ASSERT_NE(s.text, nullptr) << length;
        EXPECT_EQ(strlen(s.text), length);
        EXPECT_EQ(expected, s.text) << length;
    }
}

TEST(StringFormat, LongTextMixesDirectivesInTheSecondPass)
{
    std::string body = Repeat('y', 5000);
    String s;
    s.Format("[%d|%s|%.2f]", 42, body.c_str(), 1.5);
    EXPECT_EQ("[42|" + body + "|1.50]", s.text);
}

TEST(StringFormat, MayQuoteItsOwnText)
{
    String s("abc");
    s.Format("%s-%s", s.text, s.text);
    EXPECT_STREQ(s.text, "abc-abc");

    std::string longText = Repeat('z', 3000);
    String big(longText.c_str());
    big.Format("%s%s", big.text, big.text);
    EXPECT_EQ(longText + longText, big.text);
}

TEST(StringFormat, AppendFormatAddsToExistingAndNullText)
{
    String s;
    s.AppendFormat("%d", 7);
    EXPECT_STREQ(s.text, "7");
    s.AppendFormat("/%s", "x");
    EXPECT_STREQ(s.text, "7/x");

    std::string longText = Repeat('q', 6000);
    s.AppendFormat("%s", longText.c_str());
    EXPECT_EQ("7/x" + longText, s.text);
}

TEST(StringFormat, FromFormatShortAndLong)
{
    String shortText = String::FromFormat("%s=%d", "n", -3);
    EXPECT_STREQ(shortText.text, "n=-3");

    std::string longText = Repeat('w', 10000);
    String longResult = String::FromFormat("%s!", longText.c_str());
    EXPECT_EQ(longText + "!", longResult.text);

    String empty = String::FromFormat("%s", "");
    ASSERT_NE(empty.text, nullptr);
    EXPECT_STREQ(empty.text, "");
}

TEST(StringFormat, UsesC99Directives)
{
    String s = String::FromFormat("%lld %zu %hhd", 1234567890123LL, size_t(5), 300);
    EXPECT_STREQ(s.text, "1234567890123 5 44");
}

TEST(StringConcatenation, LeavesOperandsAndKeepsNullRules)
{
    String left("ab");
    String right("cd");
    String joined = left + right;
    EXPECT_STREQ(joined.text, "abcd");
    EXPECT_STREQ(left.text, "ab");

    String null;
    EXPECT_EQ((null + nullptr).text, nullptr);
    EXPECT_STREQ((null + "x").text, "x");
    EXPECT_STREQ((left + null).text, "ab");
    EXPECT_STREQ((left + left).text, "abab");
}

TEST(StringRemoveLast, CutsInPlaceAndNeverBelowEmpty)
{
    String s("hello");
    char* block = s.text;
    s.RemoveLast(2);
    EXPECT_EQ(s.text, block);
    EXPECT_STREQ(s.text, "hel");

    String two("ab");
    two.RemoveLast(3);
    ASSERT_NE(two.text, nullptr);
    EXPECT_STREQ(two.text, "");

    String null;
    null.RemoveLast(1);
    EXPECT_EQ(null.text, nullptr);

    String negative("abc");
    negative.RemoveLast(-5);
    EXPECT_STREQ(negative.text, "abc");
}

TEST(StringSubstring, RangesOfHello)
{
    String hello("hello");
    EXPECT_STREQ(hello.Substring(2, 100).text, "llo");
    EXPECT_STREQ(hello.Substring(1, 3).text, "ell");
    EXPECT_STREQ(hello.Substring(0, 5).text, "hello");
    EXPECT_EQ(hello.Substring(5, 1).text, nullptr);
    EXPECT_EQ(hello.Substring(99, 1).text, nullptr);

    String empty = hello.Substring(1, 0);
    ASSERT_NE(empty.text, nullptr);
    EXPECT_STREQ(empty.text, "");
}

TEST(StringSubstring, NullTextAndNegativeArgumentsGiveNull)
{
    String null;
    EXPECT_EQ(null.Substring(0, 0).text, nullptr);
    String hello("hello");
    EXPECT_EQ(hello.Substring(-1, 2).text, nullptr);
    EXPECT_EQ(hello.Substring(1, -2).text, nullptr);
}

TEST(StringToken, CommaBlankSeparator)
{
    String list("a, b, c");
    EXPECT_STREQ(list.Token(0, ", ").text, "a");
    EXPECT_STREQ(list.Token(2, ", ").text, "c");
    EXPECT_EQ(list.Token(3, ", ").text, nullptr);
    EXPECT_EQ(String().Token(0, ",").text, nullptr);
}

TEST(StringToken, TokenLengthLimitIs1022)
{
    std::string fits = Repeat('t', 1022);
    std::string tooLong = Repeat('t', 1023);
    String ok((fits + ",x").c_str());
    String cut((tooLong + ",x").c_str());
    EXPECT_EQ(fits, ok.Token(0, ",").text);
    EXPECT_EQ(cut.Token(0, ",").text, nullptr);
    EXPECT_STREQ(cut.Token(1, ",").text, "x");
}

TEST(StringReplace, GrowingShrinkingAndSelfContaining)
{
    String s("banana");
    s.Replace("a", "bb");
    EXPECT_STREQ(s.text, "bbbnbbnbb");

    s.Assign("banana");
    s.Replace("an", "");
    EXPECT_STREQ(s.text, "ba");

    // A replacement containing the searched text is not searched again.
    s.Assign("aaa");
    s.Replace("a", "aa");
    EXPECT_STREQ(s.text, "aaaaaa");

    // Every occurrence fits even when the text is all matches of a long replacement.
    s.Assign("xxxxxxx");
    s.Replace("x", "0123456789");
    EXPECT_EQ(70u, strlen(s.text));
    EXPECT_EQ(0, strncmp(s.text, "01234567890123456789", 20));
}

TEST(StringReplace, RefusedArgumentsAndNullText)
{
    String s("banana");
    s.Replace("", "x");
    EXPECT_STREQ(s.text, "banana");
    s.Replace(nullptr, "x");
    s.Replace("a", nullptr);
    EXPECT_STREQ(s.text, "banana");

    String null;
    null.Replace("a", "b");
    ASSERT_NE(null.text, nullptr);
    EXPECT_STREQ(null.text, "");
}

} // namespace
