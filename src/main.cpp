// The entry point and the console dialogue: the banner, the two prompts and
// the fixed order of the stages of one run.

#include <string>
#include <string_view>

#include "console.h"
#include "data_file.h"
#include "diagram.h"
#include "output_file.h"
#include "plot.h"
#include "sweep.h"

namespace {

// Printed in this order; the last is the first prompt.
constexpr std::string_view banner[] = {
    "\n Este programa calcula y dibuja las líneas de separacion",
    "\n  de fases para una disolución ideal",
    "\n dando ls temperaturas de ebullicion y calores latentes de los",
    "\n dos componentes puros",
    "\nGuarda los resultados en el archivo de texto Disol_ideal.dat",
    "\n Para que dibuje es necesario tener el programa libre wgnuplot.exe",
    "\n en la misma carpeta que este ejecutable",
    "\n o bien añadir a la variable de entorno PATH",
    "\nla carpeta donde se encuentre wgnuplot.exe",
    "\n el archivo Disol_ideal.gnp es para uso del programa wgnuplot.exe",
    "\n\n\nTemperaturas de ebullición T1, T2 (dar T1<T2 en K): ",
};
constexpr std::string_view second_prompt = "\nCalores latentes L1/R, L2/R (K): ";

constexpr std::string_view not_two_numbers =
    "Se esperaban dos números, escritos con punto decimal (por ejemplo 350.5).";

bool read_two_numbers(double& first, double& second)
{
    return console_read_number(first) && console_read_number(second);
}

// Reports on a line of its own, after the prompt the user was answering.
int fail(std::string_view message)
{
    console_error("\n" + std::string(message) + "\n");
    return 1;
}

}  // namespace

int run_tool()
{
    for (const std::string_view text : banner) {
        console_print(text);
    }
    DiagramInput input{};
    if (!read_two_numbers(input.T1, input.T2)) {
        return fail(not_two_numbers);
    }
    console_print(second_prompt);
    // Nothing read after the last number would catch "4000,5" or "0x1F":
    // it must end where the number does.
    if (!read_two_numbers(input.L1, input.L2) || !console_number_ended()) {
        return fail(not_two_numbers);
    }

    DataFileWriter writer;
    if (!writer.open(input)) {
        return fail(writer.error());
    }
    sweep_diagram(input, [&writer](const DiagramRow& row) { writer.write_row(row); });
    if (!writer.close()) {
        return fail(writer.error());
    }

    OutputFile script;
    if (!write_plot_script(script)) {
        return fail(script.error());
    }
    // Only now, both complete, do they replace the earlier pair: a failed
    // run changes no file and starts no plotter.
    std::string error;
    if (!commit_files({&writer.file(), &script}, error)) {
        return fail(error);
    }
    return launch_plotter();
}

int main()
{
    console_begin();
    return run_tool();
}
