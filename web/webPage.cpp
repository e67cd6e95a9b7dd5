#include "web/webPage.h"

#include <emscripten.h>

EM_JS(void, ShowPageMessage, (const char* text), { shoalgenPage.showMessage(UTF8ToString(text)); });
EM_JS(void, PageStartFailed, (const char* text), { shoalgenPage.failed(UTF8ToString(text)); });
EM_JS(void, SaveLog, (), { shoalgenPage.saveLog(); });
EM_JS(void, PageRunEnded, (), { shoalgenPage.runEnded(); });
