#pragma once

// Everything that differs between the POSIX and the Windows build lives
// behind these few functions (platform_posix.cpp, platform_windows.cpp).

#include <cstdio>
#include <string>

// Takes the character set from the user's environment (never the number
// format) and says whether console text should be written as UTF-8; when
// not, it is written as single Windows-1252 bytes.
bool console_wants_utf8();

// Creates `path` for writing in text mode, failing if it already exists,
// with the permissions of `replaced`, the file it is to replace, if any;
// fails with EACCES, creating nothing, when the user may not write that
// file. Returns nullptr with errno set on failure.
std::FILE* create_new_text_file(const char* path, const char* replaced);

// Renames `from` onto `to` in one step, replacing a file already there.
// On failure returns false and puts the system's reason in `reason`.
bool replace_file(const char* from, const char* to, std::string& reason);

// A number that no other running process shares, for temporary names.
unsigned long process_number();

// Turns what std::system returned into the status this process ends with.
int exit_status_of_command(int system_result);
