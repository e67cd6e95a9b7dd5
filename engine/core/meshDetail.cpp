#include "core/meshDetail.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <map>
#include <tuple>

const float kDetailShares[kDetailLevels] = {0.7f, 0.5f, 0.35f, 0.25f, 0.17f};

namespace {

constexpr double kOutlineWeight = 10.0;

struct DetailView {
  bool hasEye = false, hasProjection = false;
  int width = 0, height = 0;
  Vec3 eye;
  float pixelsAtUnitDistance = 0.0f;  // the larger of the two axes'
  float nearReach = 0.0f;             // how far the near plane reaches from the eye
} view;

struct Point {
  double x, y, z;
  Point operator-(const Point& b) const { return {x - b.x, y - b.y, z - b.z}; }
  Point operator+(const Point& b) const { return {x + b.x, y + b.y, z + b.z}; }
  Point operator*(double s) const { return {x * s, y * s, z * s}; }
  double Dot(const Point& b) const { return x * b.x + y * b.y + z * b.z; }
  Point Cross(const Point& b) const {
    return {y * b.z - z * b.y, z * b.x - x * b.z, x * b.y - y * b.x};
  }
  double Length() const { return std::sqrt(Dot(*this)); }
};

// The sum of squared distances to a set of planes, as a symmetric 4x4 form.
// The sum rather than the mean: the mean let fins and outlines move by
// several pixels where one plane of many was left far behind.
struct Quadric {
  double aa = 0, ab = 0, ac = 0, ad = 0, bb = 0, bc = 0, bd = 0, cc = 0, cd = 0, dd = 0;

  void AddPlane(const Point& n, double d) {
    aa += n.x * n.x, ab += n.x * n.y, ac += n.x * n.z, ad += n.x * d;
    bb += n.y * n.y, bc += n.y * n.z, bd += n.y * d;
    cc += n.z * n.z, cd += n.z * d, dd += d * d;
  }
  void Add(const Quadric& q) {
    aa += q.aa, ab += q.ab, ac += q.ac, ad += q.ad, bb += q.bb;
    bc += q.bc, bd += q.bd, cc += q.cc, cd += q.cd, dd += q.dd;
  }
  double At(const Point& p) const {
    return aa * p.x * p.x + 2 * ab * p.x * p.y + 2 * ac * p.x * p.z + 2 * ad * p.x +
           bb * p.y * p.y + 2 * bc * p.y * p.z + 2 * bd * p.y + cc * p.z * p.z + 2 * cd * p.z + dd;
  }
};

using Triangle = std::array<uint32_t, 3>;

class Collapser {
 public:
  Collapser(const float* xyz, int32_t vertexCount, const std::vector<uint32_t>& indices)
      : points(vertexCount), place(vertexCount), vertexTriangles(vertexCount) {
    std::map<std::tuple<float, float, float>, uint32_t> places;
    for (int32_t v = 0; v < vertexCount; ++v) {
      points[v] = {xyz[3 * v], xyz[3 * v + 1], xyz[3 * v + 2]};
      const auto found = places.emplace(std::make_tuple(xyz[3 * v], xyz[3 * v + 1], xyz[3 * v + 2]),
                                        static_cast<uint32_t>(places.size()));
      place[v] = found.first->second;
    }
    quadrics.resize(places.size());
    std::vector<int> sharing(places.size(), 0);
    for (uint32_t p : place) ++sharing[p];
    for (uint32_t p : place) locked.push_back(sharing[p] > 1);

    for (size_t i = 0; i + 2 < indices.size(); i += 3) {
      const Triangle t = {indices[i], indices[i + 1], indices[i + 2]};
      if (t[0] == t[1] || t[1] == t[2] || t[0] == t[2]) continue;
      for (uint32_t v : t) vertexTriangles[v].push_back(static_cast<int>(triangles.size()));
      triangles.push_back(t);
      alive.push_back(true);
    }
    faces = triangles.size();
    AddPlanes();
  }

  // Collapses, cheapest first, until at most `target` faces are left or
  // no collapse keeps every face the right way round.
  void CollapseTo(size_t target) {
    while (faces > target && CollapseCheapest()) {
    }
  }
  size_t Faces() const { return faces; }

