#include "webglengine/webglPipeline.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/log.h"
#include "webglengine/webglMesh.h"
#include "webglengine/webglShaders.h"

WebGLPipeline* WebGLPipeline::current = nullptr;

namespace {

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// c = a * b, column-major.
void Multiply(const float* a, const float* b, float* c) {
  for (int column = 0; column < 4; ++column)
    for (int row = 0; row < 4; ++row) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a[4 * k + row] * b[4 * column + k];
      c[4 * column + row] = sum;
    }
}

GLuint Compile(GLenum kind, const char* source, std::string* error) {
  const GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint compiled = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
  if (!compiled) {
    char text[1024] = "";
    glGetShaderInfoLog(shader, sizeof text, nullptr, text);
    *error = std::string("The drawing shader did not compile: ") + text;
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

}  // namespace

GLuint WebGLPipeline::Link(int lighting, int op0, int op1, std::string* error) {
  GLuint& vertex = vertexShaders[lighting];
  if (!vertex) vertex = Compile(GL_VERTEX_SHADER, WebGLVertexShader(lighting != 0).c_str(), error);
  const GLuint fragment =
      vertex ? Compile(GL_FRAGMENT_SHADER, WebGLFragmentShader(op0, op1).c_str(), error) : 0;
  if (!fragment) return 0;
  GLuint program = glCreateProgram();
  glAttachShader(program, vertex);
  glAttachShader(program, fragment);
  glLinkProgram(program);
  glDeleteShader(fragment);
  GLint linked = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &linked);
  if (!linked) {
    char text[1024] = "";
    glGetProgramInfoLog(program, sizeof text, nullptr, text);
    *error = std::string("The drawing shaders did not link: ") + text;
    glDeleteProgram(program);
    return 0;
  }
  glUseProgram(program);
  usedProgram = program;
  glUniform1i(glGetUniformLocation(program, "uStage0"), 0);
  glUniform1i(glGetUniformLocation(program, "uStage1"), 1);
  return program;
}

bool WebGLPipeline::Init(std::string* error) {
  Release();
  // The frame step's fish: a failure shows at once, not at a later draw.
  GLuint& first = programs[0][TOP_MODULATE][kTintAdd];
  first = Link(0, TOP_MODULATE, kTintAdd, error);
  if (!first) {
    Release();
    return false;
  }
  glGenBuffers(1, &instanceBuffer);

  const unsigned char texel[4] = {255, 255, 255, 255};
  glGenTextures(1, &white);
  for (int stage = 0; stage < kStages; ++stage) {
    glActiveTexture(GL_TEXTURE0 + stage);
    glBindTexture(GL_TEXTURE_2D, white);
  }
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glActiveTexture(GL_TEXTURE0);
  unitTexture[0] = unitTexture[1] = white;

  // The current colour and texture coordinates of a fresh context.
  glVertexAttrib4f(kColour, 1.0f, 1.0f, 1.0f, 1.0f);
  glVertexAttrib4f(kTexCoord0, 0.0f, 0.0f, 0.0f, 1.0f);
  glVertexAttrib4f(kTexCoord1, 0.0f, 0.0f, 0.0f, 1.0f);

  std::memcpy(projection, kIdentity, sizeof projection);
  std::memcpy(view, kIdentity, sizeof view);
  lighting = false;
  // The OpenGL back end enables texturing on unit 0 at start.
  stageEnabled[0] = true;
  stageEnabled[1] = false;
  stageTexture[0] = stageTexture[1] = 0;
  stageOp[0] = stageOp[1] = TOP_MODULATE;
  complete.clear();
  even.clear();
  blendFactors[0] = GL_ONE;
  blendFactors[1] = GL_ZERO;
  return true;
}

void WebGLPipeline::Release() {
  // Draws still waiting go with the context.
  pending = firstJoinable = 0;
  for (auto& ops0 : programs)
    for (auto& ops1 : ops0)
      for (GLuint& program : ops1) {
        if (program && program != kFailed) glDeleteProgram(program);
        program = 0;
      }
  for (GLuint& shader : vertexShaders) {
    if (shader) glDeleteShader(shader);
    shader = 0;
  }
  usedProgram = 0;
  if (white) glDeleteTextures(1, &white);
  if (instanceBuffer) glDeleteBuffers(1, &instanceBuffer);
  white = 0;
  instanceBuffer = 0;
  backdrop.Release();
  if (current == this) current = nullptr;
}

void WebGLPipeline::SetProjection(const float matrix[16]) {
  std::memcpy(projection, matrix, sizeof projection);
}

void WebGLPipeline::SetView(const float matrix[16]) { std::memcpy(view, matrix, sizeof view); }

void WebGLPipeline::EnableStage(int stage, bool on) { stageEnabled[stage] = on; }

void WebGLPipeline::BindStage(int stage, GLuint texture) { stageTexture[stage] = texture; }

void WebGLPipeline::SetStageOp(int stage, TextureOp op) { stageOp[stage] = op; }

