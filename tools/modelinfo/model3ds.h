#pragma once

#include <string>

#include "modelinfo/summary.h"

// Reads a 3DS file through the toolkit. False, with `error` saying what is
// wrong, when the file cannot be opened, is not a 3DS mesh file or is
// malformed.
bool Summarise3ds(const char* path, ModelSummary& summary, std::string& error);
