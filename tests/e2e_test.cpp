// The built program, run in a scratch folder with piped input and checked
// byte for byte: the native build, or with DISOL_TARGET=windows the Windows
// build under Wine.

#include <gtest/gtest.h>
#include <locale.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/named_case.h"
#include "support/process.h"
#include "sweep.h"

#ifndef DISOL_WINDOWS_EXE
#define DISOL_WINDOWS_EXE ""
#define DISOL_WINDOWS_PLOTTER ""
#define DISOL_WINEPREFIX ""
#define DISOL_WINE ""
#endif

namespace {

bool on_windows()
{
    const char* target = std::getenv("DISOL_TARGET");
    return target != nullptr && std::string(target) == "windows";
}

// The console texts in Windows-1252 (0xED is í, 0xF3 ó, 0xF1 ñ).
const std::string banner =
    "\n Este programa calcula y dibuja las l\xEDneas de separacion"
    "\n  de fases para una disoluci\xF3n ideal"
    "\n dando ls temperaturas de ebullicion y calores latentes de los"
    "\n dos componentes puros"
    "\nGuarda los resultados en el archivo de texto Disol_ideal.dat"
    "\n Para que dibuje es necesario tener el programa libre wgnuplot.exe"
    "\n en la misma carpeta que este ejecutable"
    "\n o bien a\xF1"
    "adir a la variable de entorno PATH"
    "\nla carpeta donde se encuentre wgnuplot.exe"
    "\n el archivo Disol_ideal.gnp es para uso del programa wgnuplot.exe"
    "\n\n\nTemperaturas de ebullici\xF3n T1, T2 (dar T1<T2 en K): ";
const std::string second_prompt = "\nCalores latentes L1/R, L2/R (K): ";
const std::string dialogue = banner + second_prompt;
const std::string bad_numbers =
    "\nSe esperaban dos n\xFAmeros, escritos con punto decimal (por ejemplo 350.5).\n";
// What the plotter's stand-in prints when it starts.
const std::string plotter_mark = "[plotter]";

const std::string script =
    "plot 'Disol_ideal.dat' using 2:1 with lines"
    "\nreplot 'Disol_ideal.dat' using 3:1 with lines";

std::string as_utf8(const std::string& cp1252)
{
    std::string out;
    for (const char c : cp1252) {
        switch (static_cast<unsigned char>(c)) {
        case 0xED: out += "\xC3\xAD"; break;
        case 0xF3: out += "\xC3\xB3"; break;
        case 0xF1: out += "\xC3\xB1"; break;
        case 0xFA: out += "\xC3\xBA"; break;
        default: out += c;
        }
    }
    return out;
}

std::string with_crlf(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

// Text as the target writes it: with CR LF line ends on Windows.
std::string native(const std::string& text)
{
    return on_windows() ? with_crlf(text) : text;
}

bool ends_with(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The table as the C library's printf writes it for the sweep's rows.
std::string expected_table(const DiagramInput& in)
{
    char text[1024];
    std::snprintf(text, sizeof text,
                  "#Diagrama T/x de una disolucion ideal"
                  "\n#T1 = %.2f K, L1 = %f K (L1/R)"
                  "\n#T2 = %.2f K, L2 = %f K (L2/R)"
                  "\n#    T     xl      xg   "
                  "\n#=======================",
                  in.T1, in.L1, in.T2, in.L2);
    std::string table = text;
    sweep_diagram(in, [&](const DiagramRow& row) {
        std::snprintf(text, sizeof text, "\n%.2f %f %f", row.T, row.xl, row.xg);
        table += text;
    });
    return native(table);
}

std::size_t count_lines(const std::string& text)
{
    std::size_t lines = 1;
    for (const char c : text) {
        lines += c == '\n';
    }
    return lines;
}

bool locale_installed(const char* name)
{
    const locale_t locale = ::newlocale(LC_ALL_MASK, name, nullptr);
    if (locale != nullptr) {
        ::freelocale(locale);
    }
    return locale != nullptr;
}

std::string real_path(const std::string& path)
{
    return std::filesystem::canonical(path).string();
}

// Runs the program for `target_windows` in `folder` with only the settings
// the tests choose.
ProcessSetup program_setup(bool target_windows, const std::string& folder)
{
    ProcessSetup s;
    s.cwd = folder;
    s.env = neutral_environment();
    s.env["LC_ALL"] = "C";
    if (target_windows) {
        s.argv = {DISOL_WINE, DISOL_WINDOWS_EXE};
        s.env["WINEPREFIX"] = DISOL_WINEPREFIX;
        s.env["WINELOADER"] = DISOL_WINE;
        s.env["WINEDEBUG"] = "-all";
    } else {
        s.argv = {DISOL_EXE};
    }
    return s;
}

// Each test runs the program in a scratch folder of its own. The plotter's
// stand-in is where each platform's interpreter finds it: first on the
// PATH on Linux, in the run folder on Windows.
class Tool : public testing::Test {
protected:
    void SetUp() override
    {
        if (on_windows()) {
            std::filesystem::copy_file(DISOL_WINDOWS_PLOTTER, scratch_ / "wgnuplot.exe");
        } else {
            ASSERT_EQ(::symlink(DISOL_FAKE_PLOTTER, (plotter_bin_ / "wgnuplot").c_str()), 0);
        }
    }

    ProcessSetup setup(const Environment& extra = {}) const
    {
        ProcessSetup s = program_setup(on_windows(), scratch_.path());
        s.env["PATH"] = plotter_bin_.path() + ":/usr/bin:/bin";
        for (const auto& [name, value] : extra) {
            s.env[name] = value;
        }
        return s;
    }

    ProcessResult run(const ProcessSetup& s, const std::string& input, int seconds = 30)
    {
        ProcessResult r = run_process(s, input, seconds);
        last_err_ = r.err;
        return r;
    }

    ProcessResult run(const std::string& input, const Environment& extra = {})
    {
        return run(setup(extra), input);
    }

    // A failed check on the status or the output is read with what the
    // program said on its standard error, which few checks print.
    void TearDown() override
    {
        if (HasFailure()) {
            std::cerr << "The last run's standard error:\n" << last_err_ << '\n';
        }
    }

    void remove_plotter() const
    {
        const std::string where =
            on_windows() ? scratch_ / "wgnuplot.exe" : plotter_bin_ / "wgnuplot";
        ASSERT_EQ(::unlink(where.c_str()), 0);
    }

    std::string table() const { return read_file(scratch_ / "Disol_ideal.dat"); }
    bool plotter_ran() const { return file_exists(scratch_ / "plotter_args.txt"); }

    // The run folder's files, without the plotter's stand-in.
    std::vector<std::string> entries() const
    {
        std::vector<std::string> names = folder_entries(scratch_.path());
        names.erase(std::remove(names.begin(), names.end(), "wgnuplot.exe"), names.end());
        return names;
    }

    // The message for a file that could not be written. The reason is the
    // system's own; Linux's is checked word for word under LC_ALL=C.
    static void expect_not_saved(const std::string& err, const std::string& file,
                                 const std::string& linux_reason)
    {
        const std::string start = "\nNo se pudo guardar el archivo " + file + ": ";
        if (on_windows()) {
            EXPECT_EQ(err.rfind(native(start), 0), 0u) << err;
            EXPECT_TRUE(ends_with(err, "\r\n")) << err;
            EXPECT_GT(err.size(), native(start).size() + 2) << "no reason given";
        } else {
            EXPECT_EQ(err, start + linux_reason + "\n");
        }
    }

    ScratchDir scratch_;
    ScratchDir plotter_bin_;
    std::string last_err_;
};

const std::string standard_input = "350 380\n3500 4000\n";
const DiagramInput standard{350, 380, 3500, 4000};

TEST_F(Tool, StandardRunWritesTheDialogueAndTheTable)
{
    const ProcessResult r = run(standard_input);
    ASSERT_TRUE(r.ended);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, native(dialogue) + plotter_mark);
    EXPECT_EQ(r.err, "");

    const std::string t = table();
    EXPECT_EQ(t, expected_table(standard));
    EXPECT_EQ(count_lines(t), 5u + 1002u);
    EXPECT_EQ(t.substr(0, 1), "#");
    EXPECT_NE(t.find(native("\n#=======================\n350.00 1.000000 1.000000\n350.03 ")),
              std::string::npos);
    EXPECT_TRUE(ends_with(t, native("\n380.00 0.000000 0.000000\n380.03 -0.000777 -0.001609")));
}

struct EncodingCase : named::Case {
    Environment env;
    bool utf8;
};

class Encoding : public Tool, public testing::WithParamInterface<EncodingCase> {};

TEST_P(Encoding, FollowsTheCharacterSetButNeverTheNumberFormat)
{
    const EncodingCase& c = GetParam();
    const auto found = c.env.find("LC_ALL");
    if (found != c.env.end() && !locale_installed(found->second.c_str())) {
        GTEST_SKIP() << "locale " << found->second << " is not installed";
    }
    Environment env = c.env;
    if (found == c.env.end()) {
        env["LC_ALL"] = "";  // an empty LC_ALL lets LANG decide
    }
    const ProcessResult r = run(standard_input, env);
    EXPECT_EQ(r.status, 0);
    // The Windows program always writes the single bytes.
    const bool utf8 = c.utf8 && !on_windows();
    EXPECT_EQ(r.out, native(utf8 ? as_utf8(dialogue) : dialogue) + plotter_mark);
    EXPECT_EQ(table(), expected_table(standard));
}

INSTANTIATE_TEST_SUITE_P(
    Tool, Encoding,
    testing::Values(EncodingCase{{"PlainC"}, {{"LC_ALL", "C"}}, false},
                    EncodingCase{{"CUtf8"}, {{"LC_ALL", "C.UTF-8"}}, true},
                    EncodingCase{{"LangUtf8"}, {{"LANG", "C.UTF-8"}}, true},
                    EncodingCase{{"NoLocaleAtAll"}, {}, false},
                    EncodingCase{{"SpanishUtf8"}, {{"LC_ALL", "es_ES.UTF-8"}}, true},
                    EncodingCase{{"SpanishNumbersOnly"},
                                 {{"LANG", "C.UTF-8"}, {"LC_NUMERIC", "es_ES.UTF-8"}},
                                 true}),
    named::ByName());

TEST_F(Tool, BannerAndFirstPromptArriveBeforeAnyInput)
{
    Process p(setup());
    // Seconds, not minutes: a prompt left in a buffer fails at once.
    const int seconds = on_windows() ? 10 : 5;
    ASSERT_TRUE(p.read_until(native(banner), seconds)) << "got only: " << p.out_so_far();
    EXPECT_FALSE(file_exists(scratch_ / "Disol_ideal.dat"));
    p.write("350 380\n");
    ASSERT_TRUE(p.read_until(native(dialogue), seconds)) << "got only: " << p.out_so_far();
    p.write("3500 4000\n");
    p.close_input();
    const ProcessResult r = p.wait(60);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, native(dialogue) + plotter_mark);
}

TEST_F(Tool, FourNumbersOnOneLineAnswerBothPrompts)
{
    // Input stays open: the second read must not wait for more.
    Process p(setup());
    p.write("350 380 3500 4000\n");
    const ProcessResult r = p.wait(60);
    ASSERT_TRUE(r.ended) << "the program waited for more input";
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, native(dialogue) + plotter_mark);
    EXPECT_EQ(table(), expected_table(standard));
}

