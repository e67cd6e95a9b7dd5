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
  corners = data.objects.empty() ? 0 : 3 * data.objects.front().faceCount;
  const Md2FrameObject* first = data.objects.empty() ? nullptr : &data.objects.front();
  for (const Md2Animation& animation : data.animations) {
    std::vector<std::vector<Vec3>> keys;
    for (int j = animation.startFrame; j < animation.endFrame; ++j) {
      std::vector<Vec3> positions(static_cast<size_t>(corners));
      Md2ExpandFrame(positions.data(), data.objects[static_cast<size_t>(j)], *first);
      keys.push_back(std::move(positions));
    }
    frames.push_back(std::move(keys));
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

bool Md2Animations::Blend(int animation, float time, Vec3* out, float* cycleTime) const {
  if (frames.empty()) return false;
  const auto& keys = frames[Wrap(animation, AnimationCount())];
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
