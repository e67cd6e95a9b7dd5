#pragma once

#include <windows.h>
#include <d3d8.h>

#include "core/engineObject.h"

// A vertex shader on the device of the current Direct3D engine, for meshes
// drawn by a program of their own rather than by their vertex format. A mesh
// with one attached loads constants 0 to 3 with the transposed
// world-view-projection matrix and 4 to 7 with the inverse world matrix,
// then lets the shader set itself.
class VertexShader : public EngineObject {
 public:
  VertexShader();
  ~VertexShader() override;

  // `declaration`: the stream layout tokens; `function`: the compiled shader
  // tokens. Status E_OK on success.
  void Init(const DWORD* declaration, const DWORD* function);
  // Makes this the device's vertex shader.
  void Apply();

 private:
  IDirect3DDevice8* device;
  DWORD handle;  // 0 until Init succeeds
};
