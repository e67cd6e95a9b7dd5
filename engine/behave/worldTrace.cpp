#include "behave/worldTrace.h"

#include <cstdio>

#include "behave/behave.h"

void AppendTraceNumber(std::string& out, double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", value);
  out += text;
}

namespace {
void AppendFish(std::string& out, const Boid& b) {
  out += '[';
  for (float v : {b.position.x, b.position.y, b.position.z, b.energy, b.size}) {
    AppendTraceNumber(out, v);
    out += ',';
  }
  out += b.infant ? "1," : "0,";
  out += b.dead ? "1," : "0,";
  out += b.readyToMate ? "1" : "0";
  for (uint8_t gene : b.genome) out += ',' + std::to_string(gene);
  out += ']';
}

const BoidList& FishList(int species) {
  return species == 1 ? fish1List : species == 2 ? fish2List : fish3List;
}
}  // namespace

std::string TraceLine(long long frame, float simTime) {
  std::string out = "{\"frame\":" + std::to_string(frame) + ",\"simTime\":";
  AppendTraceNumber(out, simTime);
  out += ",\"food\":[";
  for (size_t i = 0; i < foodList.size(); ++i) {
    const Vec3& p = foodList[i]->position;
    out += i ? ",[" : "[";
    AppendTraceNumber(out, p.x);
    out += ',';
    AppendTraceNumber(out, p.y);
    out += ',';
    AppendTraceNumber(out, p.z);
    out += ']';
  }
  out += ']';
  for (int species = 1; species <= 3; ++species) {
    out += ",\"fish" + std::to_string(species) + "\":[";
    const BoidList& list = FishList(species);
    for (size_t i = 0; i < list.size(); ++i) {
      if (i) out += ',';
      AppendFish(out, *list[i]);
    }
    out += ']';
  }
  out += '}';
  return out;
}
