#pragma once

#include <cstdint>

// Enumerations and the mesh description shared by the renderer interface and
// both back ends. Values are fixed: back ends map them to their own constants,
// and out-of-range values reach them unchanged (unscoped, 32-bit).

enum PrimitiveType : int32_t {
  PRIM_POINTLIST = 0,
  PRIM_LINELIST = 1,
  PRIM_LINESTRIP = 2,
  PRIM_TRIANGLESTRIP = 3,
  PRIM_TRIANGLEFAN = 4,
  PRIM_TRIANGLELIST = 5,
  PRIM_POINTSPRITE = 6,
};

// CULL_FRONT culls the first winding (clockwise in Direct3D terms, front
// faces in OpenGL terms), CULL_BACK the other one.
enum CullMode : int32_t {
  CULL_NONE = 0,
  CULL_FRONT = 1,
  CULL_BACK = 2,
};

enum StencilOp : int32_t {
  STENCIL_KEEP = 0,
  STENCIL_ZERO = 1,
  STENCIL_REPLACE = 2,
  STENCIL_INCR = 3,  // saturating
  STENCIL_DECR = 4,  // saturating
  STENCIL_INVERT = 5,
};

enum CompareFunc : int32_t {
  CMP_NEVER = 0,
  CMP_ALWAYS = 1,
  CMP_EQUAL = 2,
  CMP_NOTEQUAL = 3,
  CMP_LESS = 4,
  CMP_GREATER = 5,
  CMP_LEQUAL = 6,
  CMP_GEQUAL = 7,
};

// Colour operation of a texture stage.
enum TextureOp : int32_t {
  TOP_DISABLE = 0,
  TOP_MODULATE = 1,
  TOP_ADD = 2,
  TOP_ADDSIGNED = 3,
  TOP_SELECTTEXTURE = 4,
};

// Texture-coordinate addressing.
enum AddressMode : int32_t {
  ADDRESS_WRAP = 0,
  ADDRESS_CLAMP = 1,
  ADDRESS_MIRROR = 2,
};

constexpr int kTextureStages = 8;

// Layout of a mesh, passed by value to Mesh::Init.
struct MeshDesc {
  int32_t primitive;  // PrimitiveType
  bool hasNormals;
  bool hasDiffuse;
  bool hasSpecular;
  bool texChannels[kTextureStages];
  int32_t vertexCount;
  int32_t indexCount;  // 0: no index storage
};