struct InputCase : named::Case {
    std::string input;
    DiagramInput read;
};

class InputForms : public Tool, public testing::WithParamInterface<InputCase> {};

TEST_P(InputForms, AreReadAsNumbers)
{
    const ProcessResult r = run(GetParam().input);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, native(dialogue) + plotter_mark);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(table(), expected_table(GetParam().read));
}

INSTANTIATE_TEST_SUITE_P(
    Tool, InputForms,
    testing::Values(
        InputCase{
            {"SeparateLines"}, "\n\n  350\n\n\t380\n\n\n3500\n   4000", {350, 380, 3500, 4000}},
        InputCase{
            {"TabsAndCarriageReturns"}, "\t350\t380\r\n3500\t\t4000\r\n", {350, 380, 3500, 4000}},
        InputCase{{"Exponents"}, "3.5e2 3.8E+2\n3.5e3 4e3\n", {350, 380, 3500, 4000}},
        InputCase{{"SignsAndPoints"}, "+350. 380.5\n.35e4 -4000\n", {350, 380.5, 3500, -4000}},
        InputCase{
            {"NoSpaceNeededAfterAPoint"}, "350.5-380\n3500 4000\n", {350.5, -380, 3500, 4000}},
        InputCase{{"FirstAboveSecond"}, "380 350\n3500 4000\n", {380, 350, 3500, 4000}},
        InputCase{{"Equal"}, "350 350\n3500 4000\n", {350, 350, 3500, 4000}},
        InputCase{{"BeyondDouble"}, "1e999 -1e999\n1e-999 4000\n", {HUGE_VAL, -HUGE_VAL, 0, 4000}},
        // Out of range by their digits, not by an exponent.
        InputCase{{"DigitsBeyondDouble"},
                  "350 380\n1" + std::string(400, '0') + " 0." + std::string(400, '0') + "1\n",
                  {350, 380, HUGE_VAL, 0}},
        InputCase{{"LastEndsAtBlank"}, "350 380\n3500 4000 ", {350, 380, 3500, 4000}},
        InputCase{{"LastEndsAtTab"}, "350 380\n3500 4000\t", {350, 380, 3500, 4000}},
        InputCase{{"LastEndsAtLineBreak"}, "350 380\n3500 4000\n", {350, 380, 3500, 4000}},
        InputCase{{"LastEndsAtEndOfInput"}, "350 380\n3500 4000", {350, 380, 3500, 4000}}),
    named::ByName());

