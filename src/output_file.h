#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

// A text file that appears under its name only once it is complete: it is
// written under a temporary name beside it and renamed into place by
// `commit`, so a failed run never leaves an emptied or half-written file
// where a complete one stood. Destroyed uncommitted, it removes its
// temporary file and leaves the earlier file untouched.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    bool open(const char* name);
    // Failures are remembered and reported by `commit`.
    void write(std::string_view text);
    bool commit();

    // After a failure: a Spanish sentence naming the file and the reason.
    const std::string& error() const { return error_; }

private:
    bool fail(const std::string& reason);
    void discard();

    std::string name_;
    std::string temp_name_;
    std::FILE* file_ = nullptr;
    std::string error_;
};
