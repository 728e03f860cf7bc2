#include "platform.h"

#include <fcntl.h>
#include <langinfo.h>
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

std::FILE* create_new_text_file(const char* path)
{
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "w");
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