  std::vector<uint32_t> Indices() const {
    std::vector<uint32_t> out;
    for (size_t t = 0; t < triangles.size(); ++t)
      if (alive[t]) out.insert(out.end(), triangles[t].begin(), triangles[t].end());
    return out;
  }

 private:
  Point Normal(const Triangle& t) const {
    return (points[t[1]] - points[t[0]]).Cross(points[t[2]] - points[t[0]]);
  }

  // Each face's plane goes to its corners' places; an edge that only one
  // face has (by place, so seams do not count) also gets the plane through
  // it at right angles to the face, which holds the outline where it is.
  // Outlines weigh ten times a face: with equal weights the thin fins and
  // filaments, whose faces cost nothing to fold along, went first.
  void AddPlanes() {
    std::map<std::pair<uint32_t, uint32_t>, std::pair<int, int>> edges;  // count, a face
    for (size_t i = 0; i < triangles.size(); ++i) {
      const Triangle& t = triangles[i];
      Point n = Normal(t);
      const double length = n.Length();
      if (length == 0) continue;
      n = {n.x / length, n.y / length, n.z / length};
      for (uint32_t v : t) quadrics[place[v]].AddPlane(n, -n.Dot(points[t[0]]));
      for (int k = 0; k < 3; ++k) {
        const uint32_t a = place[t[k]], b = place[t[(k + 1) % 3]];
        auto& edge = edges[std::minmax(a, b)];
        ++edge.first;
        edge.second = static_cast<int>(i) * 3 + k;
      }
    }
    for (const auto& entry : edges) {
      if (entry.second.first != 1) continue;
      const Triangle& t = triangles[entry.second.second / 3];
      const int k = entry.second.second % 3;
      const Point& a = points[t[k]];
      const Point& b = points[t[(k + 1) % 3]];
      Point side = (b - a).Cross(Normal(t));
      const double length = side.Length();
      if (length == 0) continue;
      side = {side.x / length, side.y / length, side.z / length};
      const double d = -side.Dot(a);
      quadrics[place[t[k]]].AddPlane(side * kOutlineWeight, d * kOutlineWeight);
      quadrics[place[t[(k + 1) % 3]]].AddPlane(side * kOutlineWeight, d * kOutlineWeight);
    }
  }

  // Two corners at one place: a face the collapse removes (beside those
  // with both of its ends, a face with a twin of `to`).
  bool Flat(const Triangle& t) const {
    return place[t[0]] == place[t[1]] || place[t[1]] == place[t[2]] || place[t[0]] == place[t[2]];
  }

  // Moving `from` onto `to` must turn no face that stays over and leave
  // none without area.
  bool Keeps(uint32_t from, uint32_t to) const {
    for (int face : vertexTriangles[from]) {
      if (!alive[face]) continue;
      const Triangle& t = triangles[face];
      Triangle moved = t;
      for (uint32_t& v : moved)
        if (v == from) v = to;
      if (Flat(moved)) continue;  // it goes
      const Point before = Normal(t), after = Normal(moved);
      const double lengths = before.Length() * after.Length();
      if (lengths == 0 || before.Dot(after) < 0.25 * lengths) return false;
    }
    return true;
  }

  bool CollapseCheapest() {
    double best = std::numeric_limits<double>::infinity();
    uint32_t bestFrom = 0, bestTo = 0;
    for (size_t face = 0; face < triangles.size(); ++face) {
      if (!alive[face]) continue;
      const Triangle& t = triangles[face];
      for (int k = 0; k < 6; ++k) {
        const uint32_t from = t[k % 3], to = t[(k / 3 + 1 + k) % 3];
        if (locked[from] || place[from] == place[to]) continue;
        Quadric q = quadrics[place[from]];
        q.Add(quadrics[place[to]]);
        const double cost = q.At(points[to]);
        if (cost < best && Keeps(from, to)) {
          best = cost;
          bestFrom = from;
          bestTo = to;
        }
      }
    }
    if (best == std::numeric_limits<double>::infinity()) return false;
    quadrics[place[bestTo]].Add(quadrics[place[bestFrom]]);
    for (int face : vertexTriangles[bestFrom]) {
      if (!alive[face]) continue;
      Triangle& t = triangles[face];
      for (uint32_t& v : t)
        if (v == bestFrom) v = bestTo;
      if (Flat(t)) {
        alive[face] = false;
        --faces;
      } else {
        vertexTriangles[bestTo].push_back(face);
      }
    }
    vertexTriangles[bestFrom].clear();
    return true;
  }

