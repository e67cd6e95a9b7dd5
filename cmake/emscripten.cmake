# Compiles to WebAssembly with Debian's emscripten. The 128-bit lane forms of
# the range tests compile to WebAssembly SIMD.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
set(CMAKE_C_FLAGS_INIT "-msimd128 -msse2")
set(CMAKE_CXX_FLAGS_INIT "-msimd128 -msse2")
# emcc runs node for its JavaScript optimiser, which finds Debian's acorn
# only through NODE_PATH.
set(SHOALGEN_EMCC_ENV env NODE_PATH=/usr/share/nodejs)
set(CMAKE_C_COMPILER_LAUNCHER ${SHOALGEN_EMCC_ENV})
set(CMAKE_CXX_COMPILER_LAUNCHER ${SHOALGEN_EMCC_ENV})
set(CMAKE_C_LINKER_LAUNCHER ${SHOALGEN_EMCC_ENV})
set(CMAKE_CXX_LINKER_LAUNCHER ${SHOALGEN_EMCC_ENV})
