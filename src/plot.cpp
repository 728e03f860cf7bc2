#include "plot.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "console.h"
#include "output_file.h"
#include "platform.h"

namespace {

constexpr const char* script_name = "Disol_ideal.gnp";

// The liquid line (column 2) and the vapour line (column 3) against the
// temperature (column 1) of the table.
constexpr std::string_view script =
    "plot 'Disol_ideal.dat' using 2:1 with lines"
    "\nreplot 'Disol_ideal.dat' using 3:1 with lines";

// The trailing "-" keeps gnuplot reading commands after the script, so the
// drawing stays until the user ends it.
constexpr const char* command = "wgnuplot Disol_ideal.gnp -";

constexpr std::string_view no_interpreter =
    "\nNo se pudo ejecutar el intérprete de órdenes para abrir wgnuplot.\n";

}  // namespace

bool write_plot_script(std::string& error)
{
    OutputFile archivo2;
    if (archivo2.open(script_name)) {
        archivo2.write(script);
        if (archivo2.commit()) {
            return true;
        }
    }
    error = archivo2.error();
    return false;
}

int launch_plotter()
{
    // What we printed must be on screen before the plotter prints anything.
    std::fflush(stdout);
    // Asked first: some C libraries report an interpreter that could not be
    // started as if the command had not been found.
    if (std::system(nullptr) == 0) {
        console_error(no_interpreter);
        return 1;
    }
    const int result = std::system(command);
    if (result == -1) {
        console_error(no_interpreter);
    }
    return exit_status_of_command(result);
}
