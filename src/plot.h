#pragma once

#include <string>

// Writes the script "Disol_ideal.gnp" that draws both lines of the table.
// On failure returns false and puts what to tell the user in `error`; the
// earlier script, if any, is left as it was.
bool write_plot_script(std::string& error);

// Runs "wgnuplot Disol_ideal.gnp -" through the system's command
// interpreter, waits until the user ends the plotter and returns the status
// this process should end with: the plotter's.
int launch_plotter();
