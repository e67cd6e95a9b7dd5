// node capture.mjs URL OUT.ppm: opens the fixed scene's page in headless
// Chromium (WebGL 2 through SwiftShader) and writes the picture it read
// back as a binary PPM, top row first. Exits non-zero on a page error.
import { writeFileSync } from 'node:fs';
import puppeteer from 'puppeteer-core';
const [url, out] = process.argv.slice(2);

const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
});
try {
  const page = await browser.newPage();
  const errors = [];
  const lines = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  page.on('console', (message) => {
    lines.push(message.text());
    if (message.type() === 'error') errors.push(message.text());
  });
  await page.goto(url);
  try {
    await page.waitForFunction('window.fixedScene || window.fixedSceneError', { timeout: 60000 });
  } catch (error) {
    throw new Error(`${error.message}; the page said:\n${lines.concat(errors).join('\n')}`);
  }
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
  writeFileSync(out, Buffer.concat([Buffer.from(`P6\n${side} ${side}\n255\n`), rgb]));
} finally {
  await browser.close();
}
