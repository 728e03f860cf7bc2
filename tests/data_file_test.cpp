#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "data_file.h"
#include "support/files.h"
#include "support/named_case.h"

namespace {

// When set, closing a temporary file closes it and then reports EIO, as a
// network file system may after a flush that succeeded.
bool fail_temporary_fclose = false;

bool is_temporary(FILE* stream)
{
    char path[4096];
    const std::string fd = "/proc/self/fd/" + std::to_string(::fileno(stream));
    const ssize_t length = ::readlink(fd.c_str(), path, sizeof path);
    return length > 4 && std::string(path, static_cast<std::size_t>(length)).rfind(".tmp") ==
                             static_cast<std::size_t>(length) - 4;
}

}  // namespace

// Stands in for the C library's fclose in this test program, the writer's
// included, so that a failing close can be made at will.
extern "C" int fclose(FILE* stream)
{
    using Fclose = int (*)(FILE*);
    static const auto real = reinterpret_cast<Fclose>(::dlsym(RTLD_NEXT, "fclose"));
    const bool fail = fail_temporary_fclose && is_temporary(stream);
    const int result = real(stream);
    if (fail) {
        errno = EIO;
        return EOF;
    }
    return result;
}

namespace {

const std::string header_350_380 =
    "#Diagrama T/x de una disolucion ideal"
    "\n#T1 = 350.00 K, L1 = 3500.000000 K (L1/R)"
    "\n#T2 = 380.00 K, L2 = 4000.000000 K (L2/R)"
    "\n#    T     xl      xg   "
    "\n#=======================";

// The C library's "%.2f %f %f": the format the table promises.
std::string printf_row(const DiagramRow& row)
{
    char text[1024];
    std::snprintf(text, sizeof text, "\n%.2f %f %f", row.T, row.xl, row.xg);
    return text;
}

// Runs each test inside a scratch folder, where the writer puts its file.
class DataFile : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(::getcwd(home_, sizeof home_), nullptr);
        ASSERT_EQ(::chdir(scratch_.path().c_str()), 0);
    }
    void TearDown() override { ASSERT_EQ(::chdir(home_), 0); }

    std::string table() const { return read_file(scratch_ / "Disol_ideal.dat"); }

    static bool write_table(const DiagramInput& input, const std::vector<DiagramRow>& rows,
                            std::string* error = nullptr)
    {
        DataFileWriter writer;
        bool ok = writer.open(input);
        for (const DiagramRow& row : rows) {
            writer.write_row(row);
        }
        ok = writer.close() && ok;
        std::string commit_error;
        ok = ok && commit_files({&writer.file()}, commit_error);
        if (error != nullptr) {
            *error = writer.error();
        }
        return ok;
    }

    ScratchDir scratch_;
    char home_[4096] = "";
};

TEST_F(DataFile, HeaderAloneEndsWithoutLineBreak)
{
    ASSERT_TRUE(write_table({350, 380, 3500, 4000}, {}));
    EXPECT_EQ(table(), header_350_380);
    EXPECT_EQ(folder_entries(scratch_.path()), std::vector<std::string>{"Disol_ideal.dat"});
}

TEST_F(DataFile, HeaderShowsTheFiguresAsEntered)
{
    // 273.155 and 0.0000005 are stored a hair below the half: they round down.
    ASSERT_TRUE(write_table({273.155, -1e5, 0.0000005, -0.0}, {}));
    EXPECT_EQ(table(),
              "#Diagrama T/x de una disolucion ideal"
              "\n#T1 = 273.15 K, L1 = 0.000000 K (L1/R)"
              "\n#T2 = -100000.00 K, L2 = -0.000000 K (L2/R)"
              "\n#    T     xl      xg   "
              "\n#=======================");
}

TEST_F(DataFile, RowsAreFixedPointLikePrintf)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<DiagramRow> rows = {
        {350, 1, 1},
        {380.03, -0.000777, -0.0016094},
        {400.0000000000001, -2e-15, -0.0},
        {0.125, 0.0000005, 0.0000015},  // exact halves round to even
        {2.675, 1.0000005, -0.0000025},
        {-1e300, 1e-320, 1.7976931348623157e308},  // the longest field
        {inf, -inf, nan},
        {-nan, 0.5, 1e22},
    };
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> temperature(0, 2000);
    std::uniform_real_distribution<double> fraction(-0.01, 1.01);
    for (int i = 0; i < 5000; ++i) {
        rows.push_back({temperature(random), fraction(random), fraction(random)});
    }
    std::string expected = header_350_380;
    for (const DiagramRow& row : rows) {
        expected += printf_row(row);
    }
    ASSERT_TRUE(write_table({350, 380, 3500, 4000}, rows));
    EXPECT_EQ(table(), expected);
}

