#pragma once

#include <cstdint>

// One chunk of a 3DS database: the tree mirrors the file's chunk tree.
struct chunknode3ds {
  uint32_t tag;
  uint32_t size;  // the whole chunk, its 6 header bytes included
  uint32_t position;  // file offset of the header
  void* data;  // decoded data (chunkData3ds.h), null until loaded; owned
  chunknode3ds* sibling;  // owned
  chunknode3ds* children;  // first child; owned
  uint8_t readIndex;  // file table slot of the file it was read from, kNoFile3ds if none
  uint8_t writeIndex;  // carried along by cloning only
};

// A fresh node (tag 0, no data, no file), or null with ERR_NO_MEM.
chunknode3ds* NewChunk3ds();
// Appends `child` as the last child of `parent`.
void AddChildChunk3ds(chunknode3ds* parent, chunknode3ds* child);

// First chunk with the tag in a depth-first pre-order walk of the subtree
// that starts at `chunk` itself (its own siblings are not visited).
chunknode3ds* SearchSubtree3ds(chunknode3ds* chunk, uint32_t tag);
// First chunk with the tag along the sibling chain starting at `chunk`.
chunknode3ds* SearchSiblings3ds(chunknode3ds* chunk, uint32_t tag);

// The chunk's decoded data, read from its file on first demand.
void* LoadChunkData3ds(chunknode3ds* chunk);
void FreeChunkData3ds(chunknode3ds* chunk);
// Frees the data only when it can be read again from the chunk's file.
void FreeFileChunkData3ds(chunknode3ds* chunk);
// Frees the chunk, its data, its children and its following siblings.
void FreeChunkTree3ds(chunknode3ds** handle);
// Copies the chunk and its children (not its siblings). File-backed data
// moves to the copy; other data is copied.
void CloneChunk3ds(chunknode3ds* chunk, chunknode3ds** out);
// Whether the chunk's data can be read again from an open file.
bool ChunkHasFile3ds(const chunknode3ds* chunk);

// The reader refuses trees nested deeper than this (real files use about 7
// levels); it bounds the recursion of the tree operations.
constexpr int kMaxChunkDepth3ds = 64;
