#pragma once

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

// A text file written under a temporary name beside its own and closed
// there; `commit_files` then puts it in place in one rename, so no failure
// ever leaves an emptied or half-written file where a complete one stood.
// Destroyed uncommitted, it removes its temporary file.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Fails, touching nothing, when the user may not write the file it
    // would replace. The replacement keeps that file's permissions.
    bool open(const char* name);
    // Failures are remembered and reported by `close`.
    void write(std::string_view text);
    // Completes the file, still under its temporary name.
    bool close();

    // After a failure: a Spanish sentence naming the file and the reason.
    const std::string& error() const { return error_; }

private:
    friend bool commit_files(std::initializer_list<OutputFile*> files, std::string& error);

    bool replace(std::string* kept);
    void put_back(const std::string& kept);
    bool fail(const std::string& reason);
    void discard();

    std::string name_;
    std::string temp_name_;
    std::unique_ptr<char[]> buffer_;  // outlives file_, which writes through it
    std::FILE* file_ = nullptr;
    bool closed_ = false;
    std::string error_;
};

// Puts closed files in place, in the order given; files never opened are
// left out. Either all of them replace the files of their names or, when
// one cannot, none does and the earlier files stay exactly as they were;
// `error` then says why.
bool commit_files(std::initializer_list<OutputFile*> files, std::string& error);
