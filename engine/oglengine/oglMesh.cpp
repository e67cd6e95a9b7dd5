#include "oglengine/oglMesh.h"

#include <cstdlib>
#include <cstring>

#include "core/glConstants.h"
#include "core/log.h"
#include "core/texture.h"
#include "oglengine/oglEngine.h"

namespace {

// Zeroed storage for `count` elements; never null for a count of 0.
template <typename T>
T* AllocArray(int32_t count, int perElement = 1) {
  const size_t n = static_cast<size_t>(count > 0 ? count : 1) * static_cast<size_t>(perElement);
  return static_cast<T*>(std::calloc(n, sizeof(T)));
}

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// By VertexLayout.
const GLenum kInterleavedFormats[] = {GL_V3F,      GL_N3F_V3F,    GL_T2F_V3F,        GL_T2F_N3F_V3F,
                                      GL_C3F_V3F, GL_T2F_C3F_V3F, GL_T2F_C4F_N3F_V3F};

}  // namespace

OpenGLMesh::OpenGLMesh()
    : mode(GL_TRIANGLES),
      positions(nullptr),
      normals(nullptr),
      colours(nullptr),
      texCoords(),
      indices(nullptr),
      indicesSet(false),
      interleaved(nullptr),
      records(),
      format(0),
      stride(0),
      drawLists(),
      listContext(nullptr),
      drawnUnchanged(false) {
  std::memcpy(world, kIdentity, sizeof world);
}

OpenGLMesh::~OpenGLMesh() { FreeArrays(); }

void OpenGLMesh::DropDrawList() {
  const bool here = wglGetCurrentContext() == listContext;
  for (GLuint& list : drawLists) {
    if (list && here) glDeleteLists(list, 1);
    list = 0;
  }
  listContext = nullptr;
  drawnUnchanged = false;
}

void OpenGLMesh::FreeArrays() {
  DropDrawList();
  std::free(positions);
  std::free(normals);
  std::free(colours);
  for (float*& channel : texCoords) {
    std::free(channel);
    channel = nullptr;
  }
  std::free(indices);
  std::free(interleaved);
  positions = normals = colours = interleaved = nullptr;
  indices = nullptr;
  indicesSet = false;
}

void OpenGLMesh::Init(MeshDesc desc) {
  LogScope scope("OpenGLMesh::Init");
  FreeArrays();  // a second Init starts afresh
  primitive = desc.primitive;
  hasNormals = desc.hasNormals;
  hasDiffuse = desc.hasDiffuse;
  hasSpecular = desc.hasSpecular;
  std::memcpy(texChannels, desc.texChannels, sizeof texChannels);
  vertexCount = desc.vertexCount;
  indexCount = desc.indexCount;
  detail.Init(primitive == PRIM_TRIANGLELIST && indexCount > 0, vertexCount, indexCount);
  format = 0;
  stride = 0;

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

  positions = AllocArray<float>(vertexCount, 3);
  if (!positions) {
    LOG_REPORT(this, E_NOMEM, "Not enough memory to allocate vertex's for mesh");
    return;
  }
  indices = AllocArray<GLuint>(indexCount);
  if (!indices) {
    LOG_REPORT(this, E_NOMEM, "Not enough memory to allocate indicies for mesh");
    return;
  }

  if (indexCount != 0) {
    if (primitive != PRIM_LINELIST && primitive != PRIM_TRIANGLELIST) {
      LOG_REPORT(this, E_ERROR, "Can not support indices with no linelist or no triangle list");
      return;
    }
    if (!ChooseVertexRecords(texChannels[0], hasDiffuse, hasNormals, &records)) {
      LOG_REPORT(this, E_NOSUP, "Invalid gl format! [col,norm,no tex]");
      return;
    }
    if (records.colourSize == 4) LOG_WARNING("Setting to diffuse=4 colors.");
    format = kInterleavedFormats[static_cast<int>(records.layout)];
    stride = records.stride;
    interleaved = AllocArray<float>(vertexCount, stride);
    if (!interleaved) {
      LOG_REPORT(this, E_NOMEM, "Out of memory for mdata");
      return;
    }
  }
  SetStatus(E_OK);
}

void OpenGLMesh::BuildMeshData() {
  LogScope scope("OpenGLMesh::BuildMeshData");
  DropDrawList();
  if (indexCount == 0 || !interleaved) return;
  // Packing waits until every component the format needs has been given.
  if (!positions || (texChannels[0] && !texCoords[0]) || (hasDiffuse && !colours) ||
      (hasNormals && !normals))
    return;
  PackVertexRecords(records, vertexCount, positions, normals, colours, texCoords[0], interleaved);
}

void OpenGLMesh::SetVertices(const float* xyz) {
  if (!positions) return;  // Init failed
  std::memcpy(positions, xyz, sizeof(float) * 3 * static_cast<size_t>(vertexCount));
  detail.SetPositions(xyz);
  BuildMeshData();
}

void OpenGLMesh::SetDiffuse(const Colour* diffuse) {
  LogScope scope("OpenGLMesh::SetDiffuse");
  if (!hasDiffuse) {
    LOG_REPORT(this, E_ERROR, "Mesh not initialized with diffuse colors!");
    return;
  }
  if (!colours) colours = AllocArray<float>(vertexCount, 3);
  if (!colours) {
    LOG_REPORT(this, E_NOMEM, "Not enough memory to create color values");
    return;
  }
  for (int32_t i = 0; i < vertexCount; ++i) {
    colours[3 * i] = diffuse[i].r;
    colours[3 * i + 1] = diffuse[i].g;
    colours[3 * i + 2] = diffuse[i].b;
  }
  BuildMeshData();
}

