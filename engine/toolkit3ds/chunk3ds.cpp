#include "toolkit3ds/chunk3ds.h"

#include <cstdlib>

#include "toolkit3ds/chunkData3ds.h"
#include "toolkit3ds/error3ds.h"
#include "toolkit3ds/file3ds.h"

// Trees are at most kMaxChunkDepth3ds deep (the reader refuses deeper ones),
// so recursion follows children only and sibling chains are walked in loops.

chunknode3ds* NewChunk3ds() {
  chunknode3ds* chunk = static_cast<chunknode3ds*>(std::calloc(1, sizeof(chunknode3ds)));
  if (chunk == nullptr) {
    ErrorPush3ds(ERR_NO_MEM);
    return nullptr;
  }
  chunk->readIndex = kNoFile3ds;
  chunk->writeIndex = kNoFile3ds;
  return chunk;
}

void AddChildChunk3ds(chunknode3ds* parent, chunknode3ds* child) {
  chunknode3ds** link = &parent->children;
  while (*link != nullptr) link = &(*link)->sibling;
  *link = child;
}

chunknode3ds* SearchSubtree3ds(chunknode3ds* chunk, uint32_t tag) {
  if (chunk == nullptr) return nullptr;
  if (chunk->tag == tag) return chunk;
  for (chunknode3ds* child = chunk->children; child != nullptr; child = child->sibling) {
    chunknode3ds* found = SearchSubtree3ds(child, tag);
    if (found != nullptr) return found;
  }
  return nullptr;
}

chunknode3ds* SearchSiblings3ds(chunknode3ds* chunk, uint32_t tag) {
  while (chunk != nullptr && chunk->tag != tag) chunk = chunk->sibling;
  return chunk;
}

bool ChunkHasFile3ds(const chunknode3ds* chunk) {
  return chunk->readIndex != kNoFile3ds && FileByIndex3ds(chunk->readIndex) != nullptr;
}

void* LoadChunkData3ds(chunknode3ds* chunk) {
  if (chunk == nullptr) {
    ErrorPush3ds(ERR_INVALID_ARG);
    return nullptr;
  }
  if (chunk->data != nullptr || !ChunkHasFile3ds(chunk)) return chunk->data;
  SetCurrentFile3ds(FileByIndex3ds(chunk->readIndex));
  FileSeek3ds(static_cast<uint64_t>(chunk->position) + 6);
  chunk->data = DecodeChunkData3ds(chunk->tag, chunk->size);
  if (ErrorRaised3ds()) FreeChunkData3ds(chunk);
  return chunk->data;
}

void FreeChunkData3ds(chunknode3ds* chunk) {
  if (chunk == nullptr) return;
  FreeData3ds(chunk->tag, chunk->data);
  chunk->data = nullptr;
}

void FreeFileChunkData3ds(chunknode3ds* chunk) {
  if (chunk != nullptr && ChunkHasFile3ds(chunk)) FreeChunkData3ds(chunk);
}

void FreeChunkTree3ds(chunknode3ds** handle) {
  if (handle == nullptr) return;
  chunknode3ds* chunk = *handle;
  *handle = nullptr;
  while (chunk != nullptr) {
    chunknode3ds* next = chunk->sibling;
    FreeChunkTree3ds(&chunk->children);
    FreeChunkData3ds(chunk);
    std::free(chunk);
    chunk = next;
  }
}

void CloneChunk3ds(chunknode3ds* chunk, chunknode3ds** out) {
  if (chunk == nullptr || out == nullptr) {
    ErrorPush3ds(ERR_INVALID_ARG);
    return;
  }
  *out = nullptr;
  chunknode3ds* clone = NewChunk3ds();
  if (clone == nullptr) return;
  clone->tag = chunk->tag;
  clone->size = chunk->size;
  clone->position = chunk->position;
  clone->readIndex = chunk->readIndex;
  clone->writeIndex = chunk->writeIndex;
  if (chunk->data != nullptr) {
    if (ChunkHasFile3ds(chunk)) {
      clone->data = chunk->data;
      chunk->data = nullptr;
    } else {
      clone->data = CopyData3ds(chunk->tag, chunk->size, chunk->data);
    }
  }
  chunknode3ds** link = &clone->children;
  for (chunknode3ds* child = chunk->children; child != nullptr && !ErrorRaised3ds();
       child = child->sibling) {
    CloneChunk3ds(child, link);
    if (*link != nullptr) link = &(*link)->sibling;
  }
  if (ErrorRaised3ds()) {
    FreeChunkTree3ds(&clone);
    return;
  }
  *out = clone;
}
