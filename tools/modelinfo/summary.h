#pragma once

#include <string>
#include <vector>

// What modelinfo reports of a model file, whatever its format.
struct MeshSummary {
  std::string name;
  long vertices = 0;
  long texcoords = 0;
  long faces = 0;
  bool hasBox = false;  // no box without vertices
  float box[6] = {0, 0, 0, 0, 0, 0};  // min x, y, z, max x, y, z
};

struct ModelSummary {
  std::string format;
  std::vector<MeshSummary> meshes;
};

// The summary as one line of JSON (no newline).
std::string SummaryJson(const ModelSummary& summary);