// The first field of each row.
std::vector<std::string> temperatures(const std::string& table)
{
    std::vector<std::string> column;
    std::size_t line = table.find("\n#=======================");
    while ((line = table.find('\n', line + 1)) != std::string::npos) {
        column.push_back(table.substr(line + 1, table.find(' ', line) - line - 1));
    }
    return column;
}

class StallingSweep : public Tool, public testing::WithParamInterface<InputCase> {};

TEST_P(StallingSweep, Ends)
{
    // A sweep that runs away fills the disk: stop it at a few megabytes.
    ProcessSetup s = setup();
    if (!on_windows()) {
        s.max_file_size = 4 << 20;
    }
    const ProcessResult r = run(s, GetParam().input, 10);
    ASSERT_TRUE(r.ended) << "the sweep does not end";
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(temperatures(table()), temperatures(expected_table(GetParam().read)));
    // Over so narrow a range the compositions are differences of nearly
    // equal numbers: rounding noise, which follows the last bit of the C
    // runtime's exp. Only the native build shares it with this test.
    if (!on_windows()) {
        EXPECT_EQ(table(), expected_table(GetParam().read));
    }
}

// Steps below the spacing of doubles: the sweep stalls at once, or part
// way on reaching 512, where the spacing doubles.
INSTANTIATE_TEST_SUITE_P(Tool, StallingSweep,
                         testing::Values(InputCase{{"AtOnce"},
                                                   "350 350.00000000001\n3500 4000\n",
                                                   {350, 350.00000000001, 3500, 4000}},
                                         InputCase{{"PartWay"},
                                                   "511.99999999998 512.00000000002\n3500 4000\n",
                                                   {511.99999999998, 512.00000000002, 3500, 4000}}),
                         named::ByName());

