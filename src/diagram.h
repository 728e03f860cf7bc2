#pragma once

// The four figures typed at the prompts, in kelvin, kept exactly as read.
// Component 1 is the one named first (the lower-boiling one, if the user
// follows the prompt); L1 and L2 are latent heats divided by R.
struct DiagramInput {
    double T1;
    double T2;
    double L1;
    double L2;
};

// One sampled temperature with the mole fractions of component 1 in the
// liquid (xl) and in the vapour (xg) that are in equilibrium there.
struct DiagramRow {
    double T;
    double xl;
    double xg;
};
