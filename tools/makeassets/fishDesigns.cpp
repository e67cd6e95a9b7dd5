// The three species, in design units (about one unit nose to tail tip).
// Directions: x toward the tail, y out of the left flank, z up.
#include "makeassets/fishShape.h"

namespace {
constexpr float kTop = 1.5707963f, kBottom = -1.5707963f;
}

// Species 1: a small slender tetra with a forked tail, drawn unscaled as an
// adult and 0.3 tank units long.
FishDesign NeonTetraDesign() {
  FishDesign d;
  d.tankLength = 0.3f;
  d.drawnScale = 1.0f;
  d.sections = 8;
  d.body = {0.80f, 0.36f, 0.105f, 0.06f, 0.55f, 0.32f, 0.35f, 0.1f};
  d.tail = {-0.55f, 0.55f, {{{0, 0.22f}, {0.5f, 0.09f}, {1, 0.22f}}}};
  d.fins = {
      {"Dorsal", 0.44f, 0.56f, kTop, Vec3(0.45f, 0, 1), {{{0, 1}, {1, 0.2f}}}, 0.11f, false},
      {"Anal", 0.58f, 0.84f, kBottom, Vec3(0.35f, 0, -1), {{{0, 0.9f}, {0.3f, 0.75f}, {1, 0.25f}}},
       0.075f, false},
      {"Adipose", 0.86f, 0.91f, kTop, Vec3(0.6f, 0, 1), {{{0, 0.4f}, {0.6f, 1}, {1, 0.3f}}}, 0.03f,
       false},
      {"Pectoral", 0.20f, 0.25f, -0.6f, Vec3(1, 0.7f, -0.3f), {{{0, 1}, {1, 0.7f}}}, 0.09f, true},
  };
  return d;
}

// Species 2: a tall flat angelfish with sweeping dorsal and anal fins and
// long ventral filaments, 0.5 tank units long at its drawn scale of 1.2.
FishDesign AngelfishDesign() {
  FishDesign d;
  d.tankLength = 0.5f;
  d.drawnScale = 1.2f;
  d.sections = 10;
  d.body = {0.50f, 0.42f, 0.21f, 0.045f, 0.8f, 0.2f, 0.3f, 0.0f};
  d.tail = {-0.75f,
            0.75f,
            {{{0, 0.34f}, {0.12f, 0.2f}, {0.5f, 0.19f}, {0.88f, 0.2f}, {1, 0.34f}}}};
  d.fins = {
      {"Dorsal", 0.35f, 0.92f, kTop, Vec3(0.9f, 0, 1),
       {{{0, 0.55f}, {0.35f, 1}, {0.75f, 0.8f}, {1, 0.25f}}}, 0.35f, false},
      {"Anal", 0.40f, 0.92f, kBottom, Vec3(0.9f, 0, -1),
       {{{0, 0.55f}, {0.35f, 1}, {0.75f, 0.8f}, {1, 0.25f}}}, 0.32f, false},
      {"Ventral", 0.30f, 0.34f, -1.3f, Vec3(0.55f, 0.15f, -1), {{{0, 1}, {1, 0.92f}}}, 0.4f, true},
  };
  return d;
}

// Species 3: a shark with a tall dorsal fin, wide pectoral fins and a tail
// whose upper lobe is the longer, 1.2 tank units long at its drawn scale
// of 5.5.
FishDesign SharkDesign() {
  FishDesign d;
  d.tankLength = 1.2f;
  d.drawnScale = 5.5f;
  d.sections = 12;
  d.body = {0.74f, 0.32f, 0.085f, 0.075f, 0.75f, 0.25f, 0.2f, 0.25f};
  d.tail = {-0.6f, 0.55f, {{{0, 0.13f}, {0.35f, 0.05f}, {0.55f, 0.08f}, {1, 0.3f}}}};
  d.fins = {
      {"Dorsal", 0.32f, 0.46f, kTop, Vec3(0.55f, 0, 1), {{{0, 1}, {0.45f, 0.55f}, {1, 0.1f}}}, 0.15f,
       false},
      {"Dorsal2", 0.78f, 0.83f, kTop, Vec3(0.5f, 0, 1), {{{0, 1}, {1, 0.3f}}}, 0.04f, false},
      {"Anal", 0.80f, 0.85f, kBottom, Vec3(0.5f, 0, -1), {{{0, 1}, {1, 0.3f}}}, 0.035f, false},
      {"Pectoral", 0.24f, 0.33f, -0.75f, Vec3(0.55f, 1, -0.45f),
       {{{0, 1}, {0.5f, 0.75f}, {1, 0.2f}}}, 0.2f, true},
  };
  return d;
}
