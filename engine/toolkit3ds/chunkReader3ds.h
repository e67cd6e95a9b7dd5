#pragma once

struct chunknode3ds;

// Reads the sub-chunks of `parent` from its file, whose read position is the
// parent's data start: skips the parent's fixed part, then reads children up
// to the parent's end. `depth` is the parent's level (the root is 1). A chunk
// whose size is below 6, that ends beyond its parent or that is nested too
// deep is refused with ERR_INVALID_CHUNK; reading only ever moves forward.
// On failure every level records ERR_READING_DATABASE; what was read stays.
bool ReadChunkChildren3ds(chunknode3ds* parent, int depth);
