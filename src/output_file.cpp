#include "output_file.h"

#include <cerrno>
#include <vector>

#include "platform.h"

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
// `name` has been replaced. Sets `kept` to "" when there is no file to keep.
bool keep_earlier(const std::string& name, std::string& kept, std::string& reason)
{
    kept.clear();
    for (int attempt = 0; attempt < spare_name_tries; ++attempt) {
        const std::string spare = spare_name_for(name, attempt, ".old");
        if (keep_file_as(name.c_str(), spare.c_str())) {
            kept = spare;
            return true;
        }
        if (errno == ENOENT) {
            return true;  // nothing to keep; a folder makes the rename fail anyway
        }
        if (errno != EEXIST) {
            break;
        }
    }
    reason = system_reason(errno);
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
            // Rows arrive a few dozen bytes at a time; write them in large
            // blocks (the C library sizes its own buffer by the disk's). Left
            // uninitialised: only the pages a table fills are ever touched.
            constexpr std::size_t buffer_size = 1 << 16;
            buffer_.reset(new char[buffer_size]);
            std::setvbuf(file_, buffer_.get(), _IOFBF, buffer_size);
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    temp_name_.clear();
    return fail(system_reason(errno));
}

void OutputFile::write(std::string_view text)
{
    if (file_ == nullptr || !error_.empty()) {
        return;
    }
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
        fail(system_reason(errno));
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
        return fail(system_reason(flushed ? close_errno : flush_errno));
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
            put_back(*kept);
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
    if (kept.empty()) {
        std::remove(name_.c_str());
        return;
    }
    // Renaming a hard link onto its own file changes nothing and leaves
    // the link: it goes then.
    std::string ignored;
    replace_file(kept.c_str(), name_.c_str(), ignored);
    std::remove(kept.c_str());
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
    std::vector<OutputFile*> committed;
    std::vector<std::string> kept;
    const OutputFile* last = nullptr;
    for (OutputFile* file : files) {
        last = file->name_.empty() ? last : file;
    }
    for (OutputFile* file : files) {
        if (file->name_.empty()) {
            continue;
        }
        std::string earlier;
        if (!file->replace(file == last ? nullptr : &earlier)) {
            error = file->error();
            for (std::size_t i = kept.size(); i-- > 0;) {
                committed[i]->put_back(kept[i]);
            }
            return false;
        }
        committed.push_back(file);
        kept.push_back(earlier);
    }
    for (const std::string& earlier : kept) {
        if (!earlier.empty()) {
            std::remove(earlier.c_str());
        }
    }
    return true;
}