void WebGLPipeline::MarkComplete(GLuint texture) {
  ++generation;
  // A new image: what the old one was made of no longer holds.
  complete.insert(texture);
  even.erase(texture);
}

void WebGLPipeline::MarkEven(GLuint texture, const unsigned char rgb[3]) {
  ++generation;
  complete.insert(texture);
  // As the sampler turns the texel's bytes into colour.
  even[texture] = {rgb[0] / 255.0f, rgb[1] / 255.0f, rgb[2] / 255.0f};
}

void WebGLPipeline::Forget(GLuint texture) {
  Flush();
  ++generation;
  complete.erase(texture);
  even.erase(texture);
  // A deleted texture leaves the units it was bound to with none.
  for (GLuint& bound : stageTexture)
    if (bound == texture) bound = 0;
  for (GLuint& bound : unitTexture)
    if (bound == texture) bound = 0;
}

void WebGLPipeline::BindForUpdate(GLuint texture) {
  // The update must not reach draws gathered before it.
  Flush();
  ++generation;
  if (unitTexture[0] == texture) return;
  glBindTexture(GL_TEXTURE_2D, texture);
  unitTexture[0] = texture;
}

WebGLPipeline::DrawState WebGLPipeline::Resolve(const DetailChoice& choice) const {
  DrawState state;
  state.cull = culling.ForDraw(choice.hidden);
  // A batch is cheap to draw in two parts, so a closed body is culled even
  // where open fins follow it (the other back ends cull whole meshes only).
  state.culledIndices =
      state.cull != culling.ForDraw(CULL_NONE) && !choice.whole ? choice.closedIndices : 0;
  for (int stage = 0; stage < kStages; ++stage) {
    // A unit without a complete texture passes the colour on.
    const GLuint texture = stageTexture[stage];
    const bool active = stageEnabled[stage] && texture != 0 && complete.count(texture) != 0;
    state.unitTexture[stage] = active ? texture : white;
    state.stageOp[stage] = active ? static_cast<int>(stageOp[stage]) : 0;
  }
  state.lighting = lighting ? 1 : 0;
  // Stage 1 adding one colour, or nothing, adds the instance's tint. Adding
  // nothing is passing the colour on: what reaches stage 1 never exceeds 1.
  state.tint[0] = state.tint[1] = state.tint[2] = 0.0f;
  const auto colour = even.find(state.unitTexture[1]);
  if (state.stageOp[1] == TOP_ADD && colour != even.end()) {
    std::copy(colour->second.begin(), colour->second.end(), state.tint);
  } else if (state.stageOp[1] != 0) {
    return state;
  }
  state.stageOp[1] = kTintAdd;
  state.unitTexture[1] = white;
  return state;
}

namespace {
void PutCullModeInForce(CullMode mode) {
  if (mode == CULL_NONE) {
    glDisable(GL_CULL_FACE);
    return;
  }
  glEnable(GL_CULL_FACE);
  glCullFace(mode == CULL_FRONT ? GL_FRONT : GL_BACK);
}
}  // namespace

void WebGLPipeline::SetCullMode(CullMode mode) {
  Flush();
  culling.SetCullMode(mode);
  PutCullModeInForce(mode);
}

bool WebGLPipeline::Send(const DrawState& state) {
  if (culling.Switch(state.cull)) PutCullModeInForce(state.cull);
  GLuint& program = programs[state.lighting][state.stageOp[0]][state.stageOp[1]];
  if (!program) {
    std::string error;
    program = Link(state.lighting, state.stageOp[0], state.stageOp[1], &error);
    if (!program) {
      // Once: the state's draws are left out from then on.
      program = kFailed;
      LOG_ERROR("%s", error.c_str());
    }
  }
  if (program == kFailed) return false;
  if (usedProgram != program) {
    glUseProgram(program);
    usedProgram = program;
  }
  for (int stage = 0; stage < kStages; ++stage) {
    if (unitTexture[stage] != state.unitTexture[stage]) {
      glActiveTexture(GL_TEXTURE0 + stage);
      glBindTexture(GL_TEXTURE_2D, state.unitTexture[stage]);
      glActiveTexture(GL_TEXTURE0);
      unitTexture[stage] = state.unitTexture[stage];
    }
  }
  return true;
}

WebGLPipeline::Batch& WebGLPipeline::BatchFor(WebGLMesh* mesh, int level,
                                              const DrawState& state) {
  // The tint is the instance's, not the batch's.
  const auto fits = [&](const Batch& batch) {
    return batch.mesh == mesh && batch.level == level && batch.state.lighting == state.lighting &&
           batch.state.cull == state.cull && batch.state.culledIndices == state.culledIndices &&
           std::equal(state.unitTexture, state.unitTexture + kStages, batch.state.unitTexture) &&
           std::equal(state.stageOp, state.stageOp + kStages, batch.state.stageOp);
  };
  const bool stream = mesh->IsStream();
  if (culling.DepthDecides() && !stream) {
    for (size_t i = pending; i-- > firstJoinable;)
      if (fits(batches[i])) return batches[i];
  } else if (pending > firstJoinable && fits(batches[pending - 1])) {
    return batches[pending - 1];
  }
  if (pending == batches.size()) batches.emplace_back();
  if (stream) firstJoinable = pending;
  Batch& batch = batches[pending++];
  batch.mesh = mesh;
  batch.level = level;
  batch.state = state;
  batch.instances.clear();
  return batch;
}

