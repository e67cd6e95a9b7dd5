#pragma once

// What the program tells the page it runs in (the page's script provides
// each of these; C linkage, as EM_JS defines them).
extern "C" {

// Shows a message to the person at the page, as a message box would.
void ShowPageMessage(const char* text);
// The run could not start: the page shows why in place of the canvas.
void PageStartFailed(const char* text);
// Writes the files of the persistent folder (the log) to the browser's
// storage; the page runs one write at a time and queues the next.
void SaveLog();
// The run has ended: the page saves the log and says so.
void PageRunEnded();
}
