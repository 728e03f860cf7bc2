#include "output_file.h"

#include <cerrno>
#include <cstring>

#include "platform.h"

namespace {

// Enough tries to get past temporary files left by runs that were killed.
constexpr int temp_name_tries = 100;

std::string temp_name_for(const std::string& name, int attempt)
{
    std::string temp = name + "." + std::to_string(process_number());
    if (attempt > 0) {
        temp += "-" + std::to_string(attempt);
    }
    return temp + ".tmp";
}

}  // namespace

OutputFile::~OutputFile()
{
    discard();
}

bool OutputFile::open(const char* name)
{
    name_ = name;
    error_.clear();
    for (int attempt = 0; attempt < temp_name_tries; ++attempt) {
        temp_name_ = temp_name_for(name_, attempt);
        file_ = create_new_text_file(temp_name_.c_str());
        if (file_ != nullptr) {
            // Rows arrive a few dozen bytes at a time; write them in large blocks.
            std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    temp_name_.clear();
    return fail(std::strerror(errno));
}

void OutputFile::write(std::string_view text)
{
    if (file_ == nullptr || !error_.empty()) {
        return;
    }
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
        fail(std::strerror(errno));
    }
}

bool OutputFile::commit()
{
    if (file_ == nullptr || !error_.empty()) {
        discard();
        return false;
    }
    const bool flushed = std::fflush(file_) == 0;
    const int flush_errno = errno;
    const bool closed = std::fclose(file_) == 0;
    const int close_errno = errno;
    file_ = nullptr;
    if (!flushed || !closed) {
        discard();
        return fail(std::strerror(flushed ? close_errno : flush_errno));
    }
    std::string reason;
    if (!replace_file(temp_name_.c_str(), name_.c_str(), reason)) {
        discard();
        return fail(reason);
    }
    temp_name_.clear();
    return true;
}

bool OutputFile::fail(const std::string& reason)
{
    if (error_.empty()) {
        error_ = "No se pudo guardar el archivo " + name_ + ": " + reason;
    }
    return false;
}

void OutputFile::discard()
{
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temp_name_.empty()) {
        std::remove(temp_name_.c_str());
        temp_name_.clear();
    }
}
