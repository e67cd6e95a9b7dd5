#include "makeassets/noise.h"

#include <algorithm>
#include <cmath>

namespace {
// Integer hash of a lattice point to 0..1.
float Hash(int x, int y, uint32_t seed) {
  uint32_t h = seed * 0x9E3779B9u ^ static_cast<uint32_t>(x) * 0x85EBCA6Bu ^
               static_cast<uint32_t>(y) * 0xC2B2AE35u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0xFFFFFF);
}

int Wrap(int i, int n) { return ((i % n) + n) % n; }
}  // namespace

float SmoothStep(float edge0, float edge1, float x) {
  const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
  return t * t * (3.0f - 2.0f * t);
}

float ValueNoise(float u, float v, int cells, uint32_t seed) {
  const float x = u * cells, y = v * cells;
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  const float fx = SmoothStep(0, 1, x - x0), fy = SmoothStep(0, 1, y - y0);
  auto at = [&](int i, int j) { return Hash(Wrap(i, cells), Wrap(j, cells), seed); };
  const float bottom = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * fx;
  const float top = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * fx;
  return bottom + (top - bottom) * fy;
}

float Turbulence(float u, float v, int cells, int octaves, uint32_t seed) {
  float sum = 0, weight = 0, amplitude = 1;
  for (int o = 0; o < octaves; ++o) {
    sum += amplitude * ValueNoise(u, v, cells << o, seed + o);
    weight += amplitude;
    amplitude *= 0.5f;
  }
  return sum / weight;
}

float CellBoundary(float u, float v, int cells, uint32_t seed) {
  const float x = u * cells, y = v * cells;
  const int cx = static_cast<int>(std::floor(x)), cy = static_cast<int>(std::floor(y));
  float nearest = 1e9f, second = 1e9f;
  for (int j = cy - 2; j <= cy + 2; ++j) {
    for (int i = cx - 2; i <= cx + 2; ++i) {
      const int wi = Wrap(i, cells), wj = Wrap(j, cells);
      const float px = i + 0.15f + 0.7f * Hash(wi, wj, seed);
      const float py = j + 0.15f + 0.7f * Hash(wi, wj, seed + 101);
      const float d = std::hypot(px - x, py - y);
      if (d < nearest) {
        second = nearest;
        nearest = d;
      } else if (d < second) {
        second = d;
      }
    }
  }
  return second - nearest;
}
