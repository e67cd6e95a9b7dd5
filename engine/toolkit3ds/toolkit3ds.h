#pragma once

// The 3DS toolkit: plain functions over handles with a process-wide file
// table and error list. A model loads a file with
//   FileOpen3ds, DatabaseInit3ds, DatabaseRead3ds, DatabaseKind3ds,
//   MeshNames3ds, then per mesh MeshRecordInit3ds, MeshByIndex3ds,
//   MeshRecordRelease3ds, and finally NameListRelease3ds,
//   DatabaseRelease3ds, FileClose3ds.
#include "toolkit3ds/chunk3ds.h"
#include "toolkit3ds/chunkData3ds.h"
#include "toolkit3ds/database3ds.h"
#include "toolkit3ds/error3ds.h"
#include "toolkit3ds/file3ds.h"
#include "toolkit3ds/mesh3ds.h"
#include "toolkit3ds/tags3ds.h"
