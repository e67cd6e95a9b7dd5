#pragma once

#include <cstdint>

// Deterministic pattern functions for painting textures. Every pattern takes
// (u, v) in 0..1 and tiles: its value at u = 1 matches u = 0, and likewise
// for v, so textures drawn with wrapping show no seams.

float SmoothStep(float edge0, float edge1, float x);

// Smooth noise in 0..1 on a grid of cells x cells lattice points.
float ValueNoise(float u, float v, int cells, uint32_t seed);

// Noise summed over octaves, from cells lattice points upwards; 0..1.
float Turbulence(float u, float v, int cells, int octaves, uint32_t seed);

// Distance from the nearest boundary between the cells of a jittered grid
// (cells x cells points), in units of one cell: 0 on a boundary, growing
// toward cell centres. Thin bright lines along small values give the web of
// light that a wavy water surface throws onto a floor.
float CellBoundary(float u, float v, int cells, uint32_t seed);
