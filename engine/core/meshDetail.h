#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/renderTypes.h"
#include "core/vec3.h"

// Coarser versions of an indexed triangle mesh, for the draws where it looks
// small. A fish 20 pixels long drawn with 200 triangles spends most of them
// below a pixel, and software rasterisers pay per triangle however small.
//
// Each level is an index list over the mesh's own vertices, so a back end
// keeps one vertex buffer and only chooses which indices to draw. Levels are
// made by collapsing edges into one of their ends, cheapest first by the
// quadric error metric (the squared distances to the planes of the faces a
// vertex stands for), with open edges held to their line and vertices that
// share a position with another (texture seams, poles) kept. Level k keeps
// kDetailShares[k] of the triangles, and its error is measured afterwards:
// how far the level's surface and the mesh's lie from each other.
//
// At a draw, Choose takes the coarsest level whose error, at the mesh's
// distance from the eye and scale, stays within kDetailMaxPixels on the
// screen: the picture then differs from the full mesh's only by what
// rasterising a surface moved by less than that changes. Without a view
// (SetDetailEye and SetDetailProjection since the last SetDetailViewport)
// every draw is at full detail.
//
// Choose also tells which faces of a closed surface are turned away from
// the eye: with the eye outside it and the near plane clear of it, each lies
// behind one of the surface's own faces on every line of sight, so it can
// never be seen where the depth test decides. A back end may cull them; a
// software rasteriser then has half the triangles to set up. The surface is
// the mesh's first triangles, as far as they close: all of a ball, the body
// of a fish whose open fins come after it.
constexpr int kDetailLevels = 5;
extern const float kDetailShares[kDetailLevels];
constexpr float kDetailMaxPixels = 0.5f;
// Levels are made only for a mesh whose bounding radius on the screen is at
// most this: the finest level of a fish is of use up to about 50 pixels.
constexpr float kDetailBuildPixels = 100.0f;

// One coarser level: its index list and its error in the mesh's units.
struct DetailLevel {
  std::vector<uint32_t> indices;
  float error = 0.0f;
};

// The view meshes are drawn with: engines set it as they set their own.
void SetDetailViewport(int width, int height);  // forgets the eye and projection
void SetDetailEye(const Vec3& eye);
// The projection's scale of x and y at unit depth (its matrix's first two
// diagonal elements) and its near plane's distance.
void SetDetailProjection(float xScale, float yScale, float zNear);

// A run of triangles from a mesh's first that closes around a volume (see
// ClosedPrefix).
struct ClosedPart {
  int winding = 0;
  size_t indices = 0;
};

// What a draw of a mesh may leave out.
struct DetailChoice {
  int level = 0;  // 0 for the mesh's own indices
  // The winding, in cull-mode terms, of the faces turned away from the eye
  // (see above); CULL_NONE for a mesh whose first triangles do not close or
  // a view from too near.
  CullMode hidden = CULL_NONE;
  // How many of the level's indices, from its first, form the closed
  // surface, and whether that is all of them.
  size_t closedIndices = 0;
  bool whole = false;
};

class MeshDetail {
 public:
  // Meshes outside these sizes are always drawn whole: smaller ones have
  // nothing to save, larger ones would take long to simplify.
  static constexpr int32_t kMinTriangles = 24;
  static constexpr int32_t kMaxTriangles = 1024;

  // A mesh whose data is about to be set: `eligible` when it is an indexed
  // triangle list; copies of its positions and indices are kept only then.
  void Init(bool eligible, int32_t vertexCount, int32_t indexCount);
  // Each drops the levels made so far. Indices must be below the vertex
  // count (the back ends check them before).
  void SetPositions(const float* xyz);
  void SetIndices(const uint32_t* indices);
  void SetIndices(const int* indices);

  // The level to draw with `world` (translation in elements 12 to 14, the
  // three axes in 0-2, 4-6 and 8-10), and the faces it may leave out. The
  // levels are made at a draw where they may serve, from the second draw
  // since the data last changed.
  DetailChoice Choose(const float world[16]);
  int Levels() const { return static_cast<int>(errors.size()); }
  // Every level's index list over the same vertices, one after another;
  // level `level` (1 to Levels()) is LevelCount(level) indices from
  // LevelStart(level).
  const std::vector<uint32_t>& LevelIndices() const { return levelIndices; }
  size_t LevelStart(int level) const { return levelStarts[level - 1]; }
  size_t LevelCount(int level) const { return levelStarts[level] - levelStarts[level - 1]; }
  // Counts the levels made: a back end that uploads them compares it with
  // the count it uploaded.
  uint32_t Generation() const { return generation; }

 private:
  void Drop();
  void Bound();
  void Build();

  bool eligible = false;
  bool bounded = false;
  bool built = false;
  int unchangedDraws = 0;
  int32_t vertexCount = 0;
  std::vector<float> positions;
  std::vector<uint32_t> indices;
  Vec3 centre;
  float radius = 0.0f;
  // By level, the mesh's own first.
  std::vector<ClosedPart> closures;
  std::vector<uint32_t> levelIndices;
  std::vector<size_t> levelStarts;  // and where the last level ends
  std::vector<float> errors;        // by level, in the mesh's units
  uint32_t generation = 0;
};

// The simplification itself: for each of `shares` (descending), the level
// left when that share of the triangles remains, or where no further
// collapse keeps the faces the right way round; a share that leaves as many
// triangles as the one before gives no level. Triangles are (a, b, c) index
// triples below vertexCount.
std::vector<DetailLevel> SimplifyTriangles(const float* xyz, int32_t vertexCount,
                                           const std::vector<uint32_t>& indices,
                                           const std::vector<float>& shares);

// The longest run of triangles (index triples below vertexCount) from the
// first that closes around a volume: `indices` indices, with `winding` +1
// when their faces turn counter-clockwise to an eye outside (front faces in
// OpenGL), -1 for the other way, 0 (and no indices) when no run closes.
// Vertices at one position (to a millionth of the mesh's size) count as
// one: seams split a surface's vertices, not the surface.
ClosedPart ClosedPrefix(const float* xyz, int32_t vertexCount, const std::vector<uint32_t>& indices);
