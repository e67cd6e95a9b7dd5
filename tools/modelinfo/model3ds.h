#pragma once

#include <string>

// Reads a 3DS file through the toolkit into `json`: the format and, per mesh
// object, its name, counts and box. False, with `error` saying what is wrong,
// when the file cannot be opened, is not a 3DS mesh file or is malformed.
bool Summarise3ds(const char* path, std::string& json, std::string& error);
