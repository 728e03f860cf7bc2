#include "output_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform.h"

namespace fs = std::filesystem;

namespace {

// Enough tries to get past files left under these names by runs that were
// killed; such files are left alone.
constexpr int spare_name_tries = 100;

std::string spare_name_for(const std::string& name, int attempt, const char* suffix)
{
    std::string spare = name + "." + std::to_string(process_number());
    if (attempt > 0) {
        spare += "-" + std::to_string(attempt);
    }
    return spare + suffix;
}

// A second name for the file at `name`, so that it can be put back after
// `name` has been replaced: a hard link where the file system has them,
// else the file itself moved aside. Sets `kept` to "" when there is no
// file to keep.
bool keep_earlier(const std::string& name, std::string& kept, std::string& reason)
{
    kept.clear();
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(name, ec);
    if (!fs::exists(status) || fs::is_directory(status)) {
        return true;  // nothing to keep; a folder makes the rename fail anyway
    }
    for (int attempt = 0; attempt < spare_name_tries; ++attempt) {
        const std::string spare = spare_name_for(name, attempt, ".old");
        if (fs::exists(fs::symlink_status(spare, ec))) {
            continue;
        }
        fs::create_hard_link(name, spare, ec);
        if (ec && !replace_file(name.c_str(), spare.c_str(), reason)) {
            return false;
        }
        kept = spare;
        return true;
    }
    reason = std::strerror(EEXIST);
    return false;
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
    closed_ = false;
    for (int attempt = 0; attempt < spare_name_tries; ++attempt) {
        temp_name_ = spare_name_for(name_, attempt, ".tmp");
        file_ = create_new_text_file(temp_name_.c_str(), name);
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

bool OutputFile::close()
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
    closed_ = true;
    return true;
}

// Renames the temporary file onto the name. With `kept`, first keeps the
// earlier file under a spare name there, for `put_back`.
bool OutputFile::replace(std::string* kept)
{
    if (!closed_) {
        return false;
    }
    std::string reason;
    if (kept != nullptr && !keep_earlier(name_, *kept, reason)) {
        discard();
        return fail(reason);
    }
    if (!replace_file(temp_name_.c_str(), name_.c_str(), reason)) {
        if (kept != nullptr && !kept->empty()) {
            // A hard link left the earlier file in place; one moved aside
            // comes back.
            std::error_code ec;
            if (fs::exists(fs::symlink_status(name_, ec))) {
                std::remove(kept->c_str());
            } else {
                put_back(*kept);
            }
        }
        discard();
        return fail(reason);
    }
    temp_name_.clear();
    closed_ = false;
    return true;
}

// Undoes `replace`: the earlier file, or none if there was none, stands
// under the name again.
void OutputFile::put_back(const std::string& kept)
{
    std::string ignored;
    if (kept.empty()) {
        std::remove(name_.c_str());
    } else {
        replace_file(kept.c_str(), name_.c_str(), ignored);
    }
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
    closed_ = false;
}

bool commit_files(std::initializer_list<OutputFile*> files, std::string& error)
{
    // The earlier file of each one already in place, to put back. The last
    // one needs none: if it cannot be put in place, its earlier file stays.
    std::vector<std::string> kept;
    for (OutputFile* file : files) {
        const bool last = file == *(files.end() - 1);
        std::string earlier;
        if (!file->replace(last ? nullptr : &earlier)) {
            error = file->error();
            for (std::size_t i = kept.size(); i-- > 0;) {
                files.begin()[i]->put_back(kept[i]);
            }
            return false;
        }
        kept.push_back(earlier);
    }
    for (const std::string& earlier : kept) {
        if (!earlier.empty()) {
            std::remove(earlier.c_str());
        }
    }
    return true;
}