  std::vector<Point> points;
  std::vector<uint32_t> place;  // vertices at one position share a place
  std::vector<bool> locked;
  std::vector<Quadric> quadrics;  // by place
  std::vector<Triangle> triangles;
  std::vector<bool> alive;
  size_t faces = 0;
  std::vector<std::vector<int>> vertexTriangles;
};

Point PointAt(const float* xyz, uint32_t v) { return {xyz[3 * v], xyz[3 * v + 1], xyz[3 * v + 2]}; }

// The distance from p to the triangle abc (the nearest point found region
// by region: a corner, an edge or the inside).
double Distance(const Point& p, const Point& a, const Point& b, const Point& c) {
  const Point ab = b - a, ac = c - a, ap = p - a;
  const double d1 = ab.Dot(ap), d2 = ac.Dot(ap);
  if (d1 <= 0 && d2 <= 0) return ap.Length();
  const Point bp = p - b;
  const double d3 = ab.Dot(bp), d4 = ac.Dot(bp);
  if (d3 >= 0 && d4 <= d3) return bp.Length();
  const double vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) return (p - (a + ab * (d1 / (d1 - d3)))).Length();
  const Point cp = p - c;
  const double d5 = ab.Dot(cp), d6 = ac.Dot(cp);
  if (d6 >= 0 && d5 <= d6) return cp.Length();
  const double vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) return (p - (a + ac * (d2 / (d2 - d6)))).Length();
  const double va = d3 * d6 - d5 * d4;
  if (va <= 0 && d4 - d3 >= 0 && d5 - d6 >= 0)
    return (p - (b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6))))).Length();
  const double denominator = 1 / (va + vb + vc);
  return (p - (a + ab * (vb * denominator) + ac * (vc * denominator))).Length();
}

// The largest distance from any of `points` to the nearest face of `faces`,
// giving up on a point as soon as it is nearer than the worst so far.
double FarthestFrom(const std::vector<Point>& points, const float* xyz,
                    const std::vector<uint32_t>& faces, double worst) {
  for (const Point& p : points) {
    double nearest = std::numeric_limits<double>::infinity();
    for (size_t i = 0; i + 2 < faces.size() && nearest > worst; i += 3)
      nearest = std::fmin(nearest, Distance(p, PointAt(xyz, faces[i]), PointAt(xyz, faces[i + 1]),
                                            PointAt(xyz, faces[i + 2])));
    worst = std::fmax(worst, nearest);
  }
  return worst;
}

// A corner, an edge's midpoint and the centre of each face: together the
// faces' corners and most edges' midpoints.
std::vector<Point> Samples(const float* xyz, const std::vector<uint32_t>& faces) {
  std::vector<Point> points;
  for (size_t i = 0; i + 2 < faces.size(); i += 3) {
    const Point a = PointAt(xyz, faces[i]), b = PointAt(xyz, faces[i + 1]),
                c = PointAt(xyz, faces[i + 2]);
    points.insert(points.end(), {a, (a + b) * 0.5, (a + b + c) * (1.0 / 3)});
  }
  return points;
}

// How far the level's surface and the mesh's stray from each other, each
// sampled at the points above: this bounds how
// far an outline or a fin tip has moved, and how deep a face of the level
// cuts into a curved surface.
float Departure(const float* xyz, const std::vector<uint32_t>& indices,
                const std::vector<uint32_t>& level) {
  const double outward = FarthestFrom(Samples(xyz, indices), xyz, level, 0.0);
  return static_cast<float>(FarthestFrom(Samples(xyz, level), xyz, indices, outward));
}
}  // namespace

std::vector<DetailLevel> SimplifyTriangles(const float* xyz, int32_t vertexCount,
                                           const std::vector<uint32_t>& indices,
                                           const std::vector<float>& shares) {
  Collapser collapser(xyz, vertexCount, indices);
  std::vector<DetailLevel> out;
  size_t previous = collapser.Faces();
  for (float share : shares) {
    collapser.CollapseTo(static_cast<size_t>(share * static_cast<float>(indices.size() / 3)));
    if (collapser.Faces() == previous) continue;  // no coarser than the last
    previous = collapser.Faces();
    DetailLevel level;
    level.indices = collapser.Indices();
    level.error = Departure(xyz, indices, level.indices);
    out.push_back(level);
  }
  return out;
}

