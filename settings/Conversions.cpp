#include "settings/Conversions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "runtime/Error.h"

namespace settings {
namespace {

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
        s.remove_suffix(1);
    }
    return s;
}

bool equalsWord(std::string_view s, std::string_view word) {
    if (s.size() != word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != word[i]) {
            return false;
        }
    }
    return true;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// "&H" / "&O" literals. Up to 16 bits they read as a 16-bit pattern (&HFFFF is -1), up to 32
// bits as a 32-bit pattern, as the forms runtime reads its literals; wider is an overflow.
std::optional<double> radixNumber(std::string_view s) {
    if (s.size() < 3 || s[0] != '&') {
        return std::nullopt;
    }
    int base = 0;
    if (s[1] == 'h' || s[1] == 'H') {
        base = 16;
    } else if (s[1] == 'o' || s[1] == 'O') {
        base = 8;
    } else {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (char c : s.substr(2)) {
        int digit = -1;
        if (isDigit(c)) {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0 || digit >= base) {
            return std::nullopt;
        }
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFull) {
            throw runtime::makeError(runtime::kOverflow);
        }
    }
    if (value <= 0xFFFF) {
        return static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(value)));
    }
    return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

// A decimal number: [sign] digits [. digits] [e [sign] digits], at least one digit before the
// exponent. Overflow past the range of a double.
std::optional<double> decimalNumber(std::string_view s) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    std::size_t start = i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) {
        ++i, ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) {
            ++i, ++digits;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            ++i;
        }
        std::size_t expDigits = 0;
        while (i < s.size() && isDigit(s[i])) {
            ++i, ++expDigits;
        }
        if (expDigits == 0) {
            return std::nullopt;
        }
    }
    if (i != s.size()) {
        return std::nullopt;
    }
    std::string_view body = s.substr(start);
    double value = 0;
    auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too small to matter reads as zero; too large to hold is an overflow.
        std::size_t e = body.find_first_of("eE");
        if (e != std::string_view::npos && body.size() > e + 1 && body[e + 1] == '-') {
            return 0.0;
        }
        throw runtime::makeError(runtime::kOverflow);
    }
    if (ec != std::errc() || ptr != body.data() + body.size() || !std::isfinite(value)) {
        throw runtime::makeError(runtime::kOverflow);
    }
    return negative ? -value : value;
}

double toNumber(std::string_view text) {
    std::string_view s = trimBlanks(text);
    if (auto v = radixNumber(s)) {
        return *v;
    }
    if (auto v = decimalNumber(s)) {
        return *v;
    }
    throw runtime::makeError(runtime::kTypeMismatch);
}

// Rounds to the nearest integer, a fraction of exactly one half to the even neighbour.
double roundHalfEven(double x) {
    double lower = std::floor(x);
    double diff = x - lower;
    if (diff > 0.5) {
        return lower + 1;
    }
    if (diff < 0.5) {
        return lower;
    }
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1;
}

template <class Int>
Int toInt(std::string_view text) {
    double rounded = roundHalfEven(toNumber(text));
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
        throw runtime::makeError(runtime::kOverflow);
    }
    return static_cast<Int>(rounded);
}

}  // namespace

bool toBoolean(std::string_view text) {
    std::string_view s = trimBlanks(text);
    if (equalsWord(s, "true")) {
        return true;
    }
    if (equalsWord(s, "false")) {
        return false;
    }
    return toNumber(s) != 0.0;
}

std::int32_t toLong(std::string_view text) {
    return toInt<std::int32_t>(text);
}

std::int16_t toInteger(std::string_view text) {
    return toInt<std::int16_t>(text);
}

std::vector<std::int32_t> toSecondsList(std::string_view text) {
    std::vector<std::int32_t> numbers;
    try {
        numbers.push_back(toLong(text));
    } catch (const runtime::Error& error) {
        if (error.number != runtime::kTypeMismatch) {
            throw;
        }
        // Items between commas; blanks inside an item separate numbers too.
        std::string_view rest = text;
        for (;;) {
            std::size_t comma = rest.find(',');
            std::string_view item = rest.substr(0, comma);
            if (trimBlanks(item).empty()) {
                throw runtime::makeError(runtime::kTypeMismatch);
            }
            while (!(item = trimBlanks(item)).empty()) {
                std::size_t blank = std::min(item.find(' '), item.find('\t'));
                numbers.push_back(toLong(item.substr(0, blank)));
                item.remove_prefix(std::min(blank, item.size()));
            }
            if (comma == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(comma + 1);
        }
    }
    std::erase_if(numbers, [](std::int32_t n) { return n <= 0; });
    std::sort(numbers.begin(), numbers.end(), std::greater<>());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

std::int32_t toTimeOfDay(std::string_view text) {
    std::string_view s = trimBlanks(text);
    // Two digits a field; the hour may have one.
    auto field = [&s](std::size_t minDigits, int limit) {
        std::size_t n = 0;
        while (n < s.size() && n < 2 && isDigit(s[n])) {
            ++n;
        }
        if (n < minDigits) {
            throw runtime::makeError(runtime::kTypeMismatch);
        }
        int value = 0;
        for (std::size_t i = 0; i < n; ++i) {
            value = value * 10 + (s[i] - '0');
        }
        s.remove_prefix(n);
        if (value >= limit) {
            throw runtime::makeError(runtime::kTypeMismatch);
        }
        return value;
    };
    auto colon = [&s] {
        if (s.empty() || s.front() != ':') {
            throw runtime::makeError(runtime::kTypeMismatch);
        }
        s.remove_prefix(1);
    };
    int hours = field(1, 24);
    colon();
    int minutes = field(2, 60);
    int seconds = 0;
    if (!s.empty()) {
        colon();
        seconds = field(2, 60);
    }
    if (!s.empty()) {
        throw runtime::makeError(runtime::kTypeMismatch);
    }
    return hours * 3600 + minutes * 60 + seconds;
}

std::int16_t narrowToInteger(std::int32_t value) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max()) {
        throw runtime::makeError(runtime::kOverflow);
    }
    return static_cast<std::int16_t>(value);
}

}  // namespace settings
