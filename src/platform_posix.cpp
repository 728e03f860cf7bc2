#include "platform.h"

#include <fcntl.h>
#include <langinfo.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstring>

bool console_wants_utf8()
{
    // LC_MESSAGES too, so that the system's reasons in our messages come in
    // the user's language; LC_NUMERIC stays "C" for the decimal point.
    std::setlocale(LC_CTYPE, "");
    std::setlocale(LC_MESSAGES, "");
    return std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
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
    reason = std::strerror(errno);
    return false;
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
