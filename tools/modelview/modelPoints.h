#pragma once

#include <string>
#include <vector>

#include "core/vec3.h"
#include "modelinfo/modelFile.h"

// Every position a model file draws, as the engine's readers hold them: the
// 3DS objects' vertices, the MD2 frames' vertices, the MilkShape triangle
// corners posed at the file's initial frame and over its animation, the BSP
// level's vertices. The format is told by content, else by extension. False, with
// `error` saying why, when the file cannot be read or holds no position.
bool ReadModelPoints(const char* path, ModelFormat& format, std::vector<Vec3>& points,
                     std::string& error);
