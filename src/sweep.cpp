#include "sweep.h"

#include <cmath>

// Each vapour pressure follows ln(p*/p) = (L/R)(T - Tb)/T^2 (Clausius-
// Clapeyron); Raoult's law xl*A + (1 - xl)*B = 1 gives the liquid, and the
// vapour holds component 1 in proportion to its partial pressure, xg = xl*A.
void sweep_diagram(const DiagramInput& input,
                   const std::function<void(const DiagramRow&)>& consumer)
{
    const double T1 = input.T1;
    const double T2 = input.T2;
    const double L1 = input.L1;
    const double L2 = input.L2;

    const double dT = (T2 - T1) / 1000;
    double T = T1;
    // The bound has a whole step of slack, so the accumulated rounding of T
    // decides whether a row just past T2 appears; NaN ends the loop.
    while (T < T2 + dT) {
        const double A = std::exp(((T - T1) * L1 / T) / T);
        const double B = std::exp(((T - T2) * L2 / T) / T);
        const double xl = (1 - B) / (A - B);
        const double xg = A * xl;
        consumer(DiagramRow{T, xl, xg});

        // Repeated addition, never T1 + k*dT: the table keeps the rounding
        // that this accumulation carries.
        const double next = T + dT;
        if (next == T) {
            break;  // the step is below the spacing of doubles at T: stalled
        }
        T = next;
    }
}
