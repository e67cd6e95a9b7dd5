// The page around one program: the settings form starts the run, messages
// show above it, and the program's Log.txt lives in the browser's storage
// (IndexedDB), where every run appends its block.
'use strict';

var shoalgenPage = (function () {
  const logPath = '/persist/Log.txt';
  // The lines IndexedDB may not hold yet when the page is left, kept where
  // a write is done at once; the next page adds them to Log.txt.
  const tailKey = 'shoalgen: end of Log.txt';
  // Bytes of Log.txt that IndexedDB is known to hold.
  let storedLength = 0;
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

  function logBytes() {
    return FS.analyzePath(logPath).exists ? FS.readFile(logPath) : new Uint8Array();
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
    const length = logBytes().length;
    FS.syncfs(false, (error) => {
      saving = false;
      if (!error) storedLength = Math.max(storedLength, length);
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
      storedLength = logBytes().length;
      addLeftTail();
      FS.symlink(logPath, '/Log.txt');
      removeRunDependency('log');
    });
  }

  // Adds what a page left unsaved, unless its write to IndexedDB finished.
  function addLeftTail() {
    let left = null;
    try {
      left = JSON.parse(localStorage.getItem(tailKey));
      localStorage.removeItem(tailKey);
    } catch (error) { return; }
    if (!left || typeof left.tail !== 'string' || typeof left.from !== 'number') return;
    const bytes = logBytes();
    const missing = left.tail.slice(Math.max(0, bytes.length - left.from));
    if (!missing) return;
    const added = Uint8Array.from(missing, (c) => c.charCodeAt(0));
    const whole = new Uint8Array(bytes.length + added.length);
    whole.set(bytes);
    whole.set(added, bytes.length);
    FS.writeFile(logPath, whole);
    saveLog();
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
  // A run still going ends as the page is left; what IndexedDB does not
  // hold by then is kept for the next page (saveLog's write may not finish).
  window.addEventListener('pagehide', () => {
    if (document.body.dataset.state === 'running') Module.ccall('LeavePage', null, [], []);
    if (typeof FS === 'undefined' || !FS.analyzePath(logPath).exists) return;
    const bytes = logBytes();
    if (bytes.length <= storedLength) return;
    let tail = '';
    for (const byte of bytes.subarray(storedLength)) tail += String.fromCharCode(byte);
    try {
      localStorage.setItem(tailKey, JSON.stringify({ from: storedLength, tail }));
    } catch (error) { /* no such storage here: these lines are lost */ }
  });
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
