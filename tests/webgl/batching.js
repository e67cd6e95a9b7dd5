// node batching.js WEB_BIN ASSETS WORK: the fixed scene's page in its
// "batching" variant, served from WORK with the assets, must find its
// gathered draws identical to the same draws one by one (capture.mjs fails
// on the page's error); the picture goes to WORK/batching.ppm for a look.
'use strict';
const { spawn } = require('node:child_process');
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
  try {
    // A child process, so that this one stays free to serve the page.
    const capture = spawn(process.execPath, [path.join(__dirname, 'capture.mjs'),
      served.url + 'fixedScene.html?batching', path.join(work, 'batching.ppm')], { stdio: 'inherit' });
    const code = await new Promise((resolve) => capture.on('exit', resolve));
    if (code !== 0) throw new Error('the page found the pictures different or failed');
  } finally {
    served.server.close();
  }
  console.log('batching: gathered and one-by-one pictures are identical');
})().catch((error) => {
  console.error(`batching: ${error.message}`);
  process.exit(1);
});
