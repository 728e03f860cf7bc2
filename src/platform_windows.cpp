#include "platform.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

#include <cerrno>

bool console_wants_utf8()
{
    return false;  // the console program speaks Windows-1252
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

unsigned long process_number()
{
    return static_cast<unsigned long>(::_getpid());
}

int exit_status_of_command(int system_result)
{
    return system_result;  // already the command's own exit code
}
