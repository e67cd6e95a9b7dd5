// Frames per second of each program's page in headless Chromium (WebGL 2 on
// SwiftShader, the CPU), windowed 1024 x 768 like bench-draw's Windows runs,
// at the default minimums and ten times them. The browser's frame-rate cap
// is lifted, so the page draws as fast as it can, as the Windows programs do.
// Each figure: frames counted over BENCH_MEASURE seconds (12) after
// BENCH_SETTLE seconds (10), as "median (lowest-highest)" of three counts.
//   node benchmarks/web-pages-fps.js SITE_FOLDER
'use strict';
const h = require('../tests/web/pageHelpers');

const site = process.argv[2];
const settle = Number(process.env.BENCH_SETTLE || 10);
const measure = Number(process.env.BENCH_MEASURE || 12);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// One browser frame per frame step: the page's loop runs from the same
// frame callbacks that this counts.
function countFrames(page, seconds) {
  return page.evaluate((ms) => new Promise((resolve) => {
    let frames = 0;
    const end = performance.now() + ms;
    const tick = (now) => {
      if (now >= end) return resolve(frames / (ms / 1000));
      ++frames;
      requestAnimationFrame(tick);
    };
    requestAnimationFrame(tick);
  }), seconds * 1000);
}

async function pageFps(browser, url, program, scale) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1100, height: 900 });
  await page.goto(url + program + '.html');
  await h.waitForState(page, 'ready');
  await page.evaluate((factor) => {
    const set = (id, value) => { document.getElementById(id).value = String(value); };
    set('minFood', 80 * factor);
    set('minFish1', 50 * factor);
    set('minFish2', 8 * factor);
    set('minFish3', 3 * factor);
    document.getElementById('fullScreen').checked = false;
  }, scale);
  await page.click('#ok');
  await h.waitForState(page, 'running');
  await sleep(settle * 1000);
  const counts = [];
  for (let i = 0; i < 3; ++i) counts.push(await countFrames(page, measure / 3));
  await page.close();
  counts.sort((a, b) => a - b);
  return `${counts[1].toFixed(1)} (${counts[0].toFixed(1)}-${counts[2].toFixed(1)})`;
}

(async () => {
  const served = await h.serve(site);
  const browser = await h.launch(['--disable-frame-rate-limit', '--disable-gpu-vsync']);
  try {
    console.log('| program | minimums (food/1/2/3) | WebGL page in Chromium |');
    console.log('|---|---|---|');
    for (const program of ['shoalgen', 'shoalgen2']) {
      for (const scale of [1, 10]) {
        const fps = await pageFps(browser, served.url, program, scale);
        console.log(`| ${program} | ${[80, 50, 8, 3].map((m) => m * scale).join('/')} | ${fps} |`);
      }
    }
  } finally {
    await browser.close();
    served.server.close();
  }
})();
