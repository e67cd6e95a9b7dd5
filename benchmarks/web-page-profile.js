// Where a page's frame time goes: one program's page in headless Chromium,
// set up as web-pages-fps.js sets it up, sampled by `perf` while it runs.
// Prints the frames per second over the sampling, each Chromium thread's
// share of the samples (process id, thread name: the page's main thread,
// the GPU process's command decoding, SwiftShader's workers, the display
// compositor), the libraries they run in, and the busiest functions (code
// that V8 or SwiftShader compiled shows as addresses).
//   node benchmarks/web-page-profile.js SITE_FOLDER [PROGRAM] [SCALE]
// Settings from the environment: BENCH_SETTLE (10 s), BENCH_MEASURE (8 s),
// PROFILE_KEEP (set: the perf data stays for perf report).
'use strict';
const { execFileSync, spawn } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const h = require('../tests/web/pageHelpers');
const { startPage, countFrames, kUncapped } = require('./webPageRun');

const [site, program = 'shoalgen', scaleText = '1'] = process.argv.slice(2);
const settle = Number(process.env.BENCH_SETTLE || 10);
const measure = Number(process.env.BENCH_MEASURE || 8);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The browser's process and every process below it.
function processTree(root) {
  const children = new Map();
  for (const line of execFileSync('ps', ['-e', '-o', 'pid=,ppid=']).toString().trim().split('\n')) {
    const [pid, ppid] = line.trim().split(/\s+/).map(Number);
    if (!children.has(ppid)) children.set(ppid, []);
    children.get(ppid).push(pid);
  }
  const tree = [];
  const visit = (pid) => {
    tree.push(pid);
    for (const child of children.get(pid) || []) visit(child);
  };
  visit(root);
  return tree;
}

// perf report's lines as { share, fields }, biggest first.
function perfShares(data, sortKeys) {
  const text = execFileSync('perf', ['report', '-i', data, '--stdio', '--no-children', '-g', 'none',
    '--percent-limit', '0.5', '--sort', sortKeys], { maxBuffer: 1 << 26 }).toString();
  return text.split('\n').filter((line) => /^\s+[\d.]+%/.test(line)).map((line) => {
    const [share, ...fields] = line.trim().split(/\s+/);
    return { share, fields };
  });
}

(async () => {
  const served = await h.serve(site);
  const browser = await h.launch(kUncapped);
  const data = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'pageprofile-')), 'perf.data');
  try {
    const page = await startPage(browser, served.url, program, Number(scaleText));
    await sleep(settle * 1000);
    const pids = processTree(browser.process().pid);
    const perf = spawn('perf', ['record', '-F', '499', '-o', data, '-p', pids.join(',')],
      { stdio: 'ignore' });
    const fps = await countFrames(page, measure);
    const stopped = new Promise((resolve) => perf.on('exit', resolve));
    perf.kill('SIGINT');
    await stopped;

    console.log(`${program} at ${scaleText}x: ${fps.toFixed(1)} frames per second while sampled`);
    console.log('\nSamples by process and thread:');
    for (const { share, fields } of perfShares(data, 'pid,comm')) console.log(`  ${share.padStart(7)}  ${fields.join(' ')}`);
    console.log('\nSamples by thread and library:');
    for (const { share, fields } of perfShares(data, 'comm,dso')) console.log(`  ${share.padStart(7)}  ${fields.join(' ')}`);
    console.log('\nBusiest functions:');
    for (const { share, fields } of perfShares(data, 'comm,sym').slice(0, 30)) console.log(`  ${share.padStart(7)}  ${fields.join(' ')}`);
  } finally {
    await browser.close();
    served.server.close();
    if (!process.env.PROFILE_KEEP) fs.rmSync(path.dirname(data), { recursive: true, force: true });
  }
})();
