#include "console.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "platform.h"

namespace {

// What the console needs to remember: its encoding, fixed at the start.
bool utf8_console = false;

// Longer "numbers" are refused rather than buffered without bound.
constexpr std::size_t max_number_length = 1000;

std::string encoded(std::string_view text)
{
    if (utf8_console) {
        return std::string(text);
    }
    // Two-byte UTF-8 sequences below U+0100 become their single Latin-1
    // byte, which Windows-1252 shares.
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if ((lead == 0xC2 || lead == 0xC3) && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[++i]);
            out += static_cast<char>(((lead & 0x03) << 6) | (next & 0x3F));
        } else {
            out += text[i];
        }
    }
    return out;
}

void put(std::FILE* stream, std::string_view text)
{
    if (write_to_console_window(stream, text)) {
        return;
    }
    const std::string bytes = encoded(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
}

bool is_space(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(int c)
{
    return c >= '0' && c <= '9';
}

// Appends the run of digits starting with `c`; returns the character after it.
int take_digits(int c, std::string& text)
{
    while (is_digit(c) && text.size() <= max_number_length) {
        text += static_cast<char>(c);
        c = std::getc(stdin);
    }
    return c;
}

// from_chars reports a value beyond the range of double without giving it;
// "%lf" gives infinity for a huge one and zero for a tiny one.
double out_of_range_value(std::string_view text)
{
    const std::size_t mark = std::min(text.find_first_of("eE"), text.size());
    long exponent = 0;
    for (std::size_t i = mark + 1; i < text.size(); ++i) {
        if (is_digit(text[i])) {
            exponent = std::min(exponent * 10 + (text[i] - '0'), 100000L);
        }
    }
    if (mark + 1 < text.size() && text[mark + 1] == '-') {
        exponent = -exponent;
    }
    // Decimal place of the leading significant digit, roughly: only its sign
    // matters, as overflow and underflow lie 600 orders of magnitude apart.
    const std::string_view mantissa = text.substr(0, mark);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    const long place = first == std::string_view::npos ? 0
                       : first < point                 ? static_cast<long>(point - first)
                                                       : -static_cast<long>(first - point);
    const double magnitude =
        first != std::string_view::npos && place + exponent > 0 ? HUGE_VAL : 0.0;
    return text[0] == '-' ? -magnitude : magnitude;
}

// Takes from standard input what "%lf" takes as a number and leaves the
// character after it unread. False when that is not a whole number.
bool scan_number(std::string& text)
{
    int c = std::getc(stdin);
    while (is_space(c)) {
        c = std::getc(stdin);
    }
    if (c == '+' || c == '-') {
        text += static_cast<char>(c);
        c = std::getc(stdin);
    }
    c = take_digits(c, text);
    if (c == '.') {
        text += '.';
        c = take_digits(std::getc(stdin), text);
    }
    bool valid = text.find_first_of("0123456789") != std::string::npos;
    if (valid && (c == 'e' || c == 'E')) {
        text += static_cast<char>(c);
        c = std::getc(stdin);
        if (c == '+' || c == '-') {
            text += static_cast<char>(c);
            c = std::getc(stdin);
        }
        const std::size_t exponent_start = text.size();
        c = take_digits(c, text);
        valid = text.size() > exponent_start;
    }
    if (c != EOF) {
        std::ungetc(c, stdin);
    }
    return valid && text.size() <= max_number_length;
}

}  // namespace

void console_begin()
{
    utf8_console = console_wants_utf8();
    // Unbuffered, so that input typed past the four numbers is left to the
    // plotter, which reads the same standard input after us.
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    // Written out whole when the program waits or ends, not line by line.
    static char out_buffer[4096];
    std::setvbuf(stdout, out_buffer, _IOFBF, sizeof out_buffer);
}

void console_print(std::string_view text)
{
    put(stdout, text);
}

void console_error(std::string_view text)
{
    std::fflush(stdout);
    put(stderr, text);
}

bool console_read_number(double& value)
{
    // The banner goes out in one write, the moment the program waits.
    std::fflush(stdout);
    std::string text;
    if (!scan_number(text)) {
        return false;
    }
    // from_chars takes no leading '+'.
    const char* first = text.data() + (text[0] == '+');
    const auto result = std::from_chars(first, text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        value = out_of_range_value(text);
    }
    return true;
}

bool console_number_ended()
{
    const int c = std::getc(stdin);
    return c == EOF || is_space(c);
}