void SetDetailViewport(int width, int height) {
  view = DetailView();
  view.width = width;
  view.height = height;
}

void SetDetailEye(const Vec3& eye) {
  view.eye = eye;
  view.hasEye = true;
}

void SetDetailProjection(float xScale, float yScale, float zNear) {
  view.hasProjection = xScale > 0 && yScale > 0 && view.width > 0 && view.height > 0;
  if (view.hasProjection) {
    view.pixelsAtUnitDistance = std::fmax(0.5f * view.width * xScale, 0.5f * view.height * yScale);
    // To the near plane's corners.
    view.nearReach = std::fabs(zNear) * std::sqrt(1.0f + 1.0f / (xScale * xScale) +
                                                  1.0f / (yScale * yScale));
  }
}

ClosedPart ClosedPrefix(const float* xyz, int32_t vertexCount,
                        const std::vector<uint32_t>& indices) {
  // Positions a millionth of the mesh's size apart are one: a pole's
  // vertices made from sines and cosines differ in their last bits.
  float size = 0.0f;
  for (size_t i = 0; i < 3 * static_cast<size_t>(vertexCount); ++i)
    size = std::fmax(size, std::fabs(xyz[i]));
  const double cell = size > 0.0f ? 1e-6 * size : 1.0;
  std::map<std::array<long long, 3>, uint32_t> ids;
  std::vector<uint32_t> id(static_cast<size_t>(vertexCount));
  for (int32_t v = 0; v < vertexCount; ++v) {
    const float* p = xyz + 3 * static_cast<size_t>(v);
    const std::array<long long, 3> key = {std::llround(p[0] / cell), std::llround(p[1] / cell),
                                          std::llround(p[2] / cell)};
    id[v] = ids.emplace(key, static_cast<uint32_t>(ids.size())).first->second;
  }
  // Closed and consistently wound: every edge is crossed as often one way
  // as the other, so no edge is left out of balance.
  std::map<std::pair<uint32_t, uint32_t>, int> edges;
  size_t unbalanced = 0;
  double volume = 0.0;
  ClosedPart closed;
  for (size_t i = 0; i + 2 < indices.size(); i += 3) {
    const uint32_t corner[3] = {id[indices[i]], id[indices[i + 1]], id[indices[i + 2]]};
    for (int k = 0; k < 3; ++k) {
      const uint32_t a = corner[k], b = corner[(k + 1) % 3];
      if (a == b) continue;
      int& balance = edges[{std::min(a, b), std::max(a, b)}];
      const bool was = balance != 0;
      balance += a < b ? 1 : -1;
      if (was && balance == 0) --unbalanced;
      if (!was && balance != 0) ++unbalanced;
    }
    Point p[3];
    for (int k = 0; k < 3; ++k) {
      const float* q = xyz + 3 * static_cast<size_t>(indices[i + k]);
      p[k] = {q[0], q[1], q[2]};
    }
    volume += p[0].Dot(p[1].Cross(p[2]));
    if (unbalanced == 0 && volume != 0.0) closed = {volume > 0.0 ? 1 : -1, i + 3};
  }
  return closed;
}

void MeshDetail::Init(bool eligibleMesh, int32_t vertices, int32_t indexCount) {
  eligible = eligibleMesh && indexCount >= 3 * kMinTriangles && indexCount <= 3 * kMaxTriangles &&
             vertices > 0 && vertices <= 3 * kMaxTriangles;
  vertexCount = vertices;
  positions.assign(eligible ? 3 * static_cast<size_t>(vertices) : 0, 0.0f);
  indices.assign(eligible ? static_cast<size_t>(indexCount) : 0, 0);
  Drop();
}

void MeshDetail::SetPositions(const float* xyz) {
  if (!eligible) return;
  std::memcpy(positions.data(), xyz, sizeof(float) * positions.size());
  Drop();
}

void MeshDetail::SetIndices(const uint32_t* values) {
  if (!eligible) return;
  indices.assign(values, values + indices.size());
  Drop();
}

