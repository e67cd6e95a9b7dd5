// What the page benchmarks share: starting a program's page with the
// default minimums times a scale, windowed, and counting its frames.
'use strict';
const h = require('../tests/web/pageHelpers');

// Browser switches for a page that draws as fast as it can. Without the
// frame-rate cap and vsync alone, the compositor's own SwiftShader work
// starves the page: its rate swings tenfold from one second to the next and
// stalls for minutes. Compositing on the CPU instead (the page's WebGL stays
// on SwiftShader) keeps it within a few percent from second to second, and
// near the rate the capped page reaches where that is below the cap.
const kUncapped = ['--disable-frame-rate-limit', '--disable-gpu-vsync', '--disable-gpu-compositing'];

// Opens `program`'s page, fills the form with `scale` times the default
// minimums and starts the run; resolves to the page once it runs.
async function startPage(browser, url, program, scale) {
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
  return page;
}

// Browser frames per second over at least `seconds`: the page's loop runs
// from the same frame callbacks that this counts, one frame step each. The
// time is the callbacks' own, so a frame that takes long counts in full.
function countFrames(page, seconds) {
  return page.evaluate((ms) => new Promise((resolve) => {
    let frames = 0;
    let start = 0;
    const tick = (now) => {
      if (!start) start = now;
      else if (now - start >= ms) return resolve(frames / ((now - start) / 1000));
      ++frames;
      requestAnimationFrame(tick);
    };
    requestAnimationFrame(tick);
  }), seconds * 1000);
}

module.exports = { startPage, countFrames, kUncapped };