TEST_F(Tool, EmptyRangeGivesTheHeaderAlone)
{
    const ProcessResult r = run("380 350\n3500 4000\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(table(), expected_table({380, 350, 3500, 4000}));
    EXPECT_EQ(count_lines(table()), 5u);
}

struct BadInputCase : named::Case {
    const char* input;
    bool reached_second_prompt;
};

class BadInput : public Tool, public testing::WithParamInterface<BadInputCase> {};

TEST_P(BadInput, IsRefusedAndTouchesNoFile)
{
    const BadInputCase& c = GetParam();
    write_file(scratch_ / "Disol_ideal.dat", "earlier table");
    write_file(scratch_ / "Disol_ideal.gnp", "earlier script");
    const ProcessResult r = run(c.input);
    ASSERT_TRUE(r.ended);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, native(c.reached_second_prompt ? dialogue : banner));
    EXPECT_EQ(r.err, native(bad_numbers));
    EXPECT_EQ(read_file(scratch_ / "Disol_ideal.dat"), "earlier table");
    EXPECT_EQ(read_file(scratch_ / "Disol_ideal.gnp"), "earlier script");
    EXPECT_EQ(entries(), (std::vector<std::string>{"Disol_ideal.dat", "Disol_ideal.gnp"}));
}

INSTANTIATE_TEST_SUITE_P(
    Tool, BadInput,
    testing::Values(BadInputCase{{"NoInput"}, "", false},
                    BadInputCase{{"OnlyBlanks"}, "  \n\n\t ", false},
                    BadInputCase{{"Words"}, "trescientos cincuenta\n", false},
                    BadInputCase{{"DecimalComma"}, "350,5 380\n3500 4000\n", false},
                    BadInputCase{{"OneNumberThenEnd"}, "350", false},
                    BadInputCase{{"ExponentWithoutDigits"}, "350e 380\n3500 4000\n", false},
                    BadInputCase{{"SignAlone"}, "- 380\n3500 4000\n", false},
                    BadInputCase{{"Infinity"}, "inf 380\n3500 4000\n", false},
                    BadInputCase{{"EndAtSecondPrompt"}, "350 380\n", true},
                    BadInputCase{{"WordAtSecondPrompt"}, "350 380\ntres mil\n", true},
                    BadInputCase{{"CommaAtSecondPrompt"}, "350 380\n3500,0 4000\n", true},
                    // Nothing is read after the last number: it must end there.
                    BadInputCase{{"LastWithDecimalComma"}, "350 380\n3500 4000,5\n", true},
                    BadInputCase{{"LastWithLetter"}, "350 380\n3500 4000x\n", true},
                    BadInputCase{{"LastInHex"}, "350 380\n3500 0x1F\n", true},
                    BadInputCase{{"LastRunIntoACommand"}, "350 380\n3500 4000quit\n", true}),
    named::ByName());

TEST_F(Tool, EndlessNumberIsRefused)
{
    const ProcessResult r = run(std::string(100000, '7'));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, native(bad_numbers));
    EXPECT_FALSE(file_exists(scratch_ / "Disol_ideal.dat"));
}

TEST_F(Tool, FolderInTheWayIsReported)
{
    ASSERT_EQ(::mkdir((scratch_ / "Disol_ideal.dat").c_str(), 0755), 0);
    const ProcessResult r = run(standard_input);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, native(dialogue));
    expect_not_saved(r.err, "Disol_ideal.dat", "Is a directory");
    EXPECT_EQ(entries(), std::vector<std::string>{"Disol_ideal.dat"});
    EXPECT_EQ(folder_entries(scratch_ / "Disol_ideal.dat"), std::vector<std::string>{});
}

TEST_F(Tool, FullDiskKeepsTheEarlierTable)
{
    if (on_windows()) {
        GTEST_SKIP() << "a file-size limit would stop Wine's own files first";
    }
    const std::string earlier = expected_table({300, 400, 3000, 3000});
    write_file(scratch_ / "Disol_ideal.dat", earlier);
    ProcessSetup s = setup();
    s.max_file_size = 10000;
    const ProcessResult r = run(s, standard_input);
    EXPECT_EQ(r.status, 1);
    expect_not_saved(r.err, "Disol_ideal.dat", "File too large");
    EXPECT_EQ(table(), earlier);
    EXPECT_EQ(entries(), std::vector<std::string>{"Disol_ideal.dat"});
}

