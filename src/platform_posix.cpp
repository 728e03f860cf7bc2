#include "platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>

bool console_wants_utf8()
{
    // The locale's name, looked up as setlocale looks it up, tells its
    // character set ("es_ES.UTF-8"); loading the locale itself would cost
    // every run a good part of its start-up.
    const char* name = "";
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            name = value;
            break;
        }
    }
    const char* dot = std::strchr(name, '.');
    if (dot == nullptr) {
        return false;
    }
    std::string codeset;
    for (const char* c = dot + 1; *c != '\0' && *c != '@'; ++c) {
        if (*c != '-') {
            codeset += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
        }
    }
    return codeset == "utf8";
}

bool write_to_console_window(std::FILE*, std::string_view)
{
    return false;  // a terminal takes the bytes of its own character set
}

std::string system_reason(int error)
{
    // Only a failed run needs the user's language, so only it loads it.
    // LC_NUMERIC stays "C" for the decimal point.
    std::setlocale(LC_CTYPE, "");
    std::setlocale(LC_MESSAGES, "");
    return std::strerror(error);
}

namespace {

// In a sticky folder, as /tmp is, only the owner of a file or of the folder
// may replace the file: the rename would fail after the work was done.
bool may_replace_in_folder(const char* path, const struct stat& file)
{
    const uid_t user = ::geteuid();
    if (user == 0 || file.st_uid == user) {
        return true;
    }
    const std::string name = path;
    const std::size_t slash = name.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : name.substr(0, slash + 1);
    struct stat dir {};
    if (::stat(folder.c_str(), &dir) != 0 || (dir.st_mode & S_ISVTX) == 0 || dir.st_uid == user) {
        return true;
    }
    errno = EPERM;
    return false;
}

}  // namespace

std::FILE* create_new_text_file(const char* path, const char* replaced)
{
    // A symbolic link is replaced by a file, its target left alone: only a
    // regular file passes on its permissions.
    struct stat earlier {};
    const bool exists = ::lstat(replaced, &earlier) == 0 && !S_ISDIR(earlier.st_mode);
    const bool replaces = exists && S_ISREG(earlier.st_mode);
    if ((replaces && ::access(replaced, W_OK) != 0) ||
        (exists && !may_replace_in_folder(replaced, earlier))) {
        return nullptr;
    }
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = nullptr;
    if (!replaces || ::fchmod(fd, earlier.st_mode & 0777) == 0) {
        file = ::fdopen(fd, "w");
    }
    if (file == nullptr) {
        const int saved = errno;
        ::close(fd);
        ::unlink(path);
        errno = saved;
    }
    return file;
}

bool replace_file(const char* from, const char* to, std::string& reason)
{
    if (std::rename(from, to) == 0) {
        return true;
    }
    reason = system_reason(errno);
    return false;
}

bool keep_file_as(const char* path, const char* spare)
{
    struct stat file {};
    if (::lstat(path, &file) != 0 || S_ISDIR(file.st_mode)) {
        errno = ENOENT;
        return false;
    }
    if (::link(path, spare) == 0) {
        return true;
    }
    if (errno == EEXIST) {
        return false;
    }
    // No hard links here (a FAT memory stick, say): move the file aside,
    // never over something already there.
    struct stat taken {};
    if (::lstat(spare, &taken) == 0) {
        errno = EEXIST;
        return false;
    }
    return std::rename(path, spare) == 0;
}

bool text_file_holds(const char* path, std::string_view text)
{
    struct stat file {};
    if (::lstat(path, &file) != 0 || !S_ISREG(file.st_mode) ||
        static_cast<std::size_t>(file.st_size) != text.size()) {
        return false;
    }
    std::FILE* in = std::fopen(path, "rb");
    if (in == nullptr) {
        return false;
    }
    std::string content(text.size() + 1, '\0');
    const std::size_t length = std::fread(content.data(), 1, content.size(), in);
    std::fclose(in);
    return std::string_view(content.data(), length) == text;
}

unsigned long process_number()
{
    return static_cast<unsigned long>(::getpid());
}

int exit_status_of_command(int system_result)
{
    // A wait status passed on as it is would lose all but its low 8 bits
    // (256 would read as success), so decode it the way shells report it.
    if (system_result == -1) {
        return 1;
    }
    if (WIFEXITED(system_result)) {
        return WEXITSTATUS(system_result);
    }
    if (WIFSIGNALED(system_result)) {
        return 128 + WTERMSIG(system_result);
    }
    return 1;
}
