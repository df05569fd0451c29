// The shared number grammar, once, with its corner cases in tables.
#include "number_grammar.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace {

struct float_case {
    const char *text;
    std::size_t length; // characters taken; 0 when not a number
    double expected;    // ignored for NaN
};

const float_case float_cases[] = {
    {"0", 1, 0.0},
    {"-0", 2, -0.0},
    {"+5", 2, 5.0},
    {"+0.25", 5, 0.25},
    {"-1.5e3", 6, -1500.0},
    {"1E-2", 4, 0.01},
    {"1.", 2, 1.0},
    {".5", 2, 0.5},
    {"-.5", 3, -0.5},
    {"1e", 1, 1.0},       // exponent marker without digits ends the number
    {"1e+", 1, 1.0},
    {"2.5x", 3, 2.5},     // stops at the first character that cannot continue it
    {"12 34", 2, 12.0},
    {"inf", 3, INFINITY},
    {"-Infinity", 9, -INFINITY},
    {"+INF", 4, INFINITY},
    {"1e400", 5, INFINITY},     // beyond the range: nearest infinity
    {"-1e400", 6, -INFINITY},
    {"1e-400", 6, 0.0},         // below the range: zero
    {"-1e-400", 7, -0.0},
    {"", 0, 0},
    {"+", 0, 0},
    {"-", 0, 0},
    {"+-5", 0, 0},              // two signs are never a number
    {"++5", 0, 0},
    {"--5", 0, 0},
    {"+ 5", 0, 0},
    {" 5", 0, 0},               // nothing is skipped before a number
    {".", 0, 0},
    {"e5", 0, 0},
    {"abc", 0, 0},
    {"0x10", 1, 0.0},           // no hexadecimal: 0 followed by "x10"
};

TEST(NumberGrammar, DoublesFollowTheTable)
{
    for (const float_case &c : float_cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        const char *end = c.text + std::strlen(c.text);
        double value = 12345.0;
        numparse::result r = numparse::parse(c.text, end, value);
        if (c.length == 0) {
            EXPECT_EQ(r.what, numparse::outcome::no_number);
            EXPECT_EQ(r.ptr, c.text);
            continue;
        }
        ASSERT_TRUE(r.ok());
        EXPECT_EQ(r.ptr - c.text, static_cast<std::ptrdiff_t>(c.length));
        EXPECT_EQ(value, c.expected);
        EXPECT_EQ(std::signbit(value), std::signbit(c.expected));
    }
}

TEST(NumberGrammar, FloatsRoundOnceAndSaturate)
{
    float value = 0;
    // nearest float to the decimal, not the float nearest the double
    ASSERT_TRUE(numparse::parse_whole("0.1", "0.1" + 3, value));
    EXPECT_EQ(value, 0.1f);
    const char *big = "3.5e38"; // fits a double, not a float
    ASSERT_TRUE(numparse::parse_whole(big, big + std::strlen(big), value));
    EXPECT_EQ(value, std::numeric_limits<float>::infinity());
    const char *tiny = "-1e-50";
    ASSERT_TRUE(numparse::parse_whole(tiny, tiny + std::strlen(tiny), value));
    EXPECT_EQ(value, 0.0f);
    EXPECT_TRUE(std::signbit(value));
    const char *denormal = "1e-40";
    ASSERT_TRUE(numparse::parse_whole(denormal, denormal + std::strlen(denormal), value));
    EXPECT_GT(value, 0.0f);
    EXPECT_LT(value, std::numeric_limits<float>::min());
}

TEST(NumberGrammar, NanInAnyCase)
{
    for (const char *text : {"nan", "NaN", "-nan", "+nan", "nan(123)"}) {
        SCOPED_TRACE(text);
        float value = 0;
        EXPECT_TRUE(numparse::parse_whole(text, text + std::strlen(text), value));
        EXPECT_TRUE(std::isnan(value));
    }
}

