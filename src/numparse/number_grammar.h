// The one grammar for numbers in text that every reader of this project
// shares: the surface files' ASCII values, the statistics files' rows and
// the tag files' coordinates.
//
// A number is, with nothing skipped before it:
//   [sign] body
// where sign is '-' or a single '+', and a '+' may not be followed by another
// sign ("+5" is 5; "+-5", "++5" and "+" are not numbers).
// For floating-point values the body is
//   digits ['.' [digits]] [exponent]   or   '.' digits [exponent]
// with exponent = ('e' | 'E') ['+' | '-'] digits, or one of "nan", "inf",
// "infinity" in any case ("nan(...)" too). An exponent marker without digits
// is not part of the number: "1e" is 1 followed by "e". Values beyond the
// type's range are not errors: they become the nearest infinity, or zero
// (with the sign kept) when too small; rounding is to nearest, ties to even,
// independent of the locale.
// For integers the body is decimal digits only; a value beyond the type's
// range is refused (out_of_range), since no nearby integer stands for it.
//
// The parser reports where the number ends and never looks past `last`;
// what may follow a number (a separator, the end of a token) and whether
// non-finite values are welcome is each reader's own rule.
#pragma once

#include <charconv>
#include <system_error>
#include <type_traits>

#include <fast_float/fast_float.h>

namespace numparse {

enum class outcome { ok, no_number, out_of_range };

struct result {
    const char *ptr; // one past the number; `first` unless ok
    outcome what;
    bool ok() const { return what == outcome::ok; }
};

template <typename T>
result parse(const char *first, const char *last, T &value) noexcept
{
    static_assert(std::is_arithmetic_v<T> && !std::is_same_v<T, bool>);
    const char *p = first;
    if (p != last && *p == '+') {
        ++p;
        if (p == last || *p == '+' || *p == '-')
            return {first, outcome::no_number};
    }
    if constexpr (std::is_floating_point_v<T>) {
        fast_float::from_chars_result r = fast_float::from_chars(p, last, value);
        if (r.ec != std::errc())
            return {first, outcome::no_number};
        return {r.ptr, outcome::ok};
    } else {
        // Common case first: a 32-bit integer of at most nine digits cannot
        // overflow; anything longer takes from_chars for its exact outcome.
        if constexpr (std::is_same_v<T, int>) {
            const char *q = p;
            const bool negative = q != last && *q == '-';
            q += negative;
            const char *digits = q;
            unsigned v = 0;
            while (q != last && q - digits < 10 && unsigned(*q - '0') < 10u)
                v = v * 10u + unsigned(*q++ - '0');
            if (q != digits && q - digits < 10 && (q == last || unsigned(*q - '0') >= 10u)) {
                value = negative ? -int(v) : int(v);
                return {q, outcome::ok};
            }
        }
        std::from_chars_result r = std::from_chars(p, last, value, 10);
        if (r.ec == std::errc::result_out_of_range)
            return {first, outcome::out_of_range};
        if (r.ec != std::errc())
            return {first, outcome::no_number};
        return {r.ptr, outcome::ok};
    }
}

// The whole of [first, last) as one number.
template <typename T>
bool parse_whole(const char *first, const char *last, T &value) noexcept
{
    result r = parse(first, last, value);
    return r.ok() && r.ptr == last;
}

} // namespace numparse