TEST_F(Tool, PlotterIsHandedCompleteFiles)
{
    // Longer earlier files show that both are replaced, not overwritten in place.
    write_file(scratch_ / "Disol_ideal.dat", expected_table({300, 400, 3000, 3000}) + "\n");
    write_file(scratch_ / "Disol_ideal.gnp", script + script + "\n");
    const ProcessResult r = run(standard_input);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, native(dialogue) + plotter_mark) << "the tool printed after the second prompt";
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(read_file(scratch_ / "plotter_args.txt"), "Disol_ideal.gnp\n-\n");
    std::string folder = real_path(scratch_.path());
    if (on_windows()) {
        std::replace(folder.begin(), folder.end(), '/', '\\');
        folder = "Z:" + folder;  // where Wine shows the Unix root
    }
    EXPECT_EQ(read_file(scratch_ / "plotter_cwd.txt"), folder);
    EXPECT_EQ(read_file(scratch_ / "plotter_saw.dat"), expected_table(standard));
    EXPECT_EQ(read_file(scratch_ / "plotter_saw.gnp"), native(script));
    EXPECT_EQ(read_file(scratch_ / "Disol_ideal.gnp"), native(script));
    EXPECT_EQ(table(), expected_table(standard));
}

TEST_F(Tool, EmptyTableIsStillPlotted)
{
    const ProcessResult r = run("380 350\n3500 4000\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read_file(scratch_ / "plotter_saw.dat"), expected_table({380, 350, 3500, 4000}));
    EXPECT_EQ(read_file(scratch_ / "plotter_saw.gnp"), native(script));
}

struct PlotterEndCase : named::Case {
    Environment env;
    int status;
};

class PlotterEnd : public Tool, public testing::WithParamInterface<PlotterEndCase> {};

TEST_P(PlotterEnd, GivesTheExitStatus)
{
    if (on_windows() && GetParam().env.count("FAKE_PLOTTER_SIGNAL") != 0) {
        GTEST_SKIP() << "Windows programs do not end by signals";
    }
    const ProcessResult r = run(standard_input, GetParam().env);
    ASSERT_TRUE(r.ended);
    EXPECT_EQ(r.status, GetParam().status);
    // The shell may add its own word for a killed plotter; the tool adds none.
    EXPECT_EQ(r.out, native(dialogue) + plotter_mark);
}

INSTANTIATE_TEST_SUITE_P(
    Tool, PlotterEnd,
    testing::Values(PlotterEndCase{{"Success"}, {{"FAKE_PLOTTER_EXIT", "0"}}, 0},
                    PlotterEndCase{{"Failure"}, {{"FAKE_PLOTTER_EXIT", "3"}}, 3},
                    PlotterEndCase{{"HighestStatus"}, {{"FAKE_PLOTTER_EXIT", "255"}}, 255},
                    PlotterEndCase{{"KilledBySigterm"}, {{"FAKE_PLOTTER_SIGNAL", "15"}}, 128 + 15}),
    named::ByName());

TEST_F(Tool, MissingPlotterLeavesTheInterpreterToSaySo)
{
    remove_plotter();
    const ProcessResult r = run(standard_input);
    if (on_windows()) {
        EXPECT_NE(r.status, 0);  // cmd's own failure status
    } else {
        EXPECT_EQ(r.status, 127);
    }
    EXPECT_EQ(r.out, native(dialogue));
    EXPECT_NE(r.err.find("wgnuplot"), std::string::npos) << r.err;
    EXPECT_FALSE(plotter_ran());
    EXPECT_EQ(table(), expected_table(standard));
    EXPECT_EQ(read_file(scratch_ / "Disol_ideal.gnp"), native(script));
}

TEST_F(Tool, RunFolderIsNotSearchedForThePlotter)
{
    if (on_windows()) {
        GTEST_SKIP() << "cmd does look in the current folder first";
    }
    remove_plotter();
    ASSERT_EQ(::symlink(DISOL_FAKE_PLOTTER, (scratch_ / "wgnuplot").c_str()), 0);
    const ProcessResult r = run(standard_input);
    EXPECT_EQ(r.status, 127);
    EXPECT_FALSE(plotter_ran());
}

TEST_F(Tool, InterpreterThatCannotStartIsReported)
{
    if (on_windows()) {
        GTEST_SKIP() << "the process limit is a POSIX one";
    }
    // Run as nobody (see ProcessSetup), who may not reach the build tree.
    ASSERT_EQ(::chmod(scratch_.path().c_str(), 0777), 0);
    std::filesystem::copy_file(DISOL_EXE, scratch_ / "disol_ideal");
    ProcessSetup s = setup({{"ASAN_OPTIONS", "detect_leaks=0"}});  // the leak check forks
    s.argv = {scratch_ / "disol_ideal"};
    s.max_processes = 1;  // itself: the interpreter cannot be started
    const ProcessResult r = run(s, standard_input);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, dialogue);
    EXPECT_EQ(r.err, "\nNo se pudo ejecutar el int\xE9rprete de \xF3rdenes para abrir wgnuplot.\n");
    EXPECT_FALSE(plotter_ran());
    EXPECT_EQ(entries(),
              (std::vector<std::string>{"Disol_ideal.dat", "Disol_ideal.gnp", "disol_ideal"}));
    EXPECT_EQ(table(), expected_table(standard));
    EXPECT_EQ(read_file(scratch_ / "Disol_ideal.gnp"), script);
}

