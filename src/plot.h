#pragma once

#include "output_file.h"

// Writes the script "Disol_ideal.gnp" that draws both lines of the table
// into `archivo2` and closes it, still under its temporary name, for
// `commit_files`; when the script in place already is exactly that one, it
// leaves `archivo2` unopened and the script as it is. On failure
// `archivo2.error()` says why.
bool write_plot_script(OutputFile& archivo2);

// Runs "wgnuplot Disol_ideal.gnp -" through the system's command
// interpreter, waits until the user ends the plotter and returns the status
// this process should end with: the plotter's.
int launch_plotter();
