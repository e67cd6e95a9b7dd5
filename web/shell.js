// The page around one program: the settings form starts the run, messages
// show above it, and the program's Log.txt lives in the browser's storage
// (IndexedDB), where every run appends its block.
'use strict';

var shoalgenPage = (function () {
  const logPath = '/persist/Log.txt';
  const byId = (id) => document.getElementById(id);
  let saving = false;
  let saveAgain = false;
  let ending = false;
  let storageWarned = false;

  function setState(state) {
    document.body.dataset.state = state;
  }

  function showMessage(text) {
    const line = document.createElement('p');
    line.className = 'message';
    line.textContent = text;
    byId('messages').append(line);
  }

  function logText() {
    return FS.analyzePath(logPath).exists ? FS.readFile(logPath, { encoding: 'utf8' }) : '';
  }

  function refreshLogPanel() {
    if (byId('logPanel').open && typeof FS !== 'undefined') byId('logText').textContent = logText();
  }

  // One write to IndexedDB at a time; a request during one runs after it.
  function saveLog() {
    if (saving) {
      saveAgain = true;
      return;
    }
    saving = true;
    FS.syncfs(false, (error) => {
      saving = false;
      refreshLogPanel();
      if (error && !storageWarned) {
        storageWarned = true;
        showMessage('The browser did not keep Log.txt in its storage: a reload loses this run\'s lines.');
      }
      if (saveAgain) {
        saveAgain = false;
        saveLog();
      } else if (ending) {
        ending = false;
        setState('ended');
      }
    });
  }

  function runEnded() {
    ending = true;
    byId('stage').hidden = true;
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    showMessage('The run has ended. Reload the page for another; Log.txt keeps every run.');
    saveLog();
  }

  // Before the program starts: the storage folder, read back from IndexedDB,
  // and Log.txt in the working directory pointing into it.
  function mountLog() {
    FS.mkdir('/persist');
    FS.mount(IDBFS, {}, '/persist');
    addRunDependency('log');
    FS.syncfs(true, (error) => {
      if (error) showMessage('The browser\'s storage could not be read: Log.txt starts empty.');
      if (!FS.analyzePath(logPath).exists) FS.writeFile(logPath, '');
      FS.symlink(logPath, '/Log.txt');
      removeRunDependency('log');
    });
  }

  function start(event) {
    event.preventDefault();
    const form = byId('settings');
    if (byId('fullScreen').checked && byId('stage').requestFullscreen) {
      // A refusal (no full screen here) leaves the canvas in the page.
      byId('stage').requestFullscreen().catch(() => {});
    }
    form.hidden = true;
    byId('stage').hidden = false;
    setState('running');
    const text = (id) => byId(id).value;
    Module.ccall('StartRun', null,
      ['number', 'number', 'number', 'string', 'string', 'string', 'string', 'string'],
      [byId('resolution').selectedIndex, byId('fullScreen').checked, byId('autoRotate').checked,
       text('minFood'), text('minFish1'), text('minFish2'), text('minFish3'), text('percent')]);
    byId('canvas').focus();
  }

  function failed(text) {
    showMessage(text);
    byId('settings').hidden = true;
    byId('stage').hidden = true;
    setState('failed');
  }

  byId('settings').addEventListener('submit', start);
  byId('logPanel').addEventListener('toggle', refreshLogPanel);
  byId('download').addEventListener('click', (event) => {
    if (typeof FS === 'undefined') {
      event.preventDefault();
      return;
    }
    const link = event.currentTarget;
    if (link.href.startsWith('blob:')) URL.revokeObjectURL(link.href);
    link.href = URL.createObjectURL(new Blob([logText()], { type: 'text/plain' }));
  });

  return { showMessage, saveLog, runEnded, mountLog, failed,
           ready: () => { byId('ok').disabled = false; setState('ready'); } };
})();

var Module = {
  preRun: [shoalgenPage.mountLog],
  onRuntimeInitialized: shoalgenPage.ready,
  print: (text) => console.log(text),
  printErr: (text) => console.warn(text),
  onAbort: (what) => shoalgenPage.failed('The program stopped: ' + what),
};

// A browser without WebAssembly never runs the program's script.
if (typeof WebAssembly !== 'object') {
  shoalgenPage.failed('This browser cannot run WebAssembly, which the tank needs.');
}