TEST_F(DataFile, SecondRunReplacesTheWholeTable)
{
    ASSERT_TRUE(write_table({350, 380, 3500, 4000}, std::vector<DiagramRow>(500, {350, 1, 1})));
    ASSERT_TRUE(write_table({350, 380, 3500, 4000}, {{351, 0.5, 0.25}}));
    EXPECT_EQ(table(), header_350_380 + "\n351.00 0.500000 0.250000");
    EXPECT_EQ(folder_entries(scratch_.path()), std::vector<std::string>{"Disol_ideal.dat"});
}

// What stands at `path`: a file's bytes, or a folder's entries.
std::string state_of(const std::string& path)
{
    if (!std::filesystem::is_directory(path)) {
        return read_file(path);
    }
    std::string entries = "folder:";
    for (const std::string& name : folder_entries(path)) {
        entries += " " + name;
    }
    return entries;
}

// A real failure of the file system, made as root can make one, with what
// stood under the table's name before.
struct FailureCase : named::Case {
    int reason;  // the errno whose text the message gives
    std::function<void(const ScratchDir&)> arrange;
    std::function<void()> restore;
};

class DataFileFailure : public DataFile, public testing::WithParamInterface<FailureCase> {};

TEST_P(DataFileFailure, IsReportedAndLeavesWhatWasThere)
{
    const FailureCase& c = GetParam();
    c.arrange(scratch_);
    const std::string earlier = state_of(scratch_ / "Disol_ideal.dat");
    const std::vector<std::string> before = folder_entries(scratch_.path());

    std::string error;
    const bool ok =
        write_table({350, 380, 3500, 4000}, std::vector<DiagramRow>(2000, {350, 1, 1}), &error);
    c.restore();

    EXPECT_FALSE(ok);
    EXPECT_EQ(error, std::string("No se pudo guardar el archivo Disol_ideal.dat: ") +
                         std::strerror(c.reason));
    EXPECT_EQ(folder_entries(scratch_.path()), before) << "a temporary file was left behind";
    EXPECT_EQ(state_of(scratch_ / "Disol_ideal.dat"), earlier);
}

rlimit saved_file_limit;

INSTANTIATE_TEST_SUITE_P(
    DataFile, DataFileFailure,
    testing::Values(FailureCase{{"FolderInTheWay"},
                                EISDIR,
                                [](const ScratchDir& dir) {
                                    ::mkdir((dir / "Disol_ideal.dat").c_str(), 0755);
                                    write_file(dir / "Disol_ideal.dat/notes.txt", "kept");
                                },
                                [] {}},
                    FailureCase{{"FileSizeLimit"},
                                EFBIG,
                                [](const ScratchDir& dir) {
                                    write_file(dir / "Disol_ideal.dat",
                                               header_350_380 + "\n350.00 1.000000 1.000000");
                                    ::signal(SIGXFSZ, SIG_IGN);
                                    ::getrlimit(RLIMIT_FSIZE, &saved_file_limit);
                                    rlimit small = saved_file_limit;
                                    small.rlim_cur = 4096;
                                    ::setrlimit(RLIMIT_FSIZE, &small);
                                },
                                [] {
                                    ::setrlimit(RLIMIT_FSIZE, &saved_file_limit);
                                    ::signal(SIGXFSZ, SIG_DFL);
                                }},
                    FailureCase{{"CloseFailsAfterTheFlush"},
                                EIO,
                                [](const ScratchDir& dir) {
                                    write_file(dir / "Disol_ideal.dat", header_350_380);
                                    fail_temporary_fclose = true;
                                },
                                [] { fail_temporary_fclose = false; }}),
    named::ByName());

TEST_F(DataFile, FolderGoneIsReported)
{
    ASSERT_EQ(::rmdir(scratch_.path().c_str()), 0);
    std::string error;
    EXPECT_FALSE(write_table({350, 380, 3500, 4000}, {{350, 1, 1}}, &error));
    EXPECT_EQ(error, std::string("No se pudo guardar el archivo Disol_ideal.dat: ") +
                         std::strerror(ENOENT));
}

}  // namespace
