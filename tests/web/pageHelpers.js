// What the browser tests of the web pages share: a static server for the
// site on 127.0.0.1, headless Chromium, the page's states, its log and a
// summary of the canvas as shown.
'use strict';
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

const kTypes = {
  '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.data': 'application/octet-stream',
};

// Serves `root` on a free port; resolves to { server, url }.
function serve(root) {
  const server = http.createServer((request, response) => {
    const name = path.normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    const file = path.join(root, name === '/' ? 'index.html' : name);
    fs.readFile(file, (error, bytes) => {
      if (error || !file.startsWith(root)) {
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, { 'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream' });
      response.end(bytes);
    });
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => resolve({ server, url: `http://127.0.0.1:${server.address().port}/` }));
  });
}

// Headless Chromium with WebGL 2 drawn by SwiftShader, unless `extraArgs`
// switch it off.
function launch(extraArgs = []) {
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', ...extraArgs],
  });
}

// Console errors and uncaught exceptions of `page`, without the two that
// are not the page's: the favicon request and SwiftShader's ReadPixels note.
function collectErrors(page) {
  const errors = [];
  page.on('console', (message) => {
    const text = message.text();
    if (message.type() !== 'error') return;
    if (/favicon|GPU stall due to ReadPixels/.test(text)) return;
    errors.push(text);
  });
  page.on('pageerror', (error) => errors.push(String(error)));
  return errors;
}

function waitForState(page, state, timeout = 30000) {
  return page.waitForFunction((wanted) => document.body.dataset.state === wanted, { timeout }, state);
}

// The persisted Log.txt as the page's file system holds it.
function readLog(page) {
  return page.evaluate(() => FS.readFile('/persist/Log.txt', { encoding: 'utf8' }));
}

const kBegin = '----------------LOG BEGIN------------------';
const kEnd = '----------------LOG END------------------';
const kVector = /^-?[\d.e+-]+ -?[\d.e+-]+ -?[\d.e+-]+$|^(-?(nan|inf) ?){3}$/;

// The lines of the log's last block (from its BEGIN line on).
function lastBlock(log) {
  const lines = log.split('\n');
  return lines.slice(lines.lastIndexOf(kBegin));
}

// The canvas as the screen shows it: the share of pixels that are the tank's
// blue, how many differ clearly from it, and a coarse 16 x 16 grid of mean
// colours to compare two pictures by.
async function canvasPicture(page) {
  const png = await (await page.$('#canvas')).screenshot({ encoding: 'base64' });
  return page.evaluate(async (data) => {
    const image = new Image();
    image.src = 'data:image/png;base64,' + data;
    await image.decode();
    const canvas = document.createElement('canvas');
    canvas.width = image.width;
    canvas.height = image.height;
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    const { data: rgba, width, height } = context.getImageData(0, 0, image.width, image.height);
    const grid = new Array(16 * 16 * 3).fill(0);
    let blue = 0;
    for (let y = 0; y < height; ++y) {
      for (let x = 0; x < width; ++x) {
        const i = 4 * (y * width + x);
        const [r, g, b] = [rgba[i], rgba[i + 1], rgba[i + 2]];
        if (b >= 128 && b > r + 48 && b > g + 16) ++blue;
        const cell = 3 * (Math.floor(16 * y / height) * 16 + Math.floor(16 * x / width));
        grid[cell] += r;
        grid[cell + 1] += g;
        grid[cell + 2] += b;
      }
    }
    const perCell = (width / 16) * (height / 16);
    return { width, height, blueShare: blue / (width * height), grid: grid.map((v) => v / perCell) };
  }, png);
}

// The largest difference of one grid cell's mean colour between two pictures:
// anything that moved.
function pictureChange(a, b) {
  return Math.max(...a.grid.map((v, i) => Math.abs(v - b.grid[i])));
}

// The median difference of the grid cells' mean colours: the view itself
// moved, not only a few fish.
function viewChange(a, b) {
  const changes = a.grid.map((v, i) => Math.abs(v - b.grid[i])).sort((x, y) => x - y);
  return changes[changes.length >> 1];
}

module.exports = {
  serve, launch, collectErrors, waitForState, readLog, lastBlock, canvasPicture, pictureChange, viewChange,
  kBegin, kEnd, kVector,
};
