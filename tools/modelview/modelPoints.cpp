#include "modelview/modelPoints.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "core/log.h"
#include "md2/Md2.h"
#include "ms3dtest/ms3dCorners.h"
#include "q3bsp/Quake3Bsp.h"
#include "toolkit3ds/toolkit3ds.h"

namespace {
// The reason the reader logged last, or a plain one.
std::string ReaderError(const char* fallback) {
  const char* reason = Log::Get()->LastError();
  return *reason != '\0' ? reason : fallback;
}

bool Points3ds(const std::vector<std::uint8_t>& bytes, const char* path, std::vector<Vec3>& points,
               std::string& error) {
  ErrorClear3ds();
  filerec3ds* file = FileOpenBytes3ds(path, bytes.data(), bytes.size());
  if (file == nullptr) {
    error = "cannot open the 3DS file";
    return false;
  }
  dbrec3ds* database = nullptr;
  DatabaseInit3ds(&database);
  DatabaseRead3ds(file, database);
  namelist3ds* names = nullptr;
  if (!ErrorRaised3ds() && DatabaseKind3ds(database) == DB_MESH_FILE) MeshNames3ds(database, &names);
  const uint32_t count = names != nullptr ? names->count : 0;
  for (uint32_t i = 0; i < count && !ErrorRaised3ds(); i++) {
    meshrec3ds* record = nullptr;
    MeshRecordInit3ds(&record, 0, 0, 0);
    MeshByIndex3ds(database, static_cast<int>(i), &record);
    for (uint32_t v = 0; !ErrorRaised3ds() && v < record->vertexCount; v++)
      points.emplace_back(record->vertices[v].x, record->vertices[v].y, record->vertices[v].z);
    MeshRecordRelease3ds(&record);
  }
  if (ErrorRaised3ds()) error = "not a readable 3DS mesh file";
  NameListRelease3ds(&names);
  DatabaseRelease3ds(&database);
  FileClose3ds(file);
  return error.empty();
}

bool PointsMd2(const std::vector<std::uint8_t>& bytes, const char* path,
               std::vector<Vec3>& points, std::string& error) {
  Md2Loader loader;
  Md2ModelData data;
  if (!loader.LoadFromMemory(data, bytes.data(), bytes.size(), path, nullptr)) {
    error = ReaderError("refused by the MD2 reader");
    return false;
  }
  // Every key frame, so that the animation stays inside the view.
  for (const Md2FrameObject& frame : data.objects)
    points.insert(points.end(), frame.vertices.begin(), frame.vertices.end());
  return true;
}

bool PointsMs3d(const std::vector<std::uint8_t>& bytes, std::vector<Vec3>& points,
                std::string& error) {
  Model model;
  if (!model.loadFromMs3dAsciiMemory(reinterpret_cast<const char*>(bytes.data()), bytes.size())) {
    error = ReaderError("refused by the MilkShape reader");
    return false;
  }
  // The initial pose and poses spread over the whole animation, so that the
  // parts it moves stay inside the view.
  const int poses =
      model.totalFrames >= 2.0f ? static_cast<int>(std::min(model.totalFrames, 64.0f)) : 1;
  for (int pose = 0; pose < poses; ++pose) {
    if (pose > 0) model.advance(model.totalFrames / static_cast<float>(poses));
    for (const Ms3dMesh& mesh : model.meshes) {
      const size_t at = points.size();
      points.resize(at + 3 * mesh.triangles.size());
      Ms3dCornerPositions(model, mesh, points.data() + at);
    }
  }
  return true;
}

bool PointsBsp(const std::vector<std::uint8_t>& bytes, const char* path,
               std::vector<Vec3>& points, std::string& error) {
  // Held on the heap: the level carries a large fixed table of names.
  auto level = std::make_unique<Quake3Bsp>();
  if (!level->LoadFromMemory(bytes.data(), bytes.size(), path)) {
    error = ReaderError("refused by the BSP reader");
    return false;
  }
  for (const Q3Vertex& vertex : level->vertices) points.push_back(vertex.position);
  return true;
}
}  // namespace

bool ReadModelPoints(const char* path, ModelFormat& format, std::vector<Vec3>& points,
                     std::string& error) {
  points.clear();
  error.clear();
  ModelFile model;
  if (!ReadModelFile(path, model, error)) return false;
  format = model.format;
  const std::vector<std::uint8_t>& bytes = model.bytes;
  bool read = false;
  switch (format) {
    case ModelFormat::k3ds:
      read = Points3ds(bytes, path, points, error);
      break;
    case ModelFormat::kMd2:
      read = PointsMd2(bytes, path, points, error);
      break;
    case ModelFormat::kMs3dAscii:
      read = PointsMs3d(bytes, points, error);
      break;
    case ModelFormat::kBsp:
      read = PointsBsp(bytes, path, points, error);
      break;
    case ModelFormat::kUnknown:
      error = "not a 3DS, MD2, MilkShape 3D ASCII or Quake 3 BSP file";
      return false;
  }
  if (read && points.empty()) {
    error = "holds nothing to draw";
    read = false;
  }
  return read;
}
