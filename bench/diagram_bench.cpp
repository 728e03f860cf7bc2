// How long one standard diagram takes: computed, formatted and written to
// its file in $TMPDIR with the plot script, as a run does it; and, to see
// where the time goes, the sweep alone and the formatting of its rows alone.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "data_file.h"
#include "fixed_point.h"
#include "plot.h"
#include "sweep.h"

namespace {

const DiagramInput standard{350, 380, 3500, 4000};

void WholeTable(benchmark::State& state)
{
    std::string folder = (std::filesystem::temp_directory_path() / "disol-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr || ::chdir(folder.c_str()) != 0) {
        state.SkipWithError("no scratch folder");
        return;
    }
    for (auto _ : state) {
        DataFileWriter writer;
        writer.open(standard);
        sweep_diagram(standard, [&writer](const DiagramRow& row) { writer.write_row(row); });
        OutputFile script;
        std::string error;
        if (!writer.close() || !write_plot_script(script) ||
            !commit_files({&writer.file(), &script}, error)) {
            state.SkipWithError("the files could not be written");
            break;
        }
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(WholeTable)->Unit(benchmark::kMicrosecond);

void SweepOnly(benchmark::State& state)
{
    for (auto _ : state) {
        double sum = 0;
        sweep_diagram(standard, [&sum](const DiagramRow& row) { sum += row.xl + row.xg; });
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(SweepOnly)->Unit(benchmark::kMicrosecond);

void FormatOnly(benchmark::State& state)
{
    std::vector<DiagramRow> rows;
    sweep_diagram(standard, [&rows](const DiagramRow& row) { rows.push_back(row); });
    std::vector<char> text(rows.size() * 3 * max_fixed_length(6));
    for (auto _ : state) {
        char* out = text.data();
        for (const DiagramRow& row : rows) {
            out = write_fixed(out, row.T, 2);
            out = write_fixed(out, row.xl, 6);
            out = write_fixed(out, row.xg, 6);
        }
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(FormatOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
