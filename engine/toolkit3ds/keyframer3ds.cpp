#include "toolkit3ds/keyframer3ds.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "toolkit3ds/chunk3ds.h"
#include "toolkit3ds/chunkData3ds.h"
#include "toolkit3ds/error3ds.h"
#include "toolkit3ds/tags3ds.h"

namespace {
const uint32_t kNodeTags[] = {TAG_NODE_TARGET, TAG_NODE_OBJECT, TAG_NODE_CAMERA,
                              TAG_NODE_LIGHT, TAG_NODE_LIGHT_TARGET, TAG_NODE_SPOTLIGHT};

bool IsNodeTag(uint32_t tag) {
  for (uint32_t nodeTag : kNodeTags) {
    if (tag == nodeTag) return true;
  }
  return false;
}

struct NodeEntry {
  int16_t id;
  char* name;
  char* instance;  // null when none
  int16_t parentIndex;
};

struct NodeList {
  NodeEntry* entries = nullptr;
  size_t count = 0;
  size_t capacity = 0;

  ~NodeList() {
    for (size_t i = 0; i < count; i++) {
      std::free(entries[i].name);
      std::free(entries[i].instance);
    }
    std::free(entries);
  }

  // A zeroed entry at the end, or null with ERR_NO_MEM.
  NodeEntry* Append() {
    if (count == capacity) {
      const size_t grown = capacity == 0 ? 8 : capacity * 2;
      NodeEntry* larger = static_cast<NodeEntry*>(std::realloc(entries, grown * sizeof(NodeEntry)));
      if (larger == nullptr) {
        ErrorPush3ds(ERR_NO_MEM);
        return nullptr;
      }
      entries = larger;
      capacity = grown;
    }
    NodeEntry* entry = &entries[count++];
    std::memset(entry, 0, sizeof *entry);
    return entry;
  }

  NodeEntry* Find(int16_t id) {
    for (size_t i = 0; i < count; i++) {
      if (entries[i].id == id) return &entries[i];
    }
    return nullptr;
  }
};

char* Copy(const char* text) {
  if (text == nullptr) text = "";
  const size_t length = std::strlen(text);
  char* copy = static_cast<char*>(std::malloc(length + 1));
  if (copy == nullptr) {
    ErrorPush3ds(ERR_NO_MEM);
    return nullptr;
  }
  std::memcpy(copy, text, length + 1);
  return copy;
}

// Adds the entry of one node chunk; false on error.
bool AddNode(NodeList& nodes, chunknode3ds* node) {
  chunknode3ds* header = SearchSubtree3ds(node, TAG_NODE_HEADER);
  if (header == nullptr) return true;
  const nodeheader3ds* data = static_cast<const nodeheader3ds*>(LoadChunkData3ds(header));
  if (ErrorRaised3ds()) return false;
  NodeEntry* entry = nodes.Append();
  if (entry == nullptr) return false;
  entry->name = Copy(data != nullptr ? data->name : nullptr);
  entry->parentIndex = data != nullptr ? data->parentIndex : -1;
  entry->id = -1;
  if (entry->name == nullptr) return false;

  chunknode3ds* idChunk = SearchSubtree3ds(node, TAG_NODE_ID);
  if (idChunk != nullptr) {
    const nodeid3ds* id = static_cast<const nodeid3ds*>(LoadChunkData3ds(idChunk));
    if (ErrorRaised3ds()) return false;
    if (id != nullptr) entry->id = id->id;
    FreeFileChunkData3ds(idChunk);
  }
  if (node->tag == TAG_NODE_OBJECT) {
    chunknode3ds* instance = SearchSubtree3ds(node, TAG_NODE_INSTANCE);
    if (instance != nullptr) {
      const char* name = static_cast<const char*>(LoadChunkData3ds(instance));
      if (ErrorRaised3ds()) return false;
      if (name != nullptr) {
        entry->instance = Copy(name);
        if (entry->instance == nullptr) return false;
      }
      FreeFileChunkData3ds(instance);
    }
  }
  FreeFileChunkData3ds(header);
  return true;
}

// Gives one node chunk's header its parent name; false on error.
bool NameParent(NodeList& nodes, chunknode3ds* node) {
  chunknode3ds* header = SearchSubtree3ds(node, TAG_NODE_HEADER);
  chunknode3ds* idChunk = SearchSubtree3ds(node, TAG_NODE_ID);
  if (header == nullptr || idChunk == nullptr) return true;
  const nodeid3ds* id = static_cast<const nodeid3ds*>(LoadChunkData3ds(idChunk));
  if (ErrorRaised3ds()) return false;
  if (id == nullptr) return true;
  const NodeEntry* entry = nodes.Find(id->id);
  if (entry == nullptr || entry->parentIndex == -1) return true;
  const NodeEntry* parent = nodes.Find(entry->parentIndex);
  if (parent == nullptr) return true;
  if (SearchSiblings3ds(header->children, TAG_NODE_PARENT) != nullptr) return true;

  // Names hold at most 10 characters each.
  char name[2 * kObjectNameLimit3ds + 1];
  if (parent->instance != nullptr) {
    std::snprintf(name, sizeof name, "%s.%s", parent->name, parent->instance);
  } else {
    std::snprintf(name, sizeof name, "%s", parent->name);
  }
  chunknode3ds* chunk = NewChunk3ds();
  if (chunk == nullptr) return false;
  chunk->tag = TAG_NODE_PARENT;
  chunk->data = Copy(name);
  if (chunk->data == nullptr) {
    FreeChunkTree3ds(&chunk);
    return false;
  }
  chunk->size = static_cast<uint32_t>(6 + std::strlen(name) + 1);
  AddChildChunk3ds(header, chunk);
  return true;
}
}  // namespace

void KeyframerParentNames3ds(chunknode3ds* root) {
  chunknode3ds* keyframer = SearchSubtree3ds(root, TAG_KEYFRAMER);
  if (keyframer == nullptr) return;
  NodeList nodes;
  for (chunknode3ds* node = keyframer->children; node != nullptr; node = node->sibling) {
    if (IsNodeTag(node->tag) && !AddNode(nodes, node)) return;
  }
  bool unnumbered = false;
  for (size_t i = 0; i < nodes.count; i++) unnumbered |= nodes.entries[i].id == -1;
  if (unnumbered) {
    for (size_t i = 0; i < nodes.count; i++) nodes.entries[i].id = static_cast<int16_t>(i);
  }
  for (uint32_t tag : kNodeTags) {
    for (chunknode3ds* node = SearchSubtree3ds(keyframer, tag); node != nullptr;
         node = SearchSiblings3ds(node->sibling, tag)) {
      if (!NameParent(nodes, node)) return;
    }
  }
}
