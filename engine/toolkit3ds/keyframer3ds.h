#pragma once

struct chunknode3ds;

// Gives every keyframer node header whose node has a parent a
// TAG_NODE_PARENT child naming that parent ("name" or "name.instance").
// The last step of reading a database; `root` is the database's root.
void KeyframerParentNames3ds(chunknode3ds* root);
