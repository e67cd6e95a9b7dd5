#pragma once

#include <memory>

#include "oglengine/oglMesh.h"

// The square (-1..1, -1..1) at z = 0 with a diffuse colour and texture
// coordinates 0..uvScale on channel 0 (and channel 1 when asked): indexed
// (two triangles over four vertices, drawn from the interleaved array) or
// not (a fan drawn in immediate mode).
inline std::unique_ptr<OpenGLMesh> MakeQuad(bool indexed, Colour colour, float uvScale = 1.0f,
                                            bool secondChannel = false) {
  auto mesh = std::make_unique<OpenGLMesh>();
  MeshDesc desc = {};
  desc.primitive = indexed ? PRIM_TRIANGLELIST : PRIM_TRIANGLEFAN;
  desc.hasDiffuse = true;
  desc.texChannels[0] = true;
  desc.texChannels[1] = secondChannel;
  desc.vertexCount = 4;
  desc.indexCount = indexed ? 6 : 0;
  mesh->Init(desc);
  const float xyz[] = {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0};
  const float s = uvScale;
  const float uv[] = {0, 0, s, 0, s, s, 0, s};
  const Colour colours[] = {colour, colour, colour, colour};
  const int indices[] = {0, 1, 2, 0, 2, 3};
  mesh->SetVertices(xyz);
  mesh->SetDiffuse(colours);
  mesh->SetTextureCoords(uv, 0);
  if (secondChannel) mesh->SetTextureCoords(uv, 1);
  if (indexed) mesh->SetIndices(indices);
  mesh->SetTransform(0, 0, 0, 0, 0, 0);
  return mesh;
}