void WebGLPipeline::Queue(WebGLMesh* mesh, const DetailChoice& choice, const float world[16]) {
  const DrawState state = Resolve(choice);
  std::vector<float>& instances = BatchFor(mesh, choice.level, state).instances;
  // The whole transform per instance, formed as the OpenGL back end's
  // matrix stack forms it, then the tint.
  float modelView[16];
  Multiply(view, world, modelView);
  const size_t at = instances.size();
  instances.resize(at + kInstanceFloats);
  Multiply(projection, modelView, instances.data() + at);
  std::copy(state.tint, state.tint + 3, instances.data() + at + 16);
}

void WebGLPipeline::SetBlendFactors(GLenum source, GLenum destination) {
  Flush();
  blendFactors[0] = source;
  blendFactors[1] = destination;
  glBlendFunc(source, destination);
}

bool WebGLPipeline::BackdropKey(size_t count, std::vector<uint32_t>* key) const {
  if (!culling.ChangesOnlyColour()) return false;
  const auto add = [key](const void* data, size_t bytes) {
    const size_t at = key->size();
    key->resize(at + bytes / sizeof(uint32_t));
    std::memcpy(key->data() + at, data, bytes);
  };
  // What the draws are drawn from beyond the batches: blending, and every
  // mesh, texture and current attribute as of the generation.
  const uint32_t blend[] = {culling.Blends() ? 1u : 0u, blendFactors[0], blendFactors[1],
                            generation, static_cast<uint32_t>(count)};
  add(blend, sizeof blend);
  for (size_t i = 0; i < count; ++i) {
    const Batch& batch = batches[i];
    if (batch.mesh->IsStream()) return false;
    const DrawState& state = batch.state;
    const uint32_t fields[] = {static_cast<uint32_t>(reinterpret_cast<uintptr_t>(batch.mesh)),
                               static_cast<uint32_t>(batch.level),
                               state.unitTexture[0],
                               state.unitTexture[1],
                               static_cast<uint32_t>(state.stageOp[0]),
                               static_cast<uint32_t>(state.stageOp[1]),
                               static_cast<uint32_t>(state.lighting),
                               static_cast<uint32_t>(state.cull),
                               static_cast<uint32_t>(state.culledIndices),
                               static_cast<uint32_t>(batch.instances.size())};
    add(fields, sizeof fields);
    add(batch.instances.data(), batch.instances.size() * sizeof(float));
  }
  return true;
}

void WebGLPipeline::Flush() {
  // Emptied first, so that nothing the draws call can issue them twice.
  const size_t count = pending;
  if (count == 0) return;
  pending = firstJoinable = 0;
  if (!backdrop.Open()) return Issue(count);
  std::vector<uint32_t> key;
  if (!BackdropKey(count, &key)) {
    backdrop.Close();
    return Issue(count);
  }
  if (backdrop.Reuse(key)) return;
  Issue(count);
  backdrop.Drawn();
}

void WebGLPipeline::Issue(size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const Batch& batch = batches[i];
    if (!Send(batch.state)) continue;
    glBindBuffer(GL_ARRAY_BUFFER, instanceBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(batch.instances.size() * sizeof(float)),
                 batch.instances.data(), GL_STREAM_DRAW);
    const GLsizei instances = static_cast<GLsizei>(batch.instances.size() / kInstanceFloats);
    const size_t split = batch.state.culledIndices;
    batch.mesh->DrawInstances(instances, batch.level, 0, split ? split : SIZE_MAX);
    if (split) {
      const CullMode rest = culling.ForDraw(CULL_NONE);
      if (culling.Switch(rest)) PutCullModeInForce(rest);
      batch.mesh->DrawInstances(instances, batch.level, split, SIZE_MAX);
    }
  }
}

void WebGLPipeline::FlushMesh(const WebGLMesh* mesh) {
  ++generation;
  for (size_t i = 0; i < pending; ++i)
    if (batches[i].mesh == mesh) return Flush();
}

void WebGLPipeline::AttachInstances() {
  glBindBuffer(GL_ARRAY_BUFFER, instanceBuffer);
  // The four columns of the matrix, then the tint.
  for (GLuint index = kMatrix; index <= kTint; ++index) {
    glEnableVertexAttribArray(index);
    glVertexAttribPointer(index, index == kTint ? 3 : 4, GL_FLOAT, GL_FALSE,
                          kInstanceFloats * sizeof(float),
                          reinterpret_cast<const void*>(4 * (index - kMatrix) * sizeof(float)));
    glVertexAttribDivisor(index, 1);
  }
}
