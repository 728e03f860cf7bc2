#include "plot.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
    const int result = std::system(command);
    if (result == -1) {
        console_error(
            std::string("\nNo se pudo ejecutar el intérprete de órdenes para abrir wgnuplot: ") +
            std::strerror(errno) + "\n");
    }
    return exit_status_of_command(result);
}
