#include "process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

bool is_neutralized(const std::string& name)
{
    static const char* const names[] = {
        "LANG", "LANGUAGE", "DISPLAY", "GNUTERM", "WAYLAND_DISPLAY", "COLUMNS", "LINES"};
    for (const char* n : names) {
        if (name == n) {
            return true;
        }
    }
    return name.rfind("LC_", 0) == 0;
}

[[noreturn]] void child_fails(const char* what)
{
    const std::string text =
        std::string("test harness: ") + what + ": " + std::strerror(errno) + "\n";
    ssize_t ignored = ::write(2, text.data(), text.size());
    (void)ignored;
    ::_exit(126);
}

void close_fd(int& fd)
{
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

}  // namespace

Environment neutral_environment()
{
    Environment env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::size_t eq = text.find('=');
        if (eq != std::string::npos && !is_neutralized(text.substr(0, eq))) {
            env[text.substr(0, eq)] = text.substr(eq + 1);
        }
    }
    return env;
}

Process::Process(const ProcessSetup& setup)
{
    ::signal(SIGPIPE, SIG_IGN);
    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 ||
        ::pipe2(err, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::vector<std::string> env_text;
    for (const auto& [name, value] : setup.env) {
        env_text.push_back(name + "=" + value);
    }
    std::vector<char*> envp;
    for (auto& text : env_text) {
        envp.push_back(text.data());
    }
    envp.push_back(nullptr);
    std::vector<std::string> args = setup.argv;
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ < 0) {
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        ::setpgid(0, 0);
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::signal(SIGPIPE, SIG_DFL);
        if (!setup.cwd.empty() && ::chdir(setup.cwd.c_str()) != 0) {
            child_fails("chdir");
        }
        if (setup.max_file_size >= 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(setup.max_file_size),
                               static_cast<rlim_t>(setup.max_file_size)};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
                child_fails("setrlimit");
            }
        }
        if (setup.as_nobody || setup.max_processes >= 0) {
            constexpr uid_t nobody = 65534;
            if (::getuid() == 0 &&
                (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)) {
                child_fails("setuid");
            }
        }
        if (setup.max_processes >= 0) {
            const rlimit limit{static_cast<rlim_t>(setup.max_processes),
                               static_cast<rlim_t>(setup.max_processes)};
            if (::setrlimit(RLIMIT_NPROC, &limit) != 0) {
                child_fails("setrlimit");
            }
        }
        ::environ = envp.data();
        ::execvp(argv[0], argv.data());
        child_fails(argv[0]);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    in_ = in[1];
    out_ = out[0];
    err_ = err[0];
    ::fcntl(in_, F_SETFL, O_NONBLOCK);
}

Process::~Process()
{
    if (pid_ > 0 && !result_.ended) {
        ::kill(-pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    close_fd(in_);
    close_fd(out_);
    close_fd(err_);
}

void Process::write(std::string_view input)
{
    pending_ += input;
    pump(0);
}

void Process::close_input()
{
    close_when_written_ = true;
    pump(0);
}

// One round of moving bytes; false when there is nothing left to wait for.
bool Process::pump(int timeout_ms)
{
    if (in_ >= 0 && pending_.empty() && close_when_written_) {
        close_fd(in_);
    }
    pollfd fds[3];
    int count = 0;
    if (out_ >= 0) {
        fds[count++] = {out_, POLLIN, 0};
    }
    if (err_ >= 0) {
        fds[count++] = {err_, POLLIN, 0};
    }
    if (in_ >= 0 && !pending_.empty()) {
        fds[count++] = {in_, POLLOUT, 0};
    }
    if (count == 0) {
        return false;
    }
    if (::poll(fds, count, timeout_ms) <= 0) {
        return true;
    }
    for (int i = 0; i < count; ++i) {
        if (fds[i].revents == 0) {
            continue;
        }
        if (fds[i].fd == in_) {
            const ssize_t n = ::write(in_, pending_.data(), pending_.size());
            if (n > 0) {
                pending_.erase(0, static_cast<std::size_t>(n));
            } else if (errno == EPIPE) {
                pending_.clear();
                close_fd(in_);
            }
            continue;
        }
        char buffer[65536];
        const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
        std::string& sink = fds[i].fd == out_ ? result_.out : result_.err;
        if (n > 0) {
            sink.append(buffer, static_cast<std::size_t>(n));
        } else if (fds[i].fd == out_) {
            close_fd(out_);
        } else {
            close_fd(err_);
        }
    }
    if (in_ >= 0 && pending_.empty() && close_when_written_) {
        close_fd(in_);
    }
    return true;
}

bool Process::read_until(std::string_view wanted, int seconds)
{
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (result_.out.size() < wanted.size() ||
           result_.out.compare(result_.out.size() - wanted.size(), wanted.size(), wanted) != 0) {
        if (Clock::now() > deadline || !pump(50)) {
            return false;
        }
    }
    return true;
}

ProcessResult Process::wait(int seconds)
{
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    bool reaped = false;
    while (Clock::now() < deadline) {
        if (!reaped) {
            reaped = ::waitpid(pid_, &status, WNOHANG) == pid_;
        }
        if (reaped && out_ < 0 && err_ < 0) {
            break;
        }
        if (!pump(50)) {
            ::usleep(10000);
        }
    }
    if (!reaped) {
        ::kill(-pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
    }
    pid_ = -1;
    result_.ended = reaped;
    result_.status = !reaped             ? -1
                     : WIFEXITED(status) ? WEXITSTATUS(status)
                                         : 128 + WTERMSIG(status);
    return result_;
}

ProcessResult run_process(const ProcessSetup& setup, std::string_view input, int seconds)
{
    Process process(setup);
    process.write(input);
    process.close_input();
    return process.wait(seconds);
}