// A folder that nobody may reach into but the owner of what it holds, as a
// teacher's shared folder or /tmp is: only the owner of a file there may
// replace it. The tool runs as nobody, from its own copy, with a plotter
// that nobody may start.
class SharedFolder : public Tool {
protected:
    void SetUp() override
    {
        Tool::SetUp();
        if (on_windows()) {
            GTEST_SKIP() << "owners and permission bits are POSIX ones";
        }
        if (::getuid() != 0) {
            GTEST_SKIP() << "only root can hand files to nobody";
        }
        ASSERT_EQ(::chmod(scratch_.path().c_str(), 01777), 0);
        ASSERT_EQ(::chmod(plotter_bin_.path().c_str(), 0755), 0);
        ASSERT_EQ(::unlink((plotter_bin_ / "wgnuplot").c_str()), 0);
        std::filesystem::copy_file(DISOL_FAKE_PLOTTER, plotter_bin_ / "wgnuplot");
        std::filesystem::copy_file(DISOL_EXE, scratch_ / "disol_ideal");
    }

    // A file of `content` with `mode`, owned by nobody or by root.
    void give(const std::string& name, const std::string& content, mode_t mode,
              bool to_nobody) const
    {
        write_file(scratch_ / name, content);
        ASSERT_EQ(::chmod((scratch_ / name).c_str(), mode), 0);
        if (to_nobody) {
            ASSERT_EQ(::chown((scratch_ / name).c_str(), nobody, nobody), 0);
        }
    }

    ProcessResult run_as_nobody()
    {
        ProcessSetup s = setup();
        s.argv = {scratch_ / "disol_ideal"};
        s.as_nobody = true;
        return run(s, standard_input);
    }

    mode_t mode_of(const std::string& name) const
    {
        struct stat st {};
        ::lstat((scratch_ / name).c_str(), &st);
        return st.st_mode & 07777;
    }

    std::vector<std::string> entries_without_the_tool() const
    {
        std::vector<std::string> names = entries();
        names.erase(std::remove(names.begin(), names.end(), "disol_ideal"), names.end());
        return names;
    }

    static constexpr uid_t nobody = 65534;
};

TEST_F(SharedFolder, ScriptThatCannotBeReplacedChangesNoFile)
{
    // nobody may write root's script but, in this folder, not replace it.
    give("Disol_ideal.dat", "earlier table", 0644, true);
    give("Disol_ideal.gnp", "earlier script", 0666, false);
    const ProcessResult r = run_as_nobody();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, dialogue);
    expect_not_saved(r.err, "Disol_ideal.gnp", "Operation not permitted");
    EXPECT_FALSE(plotter_ran());
    EXPECT_EQ(read_file(scratch_ / "Disol_ideal.dat"), "earlier table");
    EXPECT_EQ(read_file(scratch_ / "Disol_ideal.gnp"), "earlier script");
    EXPECT_EQ(entries_without_the_tool(),
              (std::vector<std::string>{"Disol_ideal.dat", "Disol_ideal.gnp"}));
}

struct PermissionCase : named::Case {
    mode_t mode;
    bool replaced;
};

class TablePermissions : public SharedFolder, public testing::WithParamInterface<PermissionCase> {};

TEST_P(TablePermissions, AreKeptOrRefuseTheRun)
{
    const PermissionCase& c = GetParam();
    give("Disol_ideal.dat", "earlier table", c.mode, true);
    const ProcessResult r = run_as_nobody();
    EXPECT_EQ(mode_of("Disol_ideal.dat"), c.mode);
    if (c.replaced) {
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(table(), expected_table(standard));
        EXPECT_TRUE(plotter_ran());
    } else {
        EXPECT_EQ(r.status, 1);
        expect_not_saved(r.err, "Disol_ideal.dat", "Permission denied");
        EXPECT_EQ(table(), "earlier table");
        EXPECT_FALSE(plotter_ran());
        EXPECT_EQ(entries_without_the_tool(), std::vector<std::string>{"Disol_ideal.dat"});
    }
}

INSTANTIATE_TEST_SUITE_P(Tool, TablePermissions,
                         testing::Values(PermissionCase{{"ReadOnlyIsRefused"}, 0444, false},
                                         PermissionCase{{"OwnerAndGroupKept"}, 0640, true},
                                         PermissionCase{{"PrivateKept"}, 0600, true}),
                         named::ByName());