void MeshDetail::SetIndices(const int* values) {
  if (!eligible) return;
  for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint32_t>(values[i]);
  Drop();
}

void MeshDetail::Drop() {
  bounded = built = false;
  closures.clear();
  unchangedDraws = 0;
  levelIndices.clear();
  levelStarts.clear();
  errors.clear();
}

void MeshDetail::Bound() {
  bounded = true;
  Vec3 low = Vec3(positions[0], positions[1], positions[2]), high = low;
  for (int32_t v = 0; v < vertexCount; ++v) {
    const float* p = &positions[3 * static_cast<size_t>(v)];
    low.Set(std::fmin(low.x, p[0]), std::fmin(low.y, p[1]), std::fmin(low.z, p[2]));
    high.Set(std::fmax(high.x, p[0]), std::fmax(high.y, p[1]), std::fmax(high.z, p[2]));
  }
  centre = (low + high) * 0.5f;
  radius = 0.0f;
  for (int32_t v = 0; v < vertexCount; ++v) {
    const float* p = &positions[3 * static_cast<size_t>(v)];
    radius = std::fmax(radius, (Vec3(p[0], p[1], p[2]) - centre).Length());
  }
}

void MeshDetail::Build() {
  built = true;
  const std::vector<DetailLevel> levels =
      SimplifyTriangles(positions.data(), vertexCount, indices,
                        std::vector<float>(std::begin(kDetailShares), std::end(kDetailShares)));
  levelStarts.assign(1, 0);
  for (const DetailLevel& level : levels) {
    levelIndices.insert(levelIndices.end(), level.indices.begin(), level.indices.end());
    levelStarts.push_back(levelIndices.size());
    errors.push_back(level.error);
    // A level whose run no longer closes or turns the other way culls
    // nothing.
    ClosedPart closed = ClosedPrefix(positions.data(), vertexCount, level.indices);
    if (closed.winding != closures[0].winding) closed = ClosedPart();
    closures.push_back(closed);
  }
  ++generation;
}

DetailChoice MeshDetail::Choose(const float world[16]) {
  DetailChoice choice;
  if (!eligible || !view.hasEye || !view.hasProjection) return choice;
  if (!bounded) Bound();
  if (radius <= 0.0f) return choice;
  const Vec3 axes[3] = {Vec3(world[0], world[1], world[2]), Vec3(world[4], world[5], world[6]),
                        Vec3(world[8], world[9], world[10])};
  const Vec3 placed = axes[0] * centre.x + axes[1] * centre.y + axes[2] * centre.z +
                      Vec3(world[12], world[13], world[14]);
  float scale = 0.0f;
  for (int i = 0; i < 3; ++i) {
    scale = std::fmax(scale, axes[i].Length());
    scale = std::fmax(scale, Vec3(world[i], world[4 + i], world[8 + i]).Length());
  }
  // The nearest the mesh's bounds come to the eye.
  const float distance = (placed - view.eye).Length() - radius * scale;
  if (!(distance > 0.0f)) return choice;
  const float pixelsPerUnit = scale * view.pixelsAtUnitDistance / distance;
  // A mesh whose data changes at every draw (an animation) would pay for
  // its levels and its closure each time, and one drawn large has no use
  // for the levels.
  if (unchangedDraws < 2 && ++unchangedDraws < 2) return choice;
  if (closures.empty()) closures.assign(1, ClosedPrefix(positions.data(), vertexCount, indices));
  if (!built && radius * pixelsPerUnit <= kDetailBuildPixels) Build();
  for (int k = 0; k < Levels(); ++k)
    if (errors[k] * pixelsPerUnit <= kDetailMaxPixels) choice.level = k + 1;

  Vec3 turn;
  turn.SetCross(axes[1], axes[2]);
  // A mirroring transform turns the winding over; a flattening one leaves
  // every face on edge.
  const float determinant = axes[0].Dot(turn);
  const ClosedPart& closed = closures[choice.level];
  const int winding = determinant < 0.0f ? -closed.winding : closed.winding;
  if (winding != 0 && determinant != 0.0f && distance > view.nearReach) {
    choice.hidden = winding > 0 ? CULL_BACK : CULL_FRONT;
    choice.closedIndices = closed.indices;
    choice.whole = closed.indices == (choice.level ? LevelCount(choice.level) : indices.size());
  }
  return choice;
}
