// node batching.js WEB_BIN ASSETS WORK: the fixed scene's page in its
// "batching" variant, served from WORK with the assets, must find its
// gathered draws identical to the same draws one by one; the picture goes
// to WORK/batching.ppm for a look.
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const h = require('../web/pageHelpers');

const [web, assets, work] = process.argv.slice(2);

(async () => {
  fs.rmSync(work, { recursive: true, force: true });
  fs.cpSync(assets, work, { recursive: true });
  for (const name of ['fixedScene.js', 'fixedScene.wasm', 'fixedScene.html'])
    fs.copyFileSync(path.join(web, name), path.join(work, name));
  const served = await h.serve(path.resolve(work));
  const browser = await h.launch();
  try {
    const page = await browser.newPage();
    const errors = h.collectErrors(page);
    await page.goto(served.url + 'fixedScene.html?batching');
    await page.waitForFunction('window.fixedScene || window.fixedSceneError', { timeout: 60000 });
    const failure = await page.evaluate('window.fixedSceneError');
    if (failure) throw new Error(failure);
    if (errors.length) throw new Error(errors.join('\n'));
    const rgba = await page.evaluate('window.fixedScene');
    const side = Math.round(Math.sqrt(rgba.length / 4));
    const rgb = Buffer.alloc(side * side * 3);
    for (let y = 0; y < side; ++y)
      for (let x = 0; x < side; ++x)
        for (let c = 0; c < 3; ++c)
          rgb[(y * side + x) * 3 + c] = rgba[((side - 1 - y) * side + x) * 4 + c];
    fs.writeFileSync(path.join(work, 'batching.ppm'),
                     Buffer.concat([Buffer.from(`P6\n${side} ${side}\n255\n`), rgb]));
    console.log('batching: gathered and one-by-one pictures are identical');
  } finally {
    await browser.close();
    served.server.close();
  }
})().catch((error) => {
  console.error(`batching: ${error.message}`);
  process.exit(1);
});
