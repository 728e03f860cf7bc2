#include "platform.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

bool console_wants_utf8()
{
    return false;  // the console program speaks Windows-1252
}

namespace {

// Text as a text-mode stream writes it: each line break as CR LF.
std::string with_crlf(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

}  // namespace

bool write_to_console_window(std::FILE* stream, std::string_view utf8)
{
    // A console window reads bytes by its code page (850 on a Spanish
    // Windows), not by Windows-1252: give it the letters themselves.
    const HANDLE handle = ::GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || ::GetConsoleMode(handle, &mode) == 0) {
        return false;
    }
    const std::string lines = with_crlf(utf8);
    const int size = static_cast<int>(lines.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, lines.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, lines.data(), size, &wide[0], length);
    std::fflush(stream);
    DWORD written = 0;
    ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return true;
}

std::string system_reason(int error)
{
    return std::strerror(error);
}

std::FILE* create_new_text_file(const char* path, const char* replaced)
{
    // Windows' only permission of this kind: the read-only attribute.
    const DWORD attributes = ::GetFileAttributesA(replaced);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        errno = EACCES;
        return nullptr;
    }
    const int fd = ::_open(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_TEXT | _O_NOINHERIT,
                           _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = ::_fdopen(fd, "w");
    if (file == nullptr) {
        const int saved = errno;
        ::_close(fd);
        ::_unlink(path);
        errno = saved;
    }
    return file;
}

bool replace_file(const char* from, const char* to, std::string& reason)
{
    // A plain rename refuses to overwrite an existing file on Windows.
    if (::MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0) {
        return true;
    }
    const DWORD code = ::GetLastError();
    char text[512] = "";
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                         0, text, sizeof text, nullptr);
    reason.assign(text, length);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.')) {
        reason.pop_back();
    }
    if (reason.empty()) {
        reason = "error " + std::to_string(code);
    }
    return false;
}

bool keep_file_as(const char* path, const char* spare)
{
    const DWORD attributes = ::GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        errno = ENOENT;
        return false;
    }
    if (::GetFileAttributesA(spare) != INVALID_FILE_ATTRIBUTES) {
        errno = EEXIST;
        return false;
    }
    // No hard links on FAT memory sticks: move the file aside there.
    if (::CreateHardLinkA(spare, path, nullptr) != 0 || ::MoveFileA(path, spare) != 0) {
        return true;
    }
    errno = ::GetLastError() == ERROR_ALREADY_EXISTS ? EEXIST : EACCES;
    return false;
}

bool text_file_holds(const char* path, std::string_view text)
{
    const DWORD attributes = ::GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        return false;
    }
    const std::string expected = with_crlf(text);
    std::FILE* in = std::fopen(path, "rb");
    if (in == nullptr) {
        return false;
    }
    std::string content(expected.size() + 1, '\0');
    const std::size_t length = std::fread(&content[0], 1, content.size(), in);
    std::fclose(in);
    return content.compare(0, length, expected) == 0 && length == expected.size();
}

unsigned long process_number()
{
    return static_cast<unsigned long>(::_getpid());
}

int exit_status_of_command(int system_result)
{
    return system_result;  // already the command's own exit code
}
