#pragma once

#include <vector>

#include "core/vec3.h"
#include "md2/Md2.h"

// An MD2 model's key frames expanded once into flat per-corner position and
// normal arrays (three corners per triangle, in triangle order), grouped by
// animation, so that drawing a moment only blends two arrays.
class Md2Animations {
 public:
  // Expands every animation of `data`; the data must come from a successful
  // load, which guarantees each animation at least one frame that exists.
  void Build(const Md2ModelData& data);

  int AnimationCount() const { return static_cast<int>(frames.size()); }
  int FrameCount(int animation) const;
  int CornerCount() const { return corners; }

  // The corners of frame (frame mod frames) of animation (animation mod
  // animations); negative numbers wrap the same way. Null without animations.
  const Vec3* Frame(int animation, int frame) const;
  // The same frame's corner normals.
  const Vec3* FrameNormals(int animation, int frame) const;

  // Fills `out` (CornerCount entries) with animation (animation mod
  // animations) at `time`: one time unit plays the frames once, each blended
  // linearly towards the next, the last towards the first. Returns the time
  // within the cycle, in [0, 1). False, with `out` untouched, without
  // animations. A non-null `normalsOut` gets the normals blended alike
  // (no longer unit length between two key frames).
  bool Blend(int animation, float time, Vec3* out, float* cycleTime,
             Vec3* normalsOut = nullptr) const;

 private:
  using Keys = std::vector<std::vector<Vec3>>;
  // frames[animation][frame] holds `corners` positions, normals[animation]
  // [frame] their normals.
  std::vector<Keys> frames;
  std::vector<Keys> normals;
  int corners = 0;
};

// The first frame's triangle corners: positions, and the texture coordinates
// as the reader holds them (t already turned into 1 - t). `texCoords` is
// empty when the file has none. False without frames.
bool Md2FirstFrameCorners(const Md2ModelData& data, std::vector<Vec3>& positions,
                          std::vector<TexCoord>& texCoords);

// Writes 3 x frame.faceCount unit normals in the corner order of the first
// frame object's faces: at each vertex the mean of the faces around it,
// weighted by their area, so the model shades smoothly. The files wind their
// triangles clockwise seen from outside; a vertex of no area keeps a zero
// normal.
void Md2ExpandFrameNormals(Vec3* out, const Md2FrameObject& frame, const Md2FrameObject& first);
