// Under node with the real file system, emscripten takes the standard
// streams for terminals whatever they are. Tell them as node sees them, so
// that progress goes to a terminal only, as in the native build.
Module['onRuntimeInitialized'] = function () {
  var tty = require('tty');
  for (var fd = 0; fd < 3; ++fd) FS.streams[fd].tty = tty.isatty(fd);
};
