// Stands in for the plotter in the tests: records its arguments and working
// folder, copies the table and the script as it finds them when it starts,
// and then ends as the test asks through FAKE_PLOTTER_EXIT (a status) or
// FAKE_PLOTTER_SIGNAL (a signal it raises on itself). With FAKE_PLOTTER_INPUT
// set it first copies its standard input, to its end, to plotter_input.txt.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

int number_from(const char* name)
{
    const char* text = std::getenv(name);
    return text == nullptr ? 0 : std::atoi(text);
}

void copy_if_there(const char* from, const char* to)
{
    std::error_code ignored;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ignored);
}

}  // namespace

int main(int argc, char** argv)
{
    {
        // Closed here: a signal raised below would lose what is buffered.
        std::ofstream args("plotter_args.txt", std::ios::binary);
        for (int i = 1; i < argc; ++i) {
            args << argv[i] << '\n';
        }
    }
    std::ofstream("plotter_cwd.txt", std::ios::binary) << fs::current_path().string();
    copy_if_there("Disol_ideal.dat", "plotter_saw.dat");
    copy_if_there("Disol_ideal.gnp", "plotter_saw.gnp");
    if (std::getenv("FAKE_PLOTTER_INPUT") != nullptr) {
        std::ofstream input("plotter_input.txt", std::ios::binary);
        for (int c = std::getchar(); c != EOF; c = std::getchar()) {
            input.put(static_cast<char>(c));
        }
    }

    // Shows where the plotter's own output lands among the tool's.
    std::fputs("[plotter]", stdout);
    std::fflush(stdout);

    if (const int signal = number_from("FAKE_PLOTTER_SIGNAL")) {
        std::raise(signal);
    }
    return number_from("FAKE_PLOTTER_EXIT");
}
