#pragma once

#include <functional>

#include "diagram.h"

// Samples T1..T2 in 1000 intervals and hands each row to `consumer` as soon
// as it is computed; nothing is kept. Returns after the last row.
void sweep_diagram(const DiagramInput& input,
                   const std::function<void(const DiagramRow&)>& consumer);
