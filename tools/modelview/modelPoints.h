#pragma once

#include <string>
#include <vector>

#include "core/vec3.h"
#include "modelinfo/modelFile.h"

// Every position a model file draws at rest, as the engine's readers hold
// them: the 3DS objects' vertices, the MD2 first frame, the MilkShape
// triangle corners posed at the file's initial frame, the BSP level's
// vertices. The format is told by content, else by extension. False, with
// `error` saying why, when the file cannot be read or holds no position.
bool ReadModelPoints(const char* path, ModelFormat& format, std::vector<Vec3>& points,
                     std::string& error);