TEST_F(Tool, ScriptAlreadyInPlaceIsLeftAsItIs)
{
    // The script never changes: one that is already exactly it stays, even
    // read-only, while the table is replaced.
    write_file(scratch_ / "Disol_ideal.gnp", native(script));
    ASSERT_EQ(::chmod((scratch_ / "Disol_ideal.gnp").c_str(), 0444), 0);
    struct stat before {};
    ASSERT_EQ(::stat((scratch_ / "Disol_ideal.gnp").c_str(), &before), 0);
    const ProcessResult r = run(standard_input);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    struct stat after {};
    ASSERT_EQ(::stat((scratch_ / "Disol_ideal.gnp").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the script was replaced";
    EXPECT_EQ(read_file(scratch_ / "plotter_saw.gnp"), native(script));
    EXPECT_EQ(table(), expected_table(standard));
}

TEST_F(Tool, SystemReasonComesInTheUsersLanguage)
{
    if (on_windows() || !locale_installed("es_ES.UTF-8")) {
        GTEST_SKIP() << "needs Linux and the es_ES.UTF-8 locale";
    }
    ASSERT_EQ(::mkdir((scratch_ / "Disol_ideal.dat").c_str(), 0755), 0);
    const ProcessResult r = run(standard_input, {{"LC_ALL", "es_ES.UTF-8"}});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "\nNo se pudo guardar el archivo Disol_ideal.dat: Es un directorio\n");
}

TEST_F(Tool, ReadOnlyTableIsRefusedOnWindows)
{
    if (!on_windows()) {
        GTEST_SKIP() << "root writes every file; see TablePermissions, run as nobody";
    }
    write_file(scratch_ / "Disol_ideal.dat", "earlier table");
    ASSERT_EQ(::chmod((scratch_ / "Disol_ideal.dat").c_str(), 0444), 0);  // read-only to Wine
    const ProcessResult r = run(standard_input);
    EXPECT_EQ(r.status, 1);
    expect_not_saved(r.err, "Disol_ideal.dat", "Permission denied");
    EXPECT_EQ(table(), "earlier table");
    EXPECT_FALSE(plotter_ran());
    EXPECT_EQ(entries(), std::vector<std::string>{"Disol_ideal.dat"});
}

// What stands under the two names before a run that fails as it commits.
struct FailedCommitCase : named::Case {
    const char* file;    // the one that cannot be put in place
    const char* reason;  // Linux's words for it
    std::function<void(const ScratchDir&)> arrange;
};

class FailedCommit : public Tool, public testing::WithParamInterface<FailedCommitCase> {};

TEST_P(FailedCommit, ChangesNoFileAndStartsNoPlotter)
{
    const FailedCommitCase& c = GetParam();
    c.arrange(scratch_);
    const auto state = [this] {
        std::string all;
        for (const std::string& name : entries()) {
            all += name + ":" +
                   (std::filesystem::is_directory(scratch_ / name)
                        ? "folder of " + std::to_string(folder_entries(scratch_ / name).size())
                        : read_file(scratch_ / name)) +
                   "\n";
        }
        return all;
    };
    const std::string before = state();
    const ProcessResult r = run(standard_input);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, native(dialogue));
    expect_not_saved(r.err, c.file, c.reason);
    EXPECT_FALSE(plotter_ran());
    EXPECT_EQ(state(), before) << "an earlier file was changed or a temporary one left";
}

INSTANTIATE_TEST_SUITE_P(
    Tool, FailedCommit,
    testing::Values(FailedCommitCase{{"ScriptIsAFolder"},
                                     "Disol_ideal.gnp",
                                     "Is a directory",
                                     [](const ScratchDir& dir) {
                                         write_file(dir / "Disol_ideal.dat", "earlier table");
                                         ::mkdir((dir / "Disol_ideal.gnp").c_str(), 0755);
                                         write_file(dir / "Disol_ideal.gnp/notes.txt", "kept");
                                     }},
                    FailedCommitCase{{"ScriptIsAFolderAndNoTableYet"},
                                     "Disol_ideal.gnp",
                                     "Is a directory",
                                     [](const ScratchDir& dir) {
                                         ::mkdir((dir / "Disol_ideal.gnp").c_str(), 0755);
                                     }},
                    FailedCommitCase{{"TableIsAFolder"},
                                     "Disol_ideal.dat",
                                     "Is a directory",
                                     [](const ScratchDir& dir) {
                                         ::mkdir((dir / "Disol_ideal.dat").c_str(), 0755);
                                         write_file(dir / "Disol_ideal.gnp", "earlier script");
                                     }}),
    named::ByName());

TEST_F(Tool, SymbolicLinksAreReplacedAndTheirTargetsLeftAlone)
{
    write_file(scratch_ / "mine.dat", "a table of mine");
    write_file(scratch_ / "mine.gnp", "a script of mine");
    ASSERT_EQ(::symlink("mine.dat", (scratch_ / "Disol_ideal.dat").c_str()), 0);
    ASSERT_EQ(::symlink("mine.gnp", (scratch_ / "Disol_ideal.gnp").c_str()), 0);
    const ProcessResult r = run(standard_input);
    EXPECT_EQ(r.status, 0);
    EXPECT_FALSE(std::filesystem::is_symlink(scratch_ / "Disol_ideal.dat"));
    EXPECT_FALSE(std::filesystem::is_symlink(scratch_ / "Disol_ideal.gnp"));
    EXPECT_EQ(table(), expected_table(standard));
    EXPECT_EQ(read_file(scratch_ / "Disol_ideal.gnp"), native(script));
    EXPECT_EQ(read_file(scratch_ / "mine.dat"), "a table of mine");
    EXPECT_EQ(read_file(scratch_ / "mine.gnp"), "a script of mine");
}

