#pragma once

// Everything that differs between the POSIX and the Windows build lives
// behind these few functions (platform_posix.cpp, platform_windows.cpp).

#include <cstdio>
#include <string>
#include <string_view>

// Says whether console text should be written as UTF-8, from the character
// set that the user's locale names; when not, it is written as single
// Windows-1252 bytes.
bool console_wants_utf8();

// Writes `utf8` to `stream` when that is a console window that shows text
// by its own code page (Windows'), so that the letters show right whatever
// that page is; false, writing nothing, when `stream` is anything else.
bool write_to_console_window(std::FILE* stream, std::string_view utf8);

// The system's words for the error number `error`, in the user's language.
std::string system_reason(int error);

// Creates `path` for writing in text mode, failing if it already exists,
// with the permissions of `replaced`, the file it is to replace, if any.
// Fails, creating nothing, when the user may not write that file (EACCES)
// or, in a folder such as /tmp, not replace it (EPERM). Returns nullptr
// with errno set on failure.
std::FILE* create_new_text_file(const char* path, const char* replaced);

// Renames `from` onto `to` in one step, replacing a file already there.
// On failure returns false and puts the system's reason in `reason`.
bool replace_file(const char* from, const char* to, std::string& reason);

// Makes `spare` a second name of the file at `path`, in one step where the
// file system has hard links, else by moving the file there. Returns false
// with errno set on failure: ENOENT when no file but a folder, or nothing,
// stands at `path`; EEXIST when something stands at `spare`.
bool keep_file_as(const char* path, const char* spare);

// True when `path` is a regular file, not a link, that holds exactly
// `text` as a text file of this platform holds it (CR LF line ends on
// Windows).
bool text_file_holds(const char* path, std::string_view text);

// A number that no other running process shares, for temporary names.
unsigned long process_number();

// Turns what std::system returned into the status this process ends with.
int exit_status_of_command(int system_result);
