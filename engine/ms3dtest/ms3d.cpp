#include "ms3dtest/ms3d.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>

#include "core/fileBytes.h"
#include "core/log.h"

// Hands out the text a line at a time as a 256-byte line buffer would: a
// longer line comes as several lines. A carriage return before a newline is
// dropped, as text mode does.
class Model::LineReader {
 public:
  LineReader(const char* text, std::size_t size) : next(text), end(text + size) {}

  bool Next() {
    if (next >= end) return false;
    std::size_t n = 0;
    while (next < end && n < kLineLength - 1) {
      const char c = *next++;
      if (c == '\r' && next < end && *next == '\n') continue;
      line[n++] = c;
      if (c == '\n') break;
    }
    line[n] = '\0';
    return true;
  }

  char line[kLineLength];

 private:
  const char* next;
  const char* end;
};

namespace {
using Name = char[Model::kNameLength];

// Copies a name into a text field, cutting what does not fit.
void CopyName(Name& field, const char* text) {
  std::size_t n = std::strlen(text);
  if (n >= sizeof field) {
    LOG_WARNING("name cut to %d characters: %s", static_cast<int>(sizeof field) - 1, text);
    n = sizeof field - 1;
  }
  std::memcpy(field, text, n);
  field[n] = '\0';
}

// A line that is a quoted, non-empty name.
bool ScanName(const char* line, Name& field) {
  char text[Model::kLineLength];
  if (std::sscanf(line, "\"%255[^\"]\"", text) != 1) return false;
  CopyName(field, text);
  return true;
}

// The quoted name somewhere on the line; empty when there is none.
void FindQuotedName(const char* line, Name& field) {
  field[0] = '\0';
  const char* open = std::strchr(line, '"');
  const char* close = open ? std::strchr(open + 1, '"') : nullptr;
  if (!close) return;
  char text[Model::kLineLength];
  const std::size_t n = static_cast<std::size_t>(close - open - 1);
  std::memcpy(text, open + 1, n);
  text[n] = '\0';
  CopyName(field, text);
}

// Interpolates a key track at time t. A track without keys leaves the rest
// pose (zero offset). False when t lies past the last key (factor above 1).
bool Interpolate(const std::vector<Ms3dKey>& keys, float t, Vec3& offset) {
  offset = Vec3();
  if (keys.empty()) return true;
  std::size_t i = 0;
  if (keys.size() >= 2) {
    i = keys.size() - 1;
    for (std::size_t k = 0; k + 2 <= keys.size(); ++k) {
      if (t <= keys[k].time) {
        i = k;
        break;
      }
    }
  }
  const Ms3dKey& b = keys[i];
  if (i == 0) {
    offset.Set(b.x, b.y, b.z);
    return true;
  }
  const Ms3dKey& a = keys[i - 1];
  float s = (t - a.time) / (b.time - a.time);
  if (s > 1.0f) return false;
  if (s < 0.0f) s = -s;
  const float f = std::fmod(s, 1.0f);
  offset.Set(a.x + f * (b.x - a.x), a.y + f * (b.y - a.y), a.z + f * (b.z - a.z));
  return true;
}

Matrix44 RestMatrix(const Ms3dBone& bone) {
  Matrix44 relative;
  relative.SetRotation(bone.restRotation);
  relative.SetTranslation(bone.restPosition);
  return relative;
}

bool ReadKey(const char* line, std::vector<Ms3dKey>& keys) {
  Ms3dKey key;
  if (std::sscanf(line, "%f %f %f %f", &key.time, &key.x, &key.y, &key.z) != 4) return false;
  keys.push_back(key);
  return true;
}

// Bone names compare ignoring case: each is looked up folded to lower case.
std::string FoldedName(const char* name) {
  std::string folded(name);
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}
}  // namespace

Model::Model()
    : totalFrames(0.0f),
      currentTime(0.0f),
      meshCount(0),
      materialCount(0),
      boneCount(0) {}

void Model::clear() {
  totalFrames = currentTime = 0.0f;
  meshCount = materialCount = boneCount = 0;
  meshes.clear();
  materialIndices.clear();
  materials.clear();
  bones.clear();
}

