#pragma once

#include <string>
#include <vector>

#include "shoalsim/trace.h"

// Draws the population counts and each species' mean genome weights over
// time with gnuplot, as PNG or SVG by the file's extension.
bool DrawChart(const std::string& path, const std::vector<SpeciesStats>& rows, std::string& error);
