#pragma once

#include <string>

// The text with each control character written as an escape (\n, \t, \r or
// \xNN), so a message that quotes a file name stays on one line.
std::string Printable(const std::string& text);
