#pragma once

#include <string>
#include <vector>

#include "common/outputFile.h"
#include "shoalsim/trace.h"

// Draws the population counts and each species' mean genome weights over
// time with gnuplot, as SVG or else PNG, into `out`.
bool DrawChart(const std::vector<SpeciesStats>& rows, bool svg, OutputFile& out, std::string& error);
