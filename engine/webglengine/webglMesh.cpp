#include "webglengine/webglMesh.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/glConstants.h"
#include "core/log.h"
#include "core/texture.h"
#include "webglengine/webglPipeline.h"

namespace {

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// Sizes `values` to `count` elements; false when out of memory.
template <typename T>
bool Allocate(std::vector<T>& values, size_t count) {
  try {
    values.assign(count, T());
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

// Only the attributes that follow are read from the buffer; the others keep
// their current values.
void DisableAttributes() {
  for (GLuint attribute = 0; attribute < 4; ++attribute) glDisableVertexAttribArray(attribute);
}

void Attribute(GLuint index, int size, int stride, int offset) {
  glEnableVertexAttribArray(index);
  glVertexAttribPointer(index, size, GL_FLOAT, GL_FALSE, stride * static_cast<int>(sizeof(float)),
                        reinterpret_cast<const void*>(offset * sizeof(float)));
}

}  // namespace

WebGLMesh::WebGLMesh()
    : mode(GL_TRIANGLES),
      indicesSet(false),
      format(),
      vertexBuffer(0),
      indexBuffer(0),
      vertexArray(0),
      verticesChanged(true),
      indicesChanged(true) {
  std::memcpy(world, kIdentity, sizeof world);
}

WebGLMesh::~WebGLMesh() {
  // Buffers go with their context; without one there is nothing to delete.
  if (!WebGLPipeline::Current()) return;
  Changing();
  if (vertexBuffer) glDeleteBuffers(1, &vertexBuffer);
  if (indexBuffer) glDeleteBuffers(1, &indexBuffer);
  if (vertexArray) glDeleteVertexArrays(1, &vertexArray);
}

void WebGLMesh::Changing() {
  if (WebGLPipeline* pipeline = WebGLPipeline::Current()) pipeline->FlushMesh(this);
}

void WebGLMesh::Init(MeshDesc desc) {
  LogScope scope("WebGLMesh::Init");
  Changing();
  positions.clear();
  normals.clear();
  colours.clear();
  for (std::vector<float>& channel : texCoords) channel.clear();
  indices.clear();
  records.clear();
  indicesSet = false;
  verticesChanged = indicesChanged = true;
  primitive = desc.primitive;
  hasNormals = desc.hasNormals;
  hasDiffuse = desc.hasDiffuse;
  hasSpecular = desc.hasSpecular;
  std::memcpy(texChannels, desc.texChannels, sizeof texChannels);
  vertexCount = desc.vertexCount;
  indexCount = desc.indexCount;
  format = VertexRecordFormat();

  unsigned primitiveMode = 0;
  if (!GlPrimitiveMode(primitive, &primitiveMode)) {
    LOG_REPORT(this, E_NOSUP, "RenderType is unsupported");
    return;
  }
  mode = primitiveMode;
  if (vertexCount < 0 || indexCount < 0) {
    vertexCount = indexCount = 0;
    LOG_REPORT(this, E_ERROR, "Negative vertex or index count");
    return;
  }
  detail.Init(primitive == PRIM_TRIANGLELIST && indexCount > 0, vertexCount, indexCount);
  if (!Allocate(positions, 3 * static_cast<size_t>(vertexCount))) {
    LOG_REPORT(this, E_NOMEM, "Not enough memory to allocate vertex's for mesh");
    return;
  }
  if (!Allocate(indices, static_cast<size_t>(indexCount))) {
    LOG_REPORT(this, E_NOMEM, "Not enough memory to allocate indicies for mesh");
    return;
  }
  if (indexCount != 0) {
    if (primitive != PRIM_LINELIST && primitive != PRIM_TRIANGLELIST) {
      LOG_REPORT(this, E_ERROR, "Can not support indices with no linelist or no triangle list");
      return;
    }
    if (!ChooseVertexRecords(texChannels[0], hasDiffuse, hasNormals, &format)) {
      LOG_REPORT(this, E_NOSUP, "Invalid gl format! [col,norm,no tex]");
      return;
    }
  }
  SetStatus(E_OK);
}

void WebGLMesh::Pack() {
  verticesChanged = true;
  if (indexCount == 0 || format.stride == 0) return;
  // Packing waits until every component the format needs has been given.
  if (positions.empty() || (texChannels[0] && texCoords[0].empty()) ||
      (hasDiffuse && colours.empty()) || (hasNormals && normals.empty()))
    return;
  if (!Allocate(records, static_cast<size_t>(vertexCount) * static_cast<size_t>(format.stride))) {
    LOG_REPORT(this, E_NOMEM, "Out of memory for mdata");
    return;
  }
  PackVertexRecords(format, vertexCount, positions.data(), normals.data(), colours.data(),
                    texCoords[0].data(), records.data());
}

void WebGLMesh::SetVertices(const float* xyz) {
  if (positions.empty()) return;  // Init failed, or no vertices
  Changing();
  std::memcpy(positions.data(), xyz, sizeof(float) * positions.size());
  detail.SetPositions(xyz);
  Pack();
}

void WebGLMesh::SetDiffuse(const Colour* diffuse) {
  LogScope scope("WebGLMesh::SetDiffuse");
  if (!hasDiffuse) {
    LOG_REPORT(this, E_ERROR, "Mesh not initialized with diffuse colors!");
    return;
  }
  Changing();
  if (!Allocate(colours, 3 * static_cast<size_t>(vertexCount))) {
    LOG_REPORT(this, E_NOMEM, "Not enough memory to create color values");
    return;
  }
  for (int32_t i = 0; i < vertexCount; ++i) {
    colours[3 * i] = diffuse[i].r;
    colours[3 * i + 1] = diffuse[i].g;
    colours[3 * i + 2] = diffuse[i].b;
  }
  Pack();
}

void WebGLMesh::SetSpecular(const Colour*) {}

void WebGLMesh::SetNormals(const float* xyz) {
  Changing();
  if (!Allocate(normals, 3 * static_cast<size_t>(vertexCount))) {
    LOG_REPORT(this, E_NOMEM, "Could not construct normals!");
    return;
  }
  if (vertexCount > 0) std::memcpy(normals.data(), xyz, sizeof(float) * normals.size());
  Pack();
}

void WebGLMesh::SetIndices(const int* values) {
  Changing();
  // An index outside the vertices would read past the vertex buffer.
  for (int32_t i = 0; i < indexCount; ++i) {
    if (values[i] < 0 || values[i] >= vertexCount) {
      LOG_REPORT(this, E_ERROR, "Index %d = %d is outside the %d vertices", i, values[i],
                 vertexCount);
      indicesSet = false;
      return;
    }
  }
  if (!Allocate(indices, static_cast<size_t>(indexCount))) {
    LOG_REPORT(this, E_NOMEM, "Not enough memory to allocate indicies for mesh");
    return;
  }
  for (int32_t i = 0; i < indexCount; ++i) indices[i] = static_cast<GLuint>(values[i]);
  indicesSet = true;
  indicesChanged = true;
  detail.SetIndices(values);
}

void WebGLMesh::SetTextureCoords(const float* uv, int channel) {
  LogScope scope("WebGLMesh::SetTextureCoords");
  if (channel < 0 || channel >= kTextureStages || !texChannels[channel]) {
    LOG_REPORT(this, E_ERROR, "Mesh not initialized with texture coordinate values for channel %d",
               channel);
    return;
  }
  Changing();
  if (!Allocate(texCoords[channel], 2 * static_cast<size_t>(vertexCount))) {
    LOG_REPORT(this, E_NOMEM, "Not enough memory to create texture coordinate values");
    return;
  }
  if (vertexCount > 0)
    std::memcpy(texCoords[channel].data(), uv, sizeof(float) * texCoords[channel].size());
  Pack();
}

void WebGLMesh::SetTransform(float x, float y, float z, float a, float b, float c) {
  TransformMatrix(x, y, z, a, b, c, world);
}

void WebGLMesh::Scale(float sx, float sy, float sz) { ScaleMatrix(world, sx, sy, sz); }

void WebGLMesh::SetVertexShader(VertexShader*) {}

void WebGLMesh::Render() {
  WebGLPipeline* pipeline = WebGLPipeline::Current();
  if (!pipeline) return;  // no context to draw in
  for (int stage = 0; stage < WebGLPipeline::kStages; ++stage)
    if (textures[stage]) textures[stage]->Apply(stage, TOP_MODULATE, ADDRESS_WRAP);
  const bool drawable = indexCount != 0 ? !records.empty() && indicesSet : !positions.empty();
  if (!drawable) return;
  pipeline->Queue(this, indexCount != 0 ? detail.Choose(world) : DetailChoice(), world);
}

void WebGLMesh::DrawInstances(GLsizei count, int level, size_t from, size_t length) {
  // The vertex array keeps the buffers and attribute layout between draws;
  // they are set again only with an upload.
  if (!vertexArray) {
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    WebGLPipeline::Current()->AttachInstances();
  } else {
    glBindVertexArray(vertexArray);
  }
  if (indexCount != 0)
    DrawIndexed(count, level, from, length);
  else
    DrawStream(count);
}

void WebGLMesh::DrawIndexed(GLsizei count, int level, size_t from, size_t length) {
  if (verticesChanged) {
    if (!vertexBuffer) glGenBuffers(1, &vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(records.size() * sizeof(float)),
                 records.data(), GL_STATIC_DRAW);
    verticesChanged = false;
    DisableAttributes();
    Attribute(WebGLPipeline::kPosition, 3, format.stride, format.positionOffset);
    if (format.colourOffset >= 0)
      Attribute(WebGLPipeline::kColour, format.colourSize, format.stride, format.colourOffset);
    if (format.texCoords) Attribute(WebGLPipeline::kTexCoord0, 2, format.stride, 0);
  }
  if (indicesChanged || levelGeneration != detail.Generation()) {
    // The mesh's own indices, then every coarser level after them.
    std::vector<GLuint> all(indices);
    all.insert(all.end(), detail.LevelIndices().begin(), detail.LevelIndices().end());
    if (!indexBuffer) glGenBuffers(1, &indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(all.size() * sizeof(GLuint)),
                 all.data(), GL_STATIC_DRAW);
    indicesChanged = false;
    levelGeneration = detail.Generation();
  }
  const size_t start = level ? indices.size() + detail.LevelStart(level) : 0;
  const size_t all = level ? detail.LevelCount(level) : indices.size();
  if (from >= all) return;
  const size_t drawn = std::min(length, all - from);
  glDrawElementsInstanced(mode, static_cast<GLsizei>(drawn), GL_UNSIGNED_INT,
                          reinterpret_cast<const void*>((start + from) * sizeof(GLuint)), count);
}

void WebGLMesh::DrawStream(GLsizei count) {
  const bool colour = hasDiffuse && !colours.empty();
  const bool uv[2] = {texChannels[0] && !texCoords[0].empty(),
                      texChannels[1] && !texCoords[1].empty()};
  const int stride = 3 + (colour ? 3 : 0) + (uv[0] ? 2 : 0) + (uv[1] ? 2 : 0);
  if (verticesChanged) {
    std::vector<float> stream(static_cast<size_t>(vertexCount) * stride);
    float* out = stream.data();
    for (int32_t i = 0; i < vertexCount; ++i) {
      for (int k = 0; k < 3; ++k) *out++ = positions[3 * i + k];
      if (colour)
        for (int k = 0; k < 3; ++k) *out++ = colours[3 * i + k];
      for (int channel = 0; channel < 2; ++channel)
        if (uv[channel])
          for (int k = 0; k < 2; ++k) *out++ = texCoords[channel][2 * i + k];
    }
    if (!vertexBuffer) glGenBuffers(1, &vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(stream.size() * sizeof(float)),
                 stream.data(), GL_DYNAMIC_DRAW);
    verticesChanged = false;
    DisableAttributes();
    int offset = 0;
    Attribute(WebGLPipeline::kPosition, 3, stride, offset);
    offset += 3;
    if (colour) {
      Attribute(WebGLPipeline::kColour, 3, stride, offset);
      offset += 3;
    }
    for (int channel = 0; channel < 2; ++channel) {
      if (!uv[channel]) continue;
      Attribute(WebGLPipeline::kTexCoord0 + channel, 2, stride, offset);
      offset += 2;
    }
  }
  glDrawArraysInstanced(mode, 0, vertexCount, count);

  // What the last glColor3f and glMultiTexCoord2f calls leave current.
  const size_t last = static_cast<size_t>(vertexCount - 1);
  if (colour)
    glVertexAttrib4f(WebGLPipeline::kColour, colours[3 * last], colours[3 * last + 1],
                     colours[3 * last + 2], 1.0f);
  for (int channel = 0; channel < 2; ++channel)
    if (uv[channel])
      glVertexAttrib4f(WebGLPipeline::kTexCoord0 + channel, texCoords[channel][2 * last],
                       texCoords[channel][2 * last + 1], 0.0f, 1.0f);
  WebGLPipeline::Current()->ContentChanged();
}
