#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

using Environment = std::map<std::string, std::string>;

// This process's environment without the settings that change how the
// tool or the plotter behave (locale, display, gnuplot terminal), so that
// each test states the ones it relies on.
Environment neutral_environment();

struct ProcessSetup {
    std::vector<std::string> argv;  // argv[0] is looked up on the PATH of `env`
    std::string cwd;
    Environment env;
    long max_file_size = -1;  // bytes; when set, SIGXFSZ is ignored so writes fail
    // When set, the program may not start more processes than this. Root is
    // not bound by the limit, so it runs as nobody then.
    long max_processes = -1;
    bool as_nobody = false;  // when run by root, run as nobody (uid 65534)
};

struct ProcessResult {
    std::string out;
    std::string err;
    int status = -1;     // the exit code, or 128 + the signal that ended it
    bool ended = false;  // false: it was still running at the deadline and was killed
};

// A child process with its standard streams on pipes. Nothing waits
// forever: every wait has a deadline, after which the process group is
// killed.
class Process {
public:
    explicit Process(const ProcessSetup& setup);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Reads standard output until it ends with `wanted`; false at the deadline.
    bool read_until(std::string_view wanted, int seconds);
    // Queues input; it is written as the child reads.
    void write(std::string_view input);
    // Closes standard input once the queued input is written.
    void close_input();
    // Waits for the end of the process and of its output.
    ProcessResult wait(int seconds);

    const std::string& out_so_far() const { return result_.out; }
    pid_t pid() const { return pid_; }

private:
    bool pump(int timeout_ms);

    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string pending_;
    bool close_when_written_ = false;
    ProcessResult result_;
};

// Runs to the end with `input` on standard input, then end of input.
ProcessResult run_process(const ProcessSetup& setup, std::string_view input, int seconds = 30);
