#include "md2/md2Animation.h"

#include <algorithm>
#include <cmath>

namespace {
// The remainder in [0, count) for any sign of `value`.
int Wrap(int value, int count) {
  const int r = value % count;
  return r < 0 ? r + count : r;
}
}  // namespace

void Md2Animations::Build(const Md2ModelData& data) {
  frames.clear();
  normals.clear();
  corners = data.objects.empty() ? 0 : 3 * data.objects.front().faceCount;
  const Md2FrameObject* first = data.objects.empty() ? nullptr : &data.objects.front();
  for (const Md2Animation& animation : data.animations) {
    Keys keys, keyNormals;
    for (int j = animation.startFrame; j < animation.endFrame; ++j) {
      const Md2FrameObject& frame = data.objects[static_cast<size_t>(j)];
      keys.emplace_back(static_cast<size_t>(corners));
      Md2ExpandFrame(keys.back().data(), frame, *first);
      keyNormals.emplace_back(static_cast<size_t>(corners));
      Md2ExpandFrameNormals(keyNormals.back().data(), frame, *first);
    }
    frames.push_back(std::move(keys));
    normals.push_back(std::move(keyNormals));
  }
}

int Md2Animations::FrameCount(int animation) const {
  return frames.empty() ? 0
                        : static_cast<int>(frames[Wrap(animation, AnimationCount())].size());
}

const Vec3* Md2Animations::Frame(int animation, int frame) const {
  if (frames.empty()) return nullptr;
  const auto& keys = frames[Wrap(animation, AnimationCount())];
  return keys[Wrap(frame, static_cast<int>(keys.size()))].data();
}

const Vec3* Md2Animations::FrameNormals(int animation, int frame) const {
  if (normals.empty()) return nullptr;
  const auto& keys = normals[Wrap(animation, AnimationCount())];
  return keys[Wrap(frame, static_cast<int>(keys.size()))].data();
}

bool Md2Animations::Blend(int animation, float time, Vec3* out, float* cycleTime,
                          Vec3* normalsOut) const {
  if (frames.empty()) return false;
  const int a = Wrap(animation, AnimationCount());
  const auto& keys = frames[a];
  const int n = static_cast<int>(keys.size());
  // A negative time runs the cycle backwards from its end rather than
  // indexing before the first frame.
  float t = std::fmod(time, 1.0f);
  if (t < 0.0f) t += 1.0f;
  if (!(t < 1.0f)) t = 0.0f;  // -0 + 1 rounding to 1, or a NaN time
  const float step = 1.0f / static_cast<float>(n);
  const float s = std::fmod(t, step) / step;
  // t * n may round up to n just below a whole cycle.
  const int f = std::min(static_cast<int>(t * static_cast<float>(n)), n - 1);
  const int g = (f + 1) % n;
  const Vec3* from = keys[static_cast<size_t>(f)].data();
  const Vec3* to = keys[static_cast<size_t>(g)].data();
  for (int i = 0; i < corners; ++i) out[i] = from[i] + (to[i] - from[i]) * s;
  if (normalsOut) {
    const Vec3* fromNormal = normals[a][static_cast<size_t>(f)].data();
    const Vec3* toNormal = normals[a][static_cast<size_t>(g)].data();
    for (int i = 0; i < corners; ++i)
      normalsOut[i] = fromNormal[i] + (toNormal[i] - fromNormal[i]) * s;
  }
  *cycleTime = t;
  return true;
}

bool Md2FirstFrameCorners(const Md2ModelData& data, std::vector<Vec3>& positions,
                          std::vector<TexCoord>& texCoords) {
  positions.clear();
  texCoords.clear();
  if (data.objects.empty()) return false;
  const Md2FrameObject& first = data.objects.front();
  const bool hasTexCoords = !first.texCoords.empty();
  for (const Md2Face& face : first.faces)
    for (int c = 0; c < 3; ++c) {
      positions.push_back(first.vertices[static_cast<size_t>(face.vertexIndex[c])]);
      if (hasTexCoords) texCoords.push_back(first.texCoords[static_cast<size_t>(face.texCoordIndex[c])]);
    }
  return true;
}

void Md2ExpandFrameNormals(Vec3* out, const Md2FrameObject& frame, const Md2FrameObject& first) {
  std::vector<Vec3> sums(frame.vertices.size());
  for (std::int32_t k = 0; k < frame.faceCount; ++k) {
    const std::int32_t* index = first.faces[static_cast<size_t>(k)].vertexIndex;
    const Vec3& a = frame.vertices[static_cast<size_t>(index[0])];
    // Clockwise from outside: (c - a) x (b - a) points out, as long as the
    // face's area.
    Vec3 normal;
    normal.SetCross(frame.vertices[static_cast<size_t>(index[2])] - a,
                    frame.vertices[static_cast<size_t>(index[1])] - a);
    for (int c = 0; c < 3; ++c) sums[static_cast<size_t>(index[c])] += normal;
  }
  for (Vec3& sum : sums) sum.Normalise();
  for (std::int32_t k = 0; k < frame.faceCount; ++k)
    for (int c = 0; c < 3; ++c)
      out[3 * k + c] = sums[static_cast<size_t>(first.faces[static_cast<size_t>(k)].vertexIndex[c])];
}