TEST_F(Tool, StaleTemporaryFilesDoNotStopTheRun)
{
    if (on_windows()) {
        GTEST_SKIP() << "the test cannot know the Windows process number";
    }
    // Left by an earlier run that was killed and had this run's process number.
    Process p(setup());
    const std::string stale = "." + std::to_string(p.pid()) + ".tmp";
    write_file(scratch_ / ("Disol_ideal.dat" + stale), "stale table");
    write_file(scratch_ / ("Disol_ideal.gnp" + stale), "stale script");
    p.write(standard_input);
    p.close_input();
    const ProcessResult r = p.wait(60);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(table(), expected_table(standard));
    EXPECT_EQ(read_file(scratch_ / ("Disol_ideal.dat" + stale)), "stale table");
    EXPECT_EQ(read_file(scratch_ / ("Disol_ideal.gnp" + stale)), "stale script");
    EXPECT_EQ(entries().size(), 2u + 2u + 4u) << "the two files, the stale ones, the plotter's";
}

TEST_F(Tool, InputAfterTheLastNumberAndItsLineBreakGoesToThePlotter)
{
    const ProcessResult r = run("350 380\n3500 4000\nquit\n", {{"FAKE_PLOTTER_INPUT", "1"}});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(read_file(scratch_ / "plotter_input.txt"), "quit\n");
}

// A console window on a Spanish Windows reads bytes by code page 850, where
// the Windows-1252 bytes of the banner are other letters ("l\xDDneas"). Wine's
// console in a pseudo-terminal, after `chcp 850`, is such a window; the
// terminal behind it shows its letters in UTF-8.
TEST_F(Tool, ConsoleWindowShowsTheLettersWhateverItsCodePage)
{
    if (!on_windows()) {
        GTEST_SKIP() << "a terminal takes bytes of its own character set (see Encoding)";
    }
    std::filesystem::copy_file(DISOL_WINDOWS_EXE, scratch_ / "disol_ideal.exe");
    ProcessSetup s = setup({{"LC_ALL", "C.UTF-8"}});
    // Its input from NUL, so that it prints the banner, then the error, and ends.
    s.argv = {"script", "-qec",
              std::string(DISOL_WINE) + " cmd /c 'chcp 850 >nul & disol_ideal.exe <nul'",
              "/dev/null"};
    const ProcessResult r = run(s, "");
    ASSERT_TRUE(r.ended);
    const std::string screen =
        std::regex_replace(r.out, std::regex("\x1b\\[[?0-9;]*[A-Za-z]|\r"), "");
    for (const char* word : {"l\xC3\xADneas de separacion", "disoluci\xC3\xB3n ideal",
                             "a\xC3\xB1"
                             "adir a la variable",
                             "ebullici\xC3\xB3n T1", "dos n\xC3\xBAmeros"}) {
        EXPECT_NE(screen.find(word), std::string::npos) << word << " is not on\n" << screen;
    }
    EXPECT_EQ(screen.find("\xC3\x9D"), std::string::npos) << "code page 850 shows here:\n"
                                                          << screen;
}

// The Windows program's tables are the Linux program's, line ends apart,
// for inputs whose figures are not rounding noise (see StallingSweep).
TEST(CrossPlatform, WindowsTablesEqualLinuxTables)
{
    std::vector<std::string> inputs = {"350 380 3500 4000",   "300 400 3000 3000",
                                       "350 352 3500 4000",   "380 350 3500 4000",
                                       "350 380 0 0",         "0 100 3500 4000",
                                       "77.36 90.19 672 820", "1e-300 1e300 1e300 -1e300"};
    std::mt19937_64 random(2026);
    std::uniform_real_distribution<double> temperature(20, 1500);
    std::uniform_real_distribution<double> range(0.5, 400);
    std::uniform_real_distribution<double> heat(50, 50000);
    for (int i = 0; i < 30; ++i) {
        const double t1 = temperature(random);
        char text[200];
        std::snprintf(text, sizeof text, "%.17g %.17g %.17g %.17g", t1, t1 + range(random),
                      heat(random), heat(random));
        inputs.push_back(text);
    }
    for (const std::string& input : inputs) {
        std::string tables[2];
        for (const bool windows : {false, true}) {
            ScratchDir folder;
            ProcessSetup s = program_setup(windows, folder.path());
            s.env["PATH"] = "/usr/bin:/bin";  // no plotter: only the table matters here
            run_process(s, input + "\n");
            tables[windows] = read_file(folder / "Disol_ideal.dat");
        }
        ASSERT_GT(tables[0].size(), 100u) << input;
        EXPECT_EQ(tables[1], with_crlf(tables[0])) << "for input " << input;
    }
}

}  // namespace
