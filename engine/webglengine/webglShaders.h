#pragma once

#include <string>

// GLSL ES 3.00 sources of the programs that stand in for the fixed-function
// pipeline of OpenGL 1.1, one for each state a draw can be in: a software
// rasteriser then runs no branch and samples no texture that a stage of the
// state leaves out.
std::string WebGLVertexShader(bool lighting);
// `op0` and `op1`: the stage operation codes of WebGLPipeline, 0 to 5.
std::string WebGLFragmentShader(int op0, int op1);
