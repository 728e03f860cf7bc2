#include "plot.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "console.h"
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

bool write_plot_script(OutputFile& archivo2)
{
    // Every run writes the same script, and replacing a file costs the file
    // system more than all the rest of this stage: one in place stays.
    if (text_file_holds(script_name, script)) {
        return true;
    }
    if (!archivo2.open(script_name)) {
        return false;
    }
    archivo2.write(script);
    return archivo2.close();
}

int launch_plotter()
{
    // What we printed must be on screen before the plotter prints anything.
    std::fflush(stdout);
    const int result = std::system(command);
    const int status = exit_status_of_command(result);
    // Some C libraries report an interpreter that could not be started as
    // a command not found (127); only then is it worth asking, which costs
    // a whole shell of its own.
    if (result == -1 || (status == 127 && std::system(nullptr) == 0)) {
        console_error(no_interpreter);
        return 1;
    }
    return status;
}
