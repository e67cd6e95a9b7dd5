#pragma once

// GLSL ES 3.00 sources of the program that stands in for the fixed-function
// pipeline of OpenGL 1.1.
extern const char* const kWebGLVertexShader;
extern const char* const kWebGLFragmentShader;
