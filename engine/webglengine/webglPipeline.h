#pragma once

#include <GLES3/gl3.h>

#include <array>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/faceCulling.h"
#include "core/meshDetail.h"
#include "core/renderTypes.h"
#include "webglengine/webglBackdrop.h"

class WebGLMesh;

// The fixed-function state that the OpenGL back end keeps in its context,
// reproduced over WebGL 2 with a shader program for each combination of
// lighting and stage operations: the projection and view matrices,
// lighting, and texture stages 0 and 1 (texture, enabled flag and colour
// operation each). There is one per context, reached through
// Current(); meshes and textures draw and bind through it.
//
// Draws are gathered: draws of one mesh at one level in one state become a
// single instanced draw, each instance carrying its own matrix. A stage 1
// that adds a texture of one colour (the tints), or takes no part, adds a
// colour each instance carries instead, so that tinted and untinted draws
// of a mesh stay in one draw. While the depth test decides what is seen
// (depth test on, no blending, no stencil test), a draw joins any gathered
// draw of its kind, not only the one before it: the order of such draws
// changes only which of two fragments at exactly the same depth is kept.
// A mesh drawn from a stream leaves its last colour and coordinates current
// for the draws after it, so no draw after it joins one before it, and it
// joins only the draw just before it. Otherwise only consecutive draws are
// gathered. Whatever could change what a gathered draw shows (a change to a
// mesh or texture, any other GL call) must Flush first. The first draws
// flushed after a colour clear may be replaced by the picture they drew in
// an earlier frame (see WebGLBackdrop).
//
// Vertex colour and the texture coordinates of both stages are generic
// attributes. A mesh that does not send one leaves the attribute's current
// value in force, as fixed-function OpenGL does with the current colour and
// texture coordinates.
class WebGLPipeline {
 public:
  // kMatrix takes four locations, one per column.
  enum Attribute {
    kPosition = 0,
    kColour = 1,
    kTexCoord0 = 2,
    kTexCoord1 = 3,
    kMatrix = 4,
    kTint = 8
  };
  static constexpr int kStages = 2;
  // The stage operation codes the fragment shader knows beyond TextureOp's
  // own: stage 1 adds the instance's tint.
  static constexpr int kTintAdd = 5;
  static constexpr int kInstanceFloats = 20;

  // Compiles the program and sets the initial state of an OpenGL context
  // after the OpenGL back end's WinInit. False with `error` set on failure.
  bool Init(std::string* error);
  void Release();

  static WebGLPipeline* Current() { return current; }
  static void MakeCurrent(WebGLPipeline* pipeline) { current = pipeline; }

  // Column-major, as glLoadMatrixf takes them.
  void SetProjection(const float matrix[16]);
  void SetView(const float matrix[16]);
  void SetLighting(bool on) { lighting = on; }
  // The context's depth, blend and stencil states as the engine sets them,
  // and the cull mode in force; Flush before one of them changes.
  FaceCulling& Culling() { return culling; }
  // The caller's cull mode.
  void SetCullMode(CullMode mode);
  // glBlendFunc, kept for the backdrop's key.
  void SetBlendFactors(GLenum source, GLenum destination);
  // Told of each colour clear of the canvas and each frame's end.
  WebGLBackdrop& Backdrop() { return backdrop; }
  // Something a kept backdrop may have been drawn from has changed (a
  // mesh, a texture, the current vertex attributes).
  void ContentChanged() { ++generation; }

  // Stage state as glEnable/glDisable(GL_TEXTURE_2D), glBindTexture and
  // glTexEnv set it on a texture unit. A texture takes part once it has an
  // image (MarkComplete) and until it is deleted (Forget).
  void EnableStage(int stage, bool on);
  void BindStage(int stage, GLuint texture);
  void SetStageOp(int stage, TextureOp op);
  void MarkComplete(GLuint texture);
  // A complete texture whose texels all have the colour `rgb`.
  void MarkEven(GLuint texture, const unsigned char rgb[3]);
  void Forget(GLuint texture);

  // Binds `texture` to unit 0, the active unit outside Queue, for an
  // upload or a change of its parameters.
  void BindForUpdate(GLuint texture);

  // Draws `mesh` at `world` (column-major) in the current state, at the
  // chosen detail and culling what the choice may leave out where the state
  // lets it, gathered with the draws before it where it can be.
  void Queue(WebGLMesh* mesh, const DetailChoice& choice, const float world[16]);
  // Issues the gathered draws in the order of their first draw.
  void Flush();
  // Flushes if `mesh` has draws waiting, before it changes.
  void FlushMesh(const WebGLMesh* mesh);
  // Points the matrix and tint attributes of the bound vertex array at the
  // instances.
  void AttachInstances();

 private:
  static WebGLPipeline* current;

  // What a draw needs sent: the units' textures and the program.
  struct DrawState {
    GLuint unitTexture[kStages];
    int stageOp[kStages];
    int lighting;
    CullMode cull;
    // When not 0, `cull` holds for this many of the indices from the first
    // (a closed body), the caller's mode for the rest (open fins).
    size_t culledIndices;
    // Added by stage 1 with kTintAdd; not part of the state a draw sends.
    float tint[3];
  };
  // Draws of one mesh, level and state, kInstanceFloats each: the matrix
  // and the tint (with one unused float).
  struct Batch {
    WebGLMesh* mesh;
    int level;
    DrawState state;
    std::vector<float> instances;
  };
  DrawState Resolve(const DetailChoice& choice) const;
  // The first `count` batches as the backdrop's key: false when they can
  // change more than colour or draw from a stream.
  bool BackdropKey(size_t count, std::vector<uint32_t>* key) const;
  void Issue(size_t count);
  // Puts the state in force; false when its program does not compile.
  bool Send(const DrawState& state);
  Batch& BatchFor(WebGLMesh* mesh, int level, const DrawState& state);
  // The program for lighting (0 or 1) and the two stage operations, in use
  // on return; 0 with `error` set when it does not compile or link.
  GLuint Link(int lighting, int op0, int op1, std::string* error);

  static constexpr int kOps = kTintAdd + 1;
  // A state whose program did not compile.
  static constexpr GLuint kFailed = ~0u;
  // By lighting and the two stages' operations, made at a first draw.
  GLuint programs[2][kOps][kOps] = {};
  GLuint vertexShaders[2] = {};
  GLuint usedProgram = 0;
  // Bound where a stage takes no part, so that no sampler reads a unit
  // without a texture.
  GLuint white = 0;
  float projection[16] = {};
  float view[16] = {};
  bool lighting = false;
  bool stageEnabled[kStages] = {};
  GLuint stageTexture[kStages] = {};
  TextureOp stageOp[kStages] = {TOP_MODULATE, TOP_MODULATE};
  std::unordered_set<GLuint> complete;
  std::unordered_map<GLuint, std::array<float, 3>> even;
  // What the context holds, so that a draw sends only what changed: each
  // call stands between draws that the browser's GL layer must keep apart.
  GLuint unitTexture[kStages] = {};
  FaceCulling culling;
  // The gathered draws are the first `pending`; the rest keep their storage
  // for the next frame.
  std::vector<Batch> batches;
  size_t pending = 0;
  // Gathered draws before this one cannot be joined: a stream draw after
  // them changed the current attributes.
  size_t firstJoinable = 0;
  GLuint instanceBuffer = 0;
  GLenum blendFactors[2] = {GL_ONE, GL_ZERO};
  uint32_t generation = 0;
  WebGLBackdrop backdrop;
};
