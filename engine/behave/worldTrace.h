#pragma once

#include <string>

// One JSON line with every entity of the world, lists in list order: food
// positions, then per species each fish's position, energy, size, infant,
// dead and ready flags and genome. Floats are written with nine significant
// digits, so two lines are equal exactly when the worlds agree to the bit in
// what they show.
std::string TraceLine(long long frame, float simTime);

// Appends `value` as the trace writes numbers ("%.9g").
void AppendTraceNumber(std::string& out, double value);
