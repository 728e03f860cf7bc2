#pragma once

#include <string>

#include "diagram.h"
#include "output_file.h"

// Writes the table "Disol_ideal.dat": five header lines, then one line per
// row. Every line after the first starts with its line break and the file
// ends without one. `close` completes it under a temporary name; it
// replaces an earlier table only through `commit_files`.
class DataFileWriter {
public:
    // Starts the table with the header for `input`.
    bool open(const DiagramInput& input);
    // Appends "T xl xg"; a failure here is reported by `close`.
    void write_row(const DiagramRow& row);
    bool close();

    // After `open` or `close` failed: what to tell the user.
    const std::string& error() const { return archivo.error(); }
    // The closed table, for `commit_files`.
    OutputFile& file() { return archivo; }

private:
    OutputFile archivo;
};