TEST(NumberGrammar, IntegersAreDigitsOnlyAndRefuseOverflow)
{
    struct int_case {
        const char *text;
        numparse::outcome what;
        std::size_t length;
        std::int32_t expected;
    };
    const int_case cases[] = {
        {"42", numparse::outcome::ok, 2, 42},
        {"+42", numparse::outcome::ok, 3, 42},
        {"-2147483648", numparse::outcome::ok, 11, INT32_MIN},
        {"2147483647", numparse::outcome::ok, 10, INT32_MAX},
        {"2147483648", numparse::outcome::out_of_range, 0, 0},
        {"999999999", numparse::outcome::ok, 9, 999999999},
        {"-999999999x", numparse::outcome::ok, 10, -999999999},
        {"1000000000", numparse::outcome::ok, 10, 1000000000},
        {"00000000042", numparse::outcome::ok, 11, 42},
        {"99999999999", numparse::outcome::out_of_range, 0, 0},
        {"-0", numparse::outcome::ok, 2, 0},
        {"-", numparse::outcome::no_number, 0, 0},
        {"- 1", numparse::outcome::no_number, 0, 0},
        {"-2147483649", numparse::outcome::out_of_range, 0, 0},
        {"7.5", numparse::outcome::ok, 1, 7},  // the reader decides what may follow
        {"1e3", numparse::outcome::ok, 1, 1},
        {"+-1", numparse::outcome::no_number, 0, 0},
        {"inf", numparse::outcome::no_number, 0, 0},
        {"nan", numparse::outcome::no_number, 0, 0},
        {"", numparse::outcome::no_number, 0, 0},
    };
    for (const int_case &c : cases) {
        SCOPED_TRACE(c.text);
        std::int32_t value = -7;
        numparse::result r = numparse::parse(c.text, c.text + std::strlen(c.text), value);
        EXPECT_EQ(r.what, c.what);
        if (c.what == numparse::outcome::ok) {
            EXPECT_EQ(r.ptr - c.text, static_cast<std::ptrdiff_t>(c.length));
            EXPECT_EQ(value, c.expected);
        } else {
            EXPECT_EQ(r.ptr, c.text);
            EXPECT_EQ(value, -7); // untouched on failure
        }
    }
}

// Integers of every length up to twelve digits, signed or not, cut short
// at every place: the same outcome, value and end as from_chars after the
// sign rule.
TEST(NumberGrammar, IntegersMatchFromChars)
{
    const std::string digits = "918273645091";
    for (std::size_t length = 1; length <= digits.size(); ++length)
        for (const char *sign : {"", "-", "+"})
            for (const char *tail : {"", " ", ".5", "7x"}) {
                const std::string text = sign + digits.substr(0, length) + tail;
                for (std::size_t cut = 0; cut <= text.size(); ++cut) {
                    SCOPED_TRACE(text.substr(0, cut));
                    int value = -7, expected = -7;
                    const char *first = text.data(), *last = text.data() + cut;
                    const numparse::result r = numparse::parse(first, last, value);
                    const char *p = first + (cut > 0 && *first == '+');
                    const std::from_chars_result e = std::from_chars(p, last, expected);
                    if (e.ec == std::errc()) {
                        ASSERT_TRUE(r.ok());
                        EXPECT_EQ(r.ptr, e.ptr);
                        EXPECT_EQ(value, expected);
                    } else {
                        EXPECT_FALSE(r.ok());
                        EXPECT_EQ(value, -7);
                    }
                }
            }
}

TEST(NumberGrammar, NeverReadsPastTheEnd)
{
    // "12345" cut after three characters must give 123, not 12345
    const char text[] = "12345";
    double value = 0;
    numparse::result r = numparse::parse(text, text + 3, value);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(value, 123.0);
    int i = 0;
    r = numparse::parse(text, text + 2, i);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(i, 12);
    EXPECT_TRUE(numparse::parse_whole(text, text + 5, i));
    EXPECT_EQ(i, 12345);
    EXPECT_FALSE(numparse::parse_whole(text, text + 6, i)); // the NUL is not part of it
}

} // namespace