void OpenGLMesh::SetSpecular(const Colour*) {}

void OpenGLMesh::SetNormals(const float* xyz) {
  if (!normals) normals = AllocArray<float>(vertexCount, 3);
  if (!normals) {
    LOG_REPORT(this, E_NOMEM, "Could not construct normals!");
    return;
  }
  std::memcpy(normals, xyz, sizeof(float) * 3 * static_cast<size_t>(vertexCount));
  BuildMeshData();
}

void OpenGLMesh::SetIndices(const int* values) {
  if (!indices) indices = AllocArray<GLuint>(indexCount);
  if (!indices) {
    LOG_REPORT(this, E_NOMEM, "Not enough memory to allocate indicies for mesh");
    return;
  }
  // An index outside the vertices would make OpenGL read past the arrays.
  for (int32_t i = 0; i < indexCount; ++i) {
    if (values[i] < 0 || values[i] >= vertexCount) {
      LOG_REPORT(this, E_ERROR, "Index %d = %d is outside the %d vertices", i, values[i],
                 vertexCount);
      indicesSet = false;
      return;
    }
  }
  for (int32_t i = 0; i < indexCount; ++i) indices[i] = static_cast<GLuint>(values[i]);
  indicesSet = true;
  detail.SetIndices(values);
  DropDrawList();
}

void OpenGLMesh::SetTextureCoords(const float* uv, int channel) {
  LogScope scope("OpenGLMesh::SetTextureCoords");
  if (channel < 0 || channel >= kTextureStages || !texChannels[channel]) {
    LOG_REPORT(this, E_ERROR, "Mesh not initialized with texture coordinate values for channel %d",
               channel);
    return;
  }
  if (!texCoords[channel]) texCoords[channel] = AllocArray<float>(vertexCount, 2);
  if (!texCoords[channel]) {
    LOG_REPORT(this, E_NOMEM, "Not enough memory to create texture coordinate values");
    return;
  }
  std::memcpy(texCoords[channel], uv, sizeof(float) * 2 * static_cast<size_t>(vertexCount));
  BuildMeshData();
}

void OpenGLMesh::SetTransform(float x, float y, float z, float a, float b, float c) {
  TransformMatrix(x, y, z, a, b, c, world);
}

void OpenGLMesh::Scale(float sx, float sy, float sz) { ScaleMatrix(world, sx, sy, sz); }

void OpenGLMesh::SetVertexShader(VertexShader*) {}

void OpenGLMesh::Render() {
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glMultMatrixf(world);
  for (int stage = 0; stage < kTextureStages; ++stage)
    if (textures[stage]) textures[stage]->Apply(stage, TOP_MODULATE, ADDRESS_WRAP);

  const DetailChoice choice = indicesSet ? detail.Choose(world) : DetailChoice();
  const int level = choice.level;
  // Faces are left out only where the whole mesh closes: a mesh is one draw.
  const CullMode cull = glCulling.ForDraw(choice.whole ? choice.hidden : CULL_NONE);
  if (glCulling.Switch(cull)) PutCullModeInForce(cull);
  const HGLRC context = wglGetCurrentContext();
  GLuint& drawList = drawLists[level];
  if (drawList && context == listContext) {
    glCallList(drawList);
  } else {
    GLuint recording = 0;
    if (drawnUnchanged && !drawList && (!listContext || context == listContext)) {
      recording = glGenLists(1);
      if (recording) glNewList(recording, GL_COMPILE_AND_EXECUTE);
    }
    DrawArrays(level);
    if (recording) {
      glEndList();
      drawList = recording;
      listContext = context;
    }
    drawnUnchanged = true;
  }
  glPopMatrix();
}

void OpenGLMesh::DrawArrays(int level) {
  if (indexCount != 0) {
    if (interleaved && indicesSet) {
      glInterleavedArrays(format, 0, interleaved);
      if (level == 0) {
        glDrawElements(mode, indexCount, GL_UNSIGNED_INT, indices);
      } else {
        glDrawElements(mode, static_cast<GLsizei>(detail.LevelCount(level)), GL_UNSIGNED_INT,
                       detail.LevelIndices().data() + detail.LevelStart(level));
      }
    }
  } else if (positions) {
    glBegin(mode);
    for (int32_t i = 0; i < vertexCount; ++i) {
      if (hasDiffuse && colours) glColor3f(colours[3 * i], colours[3 * i + 1], colours[3 * i + 2]);
      // For lighting; with lighting off a normal changes nothing drawn.
      if (hasNormals && normals) glNormal3f(normals[3 * i], normals[3 * i + 1], normals[3 * i + 2]);
      for (int channel = 0; channel < kTextureStages; ++channel) {
        const float* uv = texCoords[channel];
        if (!texChannels[channel] || !uv) continue;
        if (glEntryPoints.multiTexCoord2f)
          glEntryPoints.multiTexCoord2f(GL_TEXTURE0_ARB + channel, uv[2 * i], uv[2 * i + 1]);
        else if (channel == 0)
          glTexCoord2f(uv[2 * i], uv[2 * i + 1]);  // only unit 0 exists
      }
      glVertex3f(positions[3 * i], positions[3 * i + 1], positions[3 * i + 2]);
    }
    glEnd();
  }
}
