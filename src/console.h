#pragma once

#include <string_view>

// The console as the dialogue uses it. Texts are given in UTF-8 and are
// written in the console's encoding: UTF-8 where the user's character set
// is UTF-8, single Windows-1252 bytes otherwise; a Windows console window
// is given the letters themselves, whatever its code page.

// Call once, before anything is read or written.
void console_begin();

// Writes `text` to standard output. What was printed is on screen before
// the program next reads, reports an error or ends, so a prompt is always
// there before the program waits.
void console_print(std::string_view text);

// Writes `text` to standard error.
void console_error(std::string_view text);

// Reads one number as "%lf" would in the "C" locale: skips white space,
// then takes an optional sign, digits with an optional decimal point and an
// optional exponent. Whatever follows stays unread. False when the input
// holds no such number there, or has ended.
bool console_read_number(double& value);

// Reads the character after a number: true when it is white space or the
// input has ended there. Either way the character is gone from the input.
bool console_number_ended();
