#include "data_file.h"

#include <string_view>

#include "fixed_point.h"

namespace {

constexpr const char* file_name = "Disol_ideal.dat";

std::string fixed(double value, int decimals)
{
    char text[max_fixed_length(6)];
    return std::string(text, write_fixed(text, value, decimals));
}

}  // namespace

bool DataFileWriter::open(const DiagramInput& input)
{
    if (!archivo.open(file_name)) {
        return false;
    }
    // The figure after "L1 = " is the one typed at the second prompt: the
    // latent heat already divided by R, hence kelvin.
    archivo.write("#Diagrama T/x de una disolucion ideal");
    archivo.write("\n#T1 = " + fixed(input.T1, 2) + " K, L1 = " + fixed(input.L1, 6) + " K (L1/R)");
    archivo.write("\n#T2 = " + fixed(input.T2, 2) + " K, L2 = " + fixed(input.L2, 6) + " K (L2/R)");
    archivo.write("\n#    T     xl      xg   ");
    archivo.write("\n#=======================");
    return true;
}

void DataFileWriter::write_row(const DiagramRow& row)
{
    char line[1 + max_fixed_length(2) + 1 + max_fixed_length(6) + 1 + max_fixed_length(6)];
    char* end = line;
    *end++ = '\n';
    end = write_fixed(end, row.T, 2);
    *end++ = ' ';
    end = write_fixed(end, row.xl, 6);
    *end++ = ' ';
    end = write_fixed(end, row.xg, 6);
    archivo.write(std::string_view(line, static_cast<std::size_t>(end - line)));
}

bool DataFileWriter::close()
{
    return archivo.close();
}
