// Frames per second of each program's page in headless Chromium (WebGL 2 on
// SwiftShader, the CPU), windowed 1024 x 768 like bench-draw's Windows runs,
// at the default minimums and ten times them. The browser's frame-rate cap
// is lifted, so the page draws as fast as it can, as the Windows programs do
// (see webPageRun.js for how). Each figure: frames per second over
// BENCH_MEASURE seconds (24) after BENCH_SETTLE seconds (10).
//   node benchmarks/web-pages-fps.js [LABEL=]SITE_FOLDER ...
// Given several sites (say before=/tmp/old after=build/web/site), each
// setting is measured on each site in turn, so the machine's load falls on
// all alike, and the table has one column per site.
'use strict';
const h = require('../tests/web/pageHelpers');
const { startPage, countFrames, kUncapped } = require('./webPageRun');

const sites = process.argv.slice(2).map((arg, i) => {
  const at = arg.indexOf('=');
  return at > 0 ? { label: arg.slice(0, at), folder: arg.slice(at + 1) }
    : { label: i ? `site ${i + 1}` : 'WebGL page in Chromium', folder: arg };
});
const settle = Number(process.env.BENCH_SETTLE || 10);
const measure = Number(process.env.BENCH_MEASURE || 24);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

async function pageFps(browser, url, program, scale) {
  const page = await startPage(browser, url, program, scale);
  await sleep(settle * 1000);
  const rate = await countFrames(page, measure);
  await page.close();
  return rate.toFixed(1);
}

(async () => {
  const served = await Promise.all(sites.map((site) => h.serve(site.folder)));
  const browser = await h.launch(kUncapped);
  try {
    console.log(`| program | minimums (food/1/2/3) | ${sites.map((site) => site.label).join(' | ')} |`);
    console.log(`|---|---|${sites.map(() => '---|').join('')}`);
    for (const program of ['shoalgen', 'shoalgen2']) {
      for (const scale of [1, 10]) {
        const figures = [];
        for (const { url } of served) figures.push(await pageFps(browser, url, program, scale));
        console.log(`| ${program} | ${[80, 50, 8, 3].map((m) => m * scale).join('/')} | ${figures.join(' | ')} |`);
      }
    }
  } finally {
    await browser.close();
    for (const { server } of served) server.close();
  }
})();