bool Model::loadFromMs3dAsciiFile(const char* path) {
  LogScope scope("entry->Model::loadFromMs3dAsciiFile");
  LOG_TRACE("entry->Model::loadFromMs3dAsciiFile");
  if (!path) path = "";
  std::vector<std::uint8_t> bytes;
  if (!ReadFileBytes(path, bytes)) {
    LOG_ERROR("Could not open file:%s", path);
    clear();
    return false;
  }
  return load(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

bool Model::loadFromMs3dAsciiMemory(const char* text, std::size_t size) {
  LogScope scope("entry->Model::loadFromMs3dAsciiFile");
  LOG_TRACE("entry->Model::loadFromMs3dAsciiFile");
  return load(text, text ? size : 0);
}

bool Model::load(const char* text, std::size_t size) {
  clear();
  LineReader reader(text, size);
  int initialFrame = 0;
  const bool whole = readFile(reader, initialFrame);
  if (!checkIndices(whole)) {
    clear();
    return false;
  }
  if (!linkBones()) {
    LOG_ERROR("could not link bones");
    clear();
    return false;
  }
  setupBones();
  bindVertices();
  advance(static_cast<float>(initialFrame));
  return true;
}

// A section that fails ends the reading (false); what was read stays.
bool Model::readFile(LineReader& reader, int& initialFrame) {
  while (reader.Next()) {
    const char* line = reader.line;
    if (line[0] == '/' && line[1] == '/') continue;
    int value;
    if (std::sscanf(line, "Frames: %d", &value) == 1) {
      totalFrames = static_cast<float>(value);
    } else if (std::sscanf(line, "Frame: %d", &value) == 1) {
      initialFrame = value;
    } else if (std::sscanf(line, "Meshes: %d", &value) == 1) {
      if (!readMeshes(reader, value)) return false;
    } else if (std::sscanf(line, "Materials: %d", &value) == 1) {
      if (!readMaterials(reader, value)) return false;
    } else if (std::sscanf(line, "Bones: %d", &value) == 1) {
      if (!readBones(reader, value)) return false;
    }
  }
  return true;
}

bool Model::readMeshes(LineReader& reader, int count) {
  meshes.clear();
  materialIndices.clear();
  meshCount = 0;
  if (count < 0) {
    LOG_ERROR("could not read shape");
    return false;
  }
  for (int k = 0; k < count; ++k) {
    Ms3dMesh mesh;
    std::int32_t materialIndex = -1;
    const bool whole = readMesh(reader, mesh, materialIndex);
    // A mesh that fails part-way keeps the records read before the failure.
    if (mesh.name[0] != '\0') {
      mesh.vertexCount = static_cast<std::int32_t>(mesh.vertices.size());
      mesh.normalCount = static_cast<std::int32_t>(mesh.normals.size());
      mesh.triangleCount = static_cast<std::int32_t>(mesh.triangles.size());
      meshes.push_back(std::move(mesh));
      materialIndices.push_back(materialIndex);
      meshCount = static_cast<std::int32_t>(meshes.size());
    }
    if (!whole) return false;
  }
  return true;
}

bool Model::readMesh(LineReader& reader, Ms3dMesh& mesh, std::int32_t& materialIndex) {
  if (!reader.Next()) {
    LOG_ERROR("could not read shape");
    return false;
  }
  char text[kLineLength];
  int flags;
  if (std::sscanf(reader.line, "\"%255[^\"]\" %d %d", text, &flags, &materialIndex) != 3) {
    LOG_ERROR("could not read shape header");
    return false;
  }
  CopyName(mesh.name, text);

  int count;
  if (!reader.Next() || std::sscanf(reader.line, "%d", &count) != 1 || count < 0) {
    LOG_ERROR("could not read shape data");
    return false;
  }
  for (int j = 0; j < count; ++j) {
    Ms3dVertex vertex;
    Vec3& p = vertex.position;
    if (!reader.Next() || std::sscanf(reader.line, "%d %f %f %f %f %f %d", &flags, &p.x, &p.y,
                                      &p.z, &vertex.u, &vertex.v, &vertex.boneIndex) != 7) {
      LOG_ERROR("could not read shape data");
      return false;
    }
    vertex.v = 1.0f - vertex.v;
    mesh.vertices.push_back(vertex);
  }
  mesh.vertexCount = count;

  if (!reader.Next() || std::sscanf(reader.line, "%d", &count) != 1 || count < 0) {
    LOG_ERROR("could not read shape data");
    return false;
  }
  for (int j = 0; j < count; ++j) {
    Vec3 n;
    if (!reader.Next() || std::sscanf(reader.line, "%f %f %f", &n.x, &n.y, &n.z) != 3) {
      LOG_ERROR("could not read shape data");
      return false;
    }
    mesh.normals.push_back(n);
  }
  mesh.normalCount = count;

  if (!reader.Next() || std::sscanf(reader.line, "%d", &count) != 1 || count < 0) {
    LOG_ERROR("could not read shape data");
    return false;
  }
  for (int j = 0; j < count; ++j) {
    Ms3dTriangle t;
    int group;
    if (!reader.Next() ||
        std::sscanf(reader.line, "%d %d %d %d %d %d %d %d", &flags, &t.vertexIndex[0],
                    &t.vertexIndex[1], &t.vertexIndex[2], &t.normalIndex[0], &t.normalIndex[1],
                    &t.normalIndex[2], &group) != 8) {
      LOG_ERROR("could not read shape data");
      return false;
    }
    for (int c = 0; c < 3; ++c) {
      if (t.vertexIndex[c] < 0 || t.vertexIndex[c] >= mesh.vertexCount ||
          t.normalIndex[c] < 0 || t.normalIndex[c] >= mesh.normalCount) {
        LOG_ERROR("shape \"%s\" triangle %d indexes past its %d vertices or %d normals",
                  mesh.name, j, mesh.vertexCount, mesh.normalCount);
        return false;
      }
    }
    mesh.triangles.push_back(t);
  }
  mesh.triangleCount = count;
  return true;
}

bool Model::readMaterials(LineReader& reader, int count) {
  materials.clear();
  materialCount = 0;
  if (count < 0) {
    LOG_ERROR("could not load material data");
    return false;
  }
  for (int k = 0; k < count; ++k) {
    Ms3dMaterial material;
    if (!readMaterial(reader, material)) {
      LOG_ERROR("could not load material data");
      return false;
    }
    materials.push_back(material);
    materialCount = k + 1;
  }
  return true;
}

bool Model::readMaterial(LineReader& reader, Ms3dMaterial& material) {
  if (!reader.Next() || !ScanName(reader.line, material.name)) return false;
  float* colours[] = {material.ambient, material.diffuse, material.specular, material.emissive};
  for (float* c : colours) {
    if (!reader.Next() || std::sscanf(reader.line, "%f %f %f %f", &c[0], &c[1], &c[2], &c[3]) != 4)
      return false;
  }
  if (!reader.Next() || std::sscanf(reader.line, "%f", &material.shininess) != 1) return false;
  if (!reader.Next() || std::sscanf(reader.line, "%f", &material.transparency) != 1) return false;
  if (!reader.Next()) return false;
  FindQuotedName(reader.line, material.colourMap);
  if (!reader.Next()) return false;
  FindQuotedName(reader.line, material.alphaMap);
  return true;
}

bool Model::readBones(LineReader& reader, int count) {
  bones.clear();
  boneCount = 0;
  if (count < 0) {
    LOG_ERROR("could not load bone data");
    return false;
  }
  for (int k = 0; k < count; ++k) {
    Ms3dBone bone;
    if (!readBone(reader, bone)) {
      LOG_ERROR("could not load bone data");
      return false;
    }
    bones.push_back(std::move(bone));
    boneCount = k + 1;
  }
  return true;
}

bool Model::readBone(LineReader& reader, Ms3dBone& bone) {
  if (!reader.Next() || !ScanName(reader.line, bone.name)) return false;
  if (!reader.Next()) return false;
  FindQuotedName(reader.line, bone.parentName);
  int flags;
  Vec3& p = bone.restPosition;
  Vec3& r = bone.restRotation;
  if (!reader.Next() || std::sscanf(reader.line, "%d %f %f %f %f %f %f", &flags, &p.x, &p.y, &p.z,
                                    &r.x, &r.y, &r.z) != 7)
    return false;
  int count;
  if (!reader.Next() || std::sscanf(reader.line, "%d", &count) != 1 || count < 0) return false;
  for (int j = 0; j < count; ++j)
    if (!reader.Next() || !ReadKey(reader.line, bone.positionKeys)) return false;
  bone.positionKeyCount = count;
  if (!reader.Next() || std::sscanf(reader.line, "%d", &count) != 1 || count < 0) return false;
  for (int j = 0; j < count; ++j)
    if (!reader.Next() || !ReadKey(reader.line, bone.rotationKeys)) return false;
  bone.rotationKeyCount = count;
  return true;
}

// Material and bone indices can only be checked once every section is read.
// When the reading was cut short, a material or bone past the ones read
// counts as empty: a mesh of it has no material, and a vertex of it no bone,
// which leaves the vertex where an empty bone would.
bool Model::checkIndices(bool whole) {
  for (int k = 0; k < meshCount; ++k) {
    std::int32_t& material = materialIndices[k];
    if (!whole && material >= materialCount) material = -1;
    if (material < -1 || material >= materialCount) {
      LOG_ERROR("shape \"%s\" names material %d of %d", meshes[k].name, material, materialCount);
      return false;
    }
    for (Ms3dVertex& vertex : meshes[k].vertices) {
      if (!whole && vertex.boneIndex >= boneCount) vertex.boneIndex = -1;
      if (vertex.boneIndex < -1 || vertex.boneIndex >= boneCount) {
        LOG_ERROR("shape \"%s\" has a vertex of bone %d of %d", meshes[k].name, vertex.boneIndex,
                  boneCount);
        return false;
      }
    }
  }
  return true;
}

// Looked up by name, so a skeleton of many bones links in linear time; of
// bones whose names differ only in case the first is the parent.
bool Model::linkBones() {
  std::unordered_map<std::string, Ms3dBone*> byName;
  byName.reserve(bones.size());
  for (Ms3dBone& bone : bones) byName.emplace(FoldedName(bone.name), &bone);
  for (Ms3dBone& bone : bones) {
    bone.parent = nullptr;
    if (bone.parentName[0] == '\0') continue;
    const auto found = byName.find(FoldedName(bone.parentName));
    if (found == byName.end()) return false;
    bone.parent = found->second;
  }
  return true;
}

void Model::setupBones() {
  for (Ms3dBone& bone : bones) {
    const Matrix44 relative = RestMatrix(bone);
    if (bone.parent) {
      bone.absolute.Set(bone.parent->absolute.m);
      bone.absolute.PreMultiply(relative);
    } else {
      bone.absolute = relative;
    }
  }
}

void Model::bindVertices() {
  for (Ms3dMesh& mesh : meshes) {
    for (Ms3dVertex& vertex : mesh.vertices) {
      if (vertex.boneIndex == -1) continue;
      const Matrix44& absolute = bones[vertex.boneIndex].absolute;
      absolute.InverseTranslate(vertex.position);
      absolute.InverseRotate(vertex.position);
    }
  }
}

int Model::advance(float dt) {
  currentTime += dt;
  if (currentTime >= totalFrames) currentTime = 1.0f;
  for (Ms3dBone& bone : bones) {
    // Past the last key the animation starts again.
    if (!poseBone(bone, currentTime)) currentTime = 1.0f;
  }
  return boneCount;
}

bool Model::poseBone(Ms3dBone& bone, float t) {
  Vec3 position, rotation;
  if (!Interpolate(bone.positionKeys, t, position) || !Interpolate(bone.rotationKeys, t, rotation))
    return false;
  Matrix44 key;
  key.SetRotation(rotation);
  key.SetTranslation(position);
  Matrix44 local = RestMatrix(bone);
  local.PreMultiply(key);
  if (bone.parent) {
    bone.absolute.Set(bone.parent->absolute.m);
    bone.absolute.PreMultiply(local);
  } else {
    bone.absolute = local;
  }
  return true;
}
