// The web pages in headless Chromium: node pages.js SITE_FOLDER PROGRAM
// runs one program's page through a run, a second run after a reload, and
// (for shoalgen) the refusals: a missing asset and a browser without WebGL 2.
'use strict';
const assert = require('node:assert/strict');
const { test, after } = require('node:test');
const h = require('./pageHelpers');

const [site, program] = process.argv.slice(2);
const mates = program === 'shoalgen';
let served;
let browser;

after(async () => {
  if (browser) await browser.close();
  if (served) served.server.close();
});

async function openPage(args) {
  served = served || await h.serve(site);
  browser = browser || await h.launch(args);
  const page = await browser.newPage();
  await page.setViewport({ width: 1200, height: 1000 });
  const errors = h.collectErrors(page);
  await page.goto(served.url + program + '.html');
  await h.waitForState(page, 'ready');
  return { page, errors };
}

// OK with the form as it stands, but windowed: headless has no screen.
async function startRun(page) {
  await page.$eval('#fullScreen', (box) => { box.checked = false; });
  await page.click('#ok');
  await h.waitForState(page, 'running');
}

async function endRun(page) {
  await page.keyboard.press('Escape');
  await h.waitForState(page, 'ended');
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

test(`${program}: a run, then a second after a reload, both in the same Log.txt`, async () => {
  const { page, errors } = await openPage();
  const form = await page.evaluate(() => {
    const value = (id) => document.getElementById(id).value;
    const checked = (id) => document.getElementById(id).checked;
    return {
      renderer: document.querySelector('input[name=renderer]:checked').value,
      resolution: document.getElementById('resolution').selectedOptions[0].text,
      resolutions: document.getElementById('resolution').options.length,
      fullScreen: checked('fullScreen'), autoRotate: checked('autoRotate'),
      minimums: ['minFood', 'minFish1', 'minFish2', 'minFish3'].map(value), percent: value('percent'),
    };
  });
  assert.deepEqual(form, { renderer: 'webgl', resolution: '1024x768x32', resolutions: 6, fullScreen: true,
    autoRotate: false, minimums: ['80', '50', '8', '3'], percent: '10' });

  const panel = await page.$eval('#logPanel summary', (summary) => summary.textContent);
  assert.equal(panel, 'Log.txt');

  await startRun(page);
  await sleep(1000);
  const first = await h.canvasPicture(page);
  assert.deepEqual([first.width, first.height], [1024, 768]);
  assert.ok(first.blueShare > 0.5, `tank blue on ${first.blueShare} of the canvas`);
  assert.ok(first.blueShare < 0.995, 'nothing drawn over the blue');
  await sleep(2500);
  const later = await h.canvasPicture(page);
  assert.ok(h.pictureChange(first, later) > 2, 'the picture did not change within 3 s');
  assert.ok(h.viewChange(first, later) < 0.5, 'the view moved without a key');

  // Insert writes the camera (still where it was placed) and the fish of
  // species 1 and 2; Down moves the eye away, so the tank takes less of the
  // picture.
  await page.keyboard.press('Insert');
  for (let i = 0; i < 60; ++i) await page.keyboard.press('ArrowDown');
  await sleep(300);
  const far = await h.canvasPicture(page);
  assert.ok(h.viewChange(later, far) > 1, 'the arrow keys did not change the view');

  await endRun(page);
  const firstLog = await h.readLog(page);
  const block = h.lastBlock(firstLog);
  assert.equal(block.at(-2), h.kEnd);
  const dump = block.findIndex((line, i) => line === '0 0 1' && block[i + 1] === '0 0 0' && block[i + 2] === '0 1 0');
  assert.ok(dump > 0, 'no camera lines in the log');
  const fishLines = block.slice(dump + 3).findIndex((line) => !h.kVector.test(line));
  assert.ok(fishLines >= 50 + 8, `${fishLines} fish positions after the camera lines`);
  // Before the dump, only mating pairs: equal lines in twos (shoalgen), or
  // nothing (shoalgen2).
  const matings = block.slice(1, dump).filter((line) => h.kVector.test(line));
  assert.equal(matings.length % 2, 0);
  for (let i = 0; i < matings.length; i += 2) assert.equal(matings[i], matings[i + 1]);
  if (mates) assert.ok(matings.length > 0, 'no mating in the first seconds');
  else assert.deepEqual(matings, []);
  assert.deepEqual(errors, []);

  await page.reload();
  await h.waitForState(page, 'ready');
  await startRun(page);
  await sleep(500);
  await endRun(page);
  const log = await h.readLog(page);
  assert.ok(log.startsWith(firstLog), 'the first run\'s block changed');
  assert.equal(log.split(h.kBegin).length - 1, 2, 'two blocks in Log.txt');
  assert.equal(log.split(h.kEnd).length - 1, 2);

  // Leaving the page mid-run ends that run as closing the window does.
  await page.reload();
  await h.waitForState(page, 'ready');
  await startRun(page);
  await sleep(500);
  await page.reload();
  await h.waitForState(page, 'ready');
  const left = await h.readLog(page);
  assert.ok(left.startsWith(log));
  assert.equal(left.split(h.kEnd).length - 1, 3, 'no END line for the run left mid-way');
  assert.deepEqual(errors, []);
});

if (program === 'shoalgen') {
  test('the index introduces and links both pages', async () => {
    const { page } = await openPage();
    await page.goto(served.url);
    const links = await page.$$eval('a', (anchors) => anchors.map((a) => a.getAttribute('href')));
    assert.deepEqual(links, ['shoalgen.html', 'shoalgen2.html']);
  });

  test('a missing asset: the log names it and the run goes on', async () => {
    const { page } = await openPage();
    await page.evaluate(() => FS.unlink('/food.bmp'));
    await startRun(page);
    await sleep(500);
    const first = await h.canvasPicture(page);
    await sleep(2000);
    assert.ok(h.pictureChange(first, await h.canvasPicture(page)) > 2, 'the run stopped');
    const messages = await page.$eval('#messages', (element) => element.textContent);
    assert.match(messages, /food\.bmp/);
    await endRun(page);
    assert.match(h.lastBlock(await h.readLog(page)).join('\n'), /food\.bmp/);
  });

  test('no WebGL 2: the page says why instead of a blank canvas', async () => {
    await browser.close();
    browser = await h.launch(['--disable-webgl2']);
    const { page } = await openPage();
    await page.$eval('#fullScreen', (box) => { box.checked = false; });
    await page.click('#ok');
    await h.waitForState(page, 'failed');
    assert.equal(await page.$eval('#stage', (stage) => stage.hidden), true);
    assert.match(await page.$eval('#messages', (element) => element.textContent),
      /Could not start up graphics engine/);
    assert.match(await h.readLog(page), /Could not start up graphics engine/);
  });
}
