#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fixedScene.h"

class WebGLEngine;

// A scene full of the places where the WebGL back end must stop gathering
// draws: one fish drawn with skins and tints changing (a third texture on
// a stage), another mesh in the same state, a depth clear, a blend change,
// lighting, a stencil test, a mesh whose vertices change and a texture
// whose pixels change between two draws. Drawn once with every draw issued
// on its own and once gathered; the two pictures must be identical.
// Returns the gathered picture (RGBA, bottom row first) in `rgba`, or what
// differed.
std::string CheckBatching(WebGLEngine& engine, const SceneObjects& scene,
                          std::vector<uint8_t>* rgba);
