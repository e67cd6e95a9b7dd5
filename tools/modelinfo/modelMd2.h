#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads an MD2 file image through the MD2 reader into `json`: frame, vertex,
// triangle and texture coordinate counts, the animations found in the frame
// names, and the box of the first frame. False, with `error` giving the
// reader's reason, when the reader refuses the file.
bool SummariseMd2(const std::vector<std::uint8_t>& bytes, const char* path, std::string& json,
                  std::string& error);
