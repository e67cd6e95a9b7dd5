#pragma once

#include "core/engineObject.h"

// A drawable model of a renderer back end: one or more meshes that move,
// scale and draw together. It owns its meshes and what it loads.
class BaseModel : public EngineObject {
 public:
  ~BaseModel() override = default;

  // A grid of columns x rows vertices (at least 2 of each); heights may be null.
  virtual void CreatePlane(int columns, int rows, float width, float depth, int channels,
                           const float* heights) = 0;
  virtual void Load3DS(const char* path) = 0;
  virtual void LoadMD2(const char* path) = 0;
  virtual void LoadBSP(const char* path) = 0;
  virtual void LoadMS3D(const char* path) = 0;
  virtual void Render() = 0;
  // Mesh 0 at frame (frame mod frames) of animation (animation mod animations).
  virtual void RenderFrame(int animation, int frame) = 0;
  virtual void Animate(int animation, float time) = 0;
  // Translation and three rotation angles in radians, applied to every mesh.
  virtual void SetTransform(float x, float y, float z, float a, float b, float c) = 0;
  virtual void SetScale(float sx, float sy, float sz) = 0;
};
