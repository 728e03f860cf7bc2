// The installed wgnuplot launcher, with a gnuplot stand-in that shows what
// it was given, and the whole tool drawing with the system's real gnuplot.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <regex>
#include <string>

#include "support/files.h"
#include "support/named_case.h"
#include "support/process.h"

namespace {

const std::string installed_bin = DISOL_INSTALLED_BIN;

bool in_ci()
{
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::string(ci) == "true";
}

class Launcher : public testing::Test {
protected:
    void SetUp() override
    {
        write_file(bin_ / "gnuplot",
                   "#!/bin/sh\n"
                   "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > gnuplot_args.txt\n"
                   "exit 7\n");
        ASSERT_EQ(::chmod((bin_ / "gnuplot").c_str(), 0755), 0);
    }

    // With `rows` set, in a pseudo-terminal of that size instead of on pipes.
    ProcessResult launch(const Environment& extra, const std::string& path, int rows = 0,
                         int columns = 0) const
    {
        ProcessSetup s;
        s.argv = {installed_bin + "/wgnuplot", "Disol_ideal.gnp", "-"};
        if (rows > 0) {
            s.argv = {"script", "-qec",
                      "stty rows " + std::to_string(rows) + " cols " + std::to_string(columns) +
                          " && exec " + installed_bin + "/wgnuplot Disol_ideal.gnp -",
                      "/dev/null"};
        }
        s.cwd = run_.path();
        s.env = neutral_environment();
        s.env["PATH"] = path;
        for (const auto& [name, value] : extra) {
            s.env[name] = value;
        }
        return run_process(s, "");
    }

    ScratchDir run_;
    ScratchDir bin_;
};

struct LauncherCase : named::Case {
    Environment env;
    std::string gnuplot_args;
    int terminal_rows = 0;  // when set, run in a pseudo-terminal of this size
    int terminal_columns = 0;
};

// What gnuplot is given to draw in the console as text, in one drawing:
// nothing while the script runs, then the finished plot.
std::string as_text(int columns, int rows)
{
    return "-e\nset terminal dumb size " + std::to_string(columns) + "," + std::to_string(rows) +
           "; set output '/dev/null'\nDisol_ideal.gnp\n-e\nset output; replot\n-\n";
}

class LauncherCases : public Launcher, public testing::WithParamInterface<LauncherCase> {};

TEST_P(LauncherCases, RunsGnuplotWithItsArguments)
{
    const LauncherCase& c = GetParam();
    const ProcessResult r =
        launch(c.env, bin_.path() + ":/usr/bin:/bin", c.terminal_rows, c.terminal_columns);
    EXPECT_EQ(r.status, 7) << "gnuplot's status is the launcher's";
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(read_file(run_ / "gnuplot_args.txt"), GetParam().gnuplot_args);
}

INSTANTIATE_TEST_SUITE_P(
    Launcher, LauncherCases,
    testing::Values(
        LauncherCase{{"NoDisplayDrawsText"}, {}, as_text(80, 24)},
        LauncherCase{
            {"TextFitsTheConsole"}, {{"COLUMNS", "132"}, {"LINES", "43"}}, as_text(132, 42)},
        LauncherCase{{"TextFitsATerminal"}, {}, as_text(100, 39), 40, 100},
        LauncherCase{
            {"NonsenseSizeIsIgnored"}, {{"COLUMNS", "ancho"}, {"LINES", "3"}}, as_text(80, 24)},
        LauncherCase{{"X11Display"}, {{"DISPLAY", ":0"}}, "Disol_ideal.gnp\n-\n"},
        LauncherCase{
            {"WaylandDisplay"}, {{"WAYLAND_DISPLAY", "wayland-0"}}, "Disol_ideal.gnp\n-\n"},
        LauncherCase{{"TerminalChosenByTheUser"}, {{"GNUTERM", "png"}}, "Disol_ideal.gnp\n-\n"}),
    named::ByName());

TEST_F(Launcher, MissingGnuplotIsExplained)
{
    const ProcessResult r = launch({}, installed_bin);
    EXPECT_EQ(r.status, 127);
    EXPECT_EQ(r.err,
              "wgnuplot: no se encuentra el programa gnuplot. Se instala con: apt-get "
              "install gnuplot\n");
    EXPECT_FALSE(file_exists(run_ / "gnuplot_args.txt"));
}

std::size_t count(const std::string& text, char c)
{
    std::size_t n = 0;
    for (const char x : text) {
        n += x == c;
    }
    return n;
}

TEST(RealPlotter, DrawsTheDiagramInTheConsole)
{
    if (!file_exists("/usr/bin/gnuplot")) {
        if (in_ci()) {
            FAIL() << "gnuplot is not installed";
        }
        GTEST_SKIP() << "gnuplot is not installed (apt-get install gnuplot-nox)";
    }
    ScratchDir run;
    ProcessSetup s;
    s.argv = {installed_bin + "/disol_ideal"};
    s.cwd = run.path();
    s.env = neutral_environment();  // no display, no terminal chosen
    s.env["PATH"] = installed_bin + ":/usr/bin:/bin";
    s.env["LC_ALL"] = "C";
    // What follows the four numbers is for gnuplot, which reads after the tool.
    const ProcessResult r = run_process(s, "350 380\n3500 4000\nprint \"fin del dibujo\"\n");
    ASSERT_TRUE(r.ended);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "fin del dibujo\n");

    // One drawing, not the liquid line alone first: one axis, both keys once.
    const auto occurrences = [&r](const std::string& text) {
        std::size_t n = 0;
        for (std::size_t at = r.out.find(text); at != std::string::npos;
             at = r.out.find(text, at + 1)) {
            ++n;
        }
        return n;
    };
    EXPECT_EQ(occurrences("\n  385 +"), 1u) << r.out;
    EXPECT_EQ(occurrences("'Disol_ideal.dat' using 2:1"), 1u);
    EXPECT_EQ(occurrences("'Disol_ideal.dat' using 3:1"), 1u);

    // The last drawing is the finished diagram: both lines and their keys...
    const std::string drawing = r.out.substr(r.out.rfind("(K): "));
    const std::string last = drawing.substr(drawing.rfind("\n  385 +"));
    EXPECT_TRUE(std::regex_search(last, std::regex("'Disol_ideal.dat' using 2:1 \\*{7}")));
    EXPECT_TRUE(std::regex_search(last, std::regex("'Disol_ideal.dat' using 3:1 #{7}")));
    EXPECT_GT(count(last, '*'), 40u) << last;
    EXPECT_GT(count(last, '#'), 40u) << last;
    // ...on a temperature axis from 350 to 380, composition from 0 to 1.
    for (const char* tick : {"\n  350 +", "\n  355 |", "\n  380 |"}) {
        EXPECT_NE(last.find(tick), std::string::npos) << tick << " missing in\n" << last;
    }
    EXPECT_TRUE(std::regex_search(last, std::regex("\n +-0.2 +0 +0.2 +0.4 +0.6 +0.8 +1 *\n")))
        << last;
}

}  // namespace
