// The web build's loading figures in headless Chromium, as JSON on one line:
//
//     node bench/web_load.mjs SITE_DIR SINGLE_HTML [RUNS]
//
//   firstPictureMs        the served site, first picture after navigation
//   slowFirstPictureMs    the same over an emulated slow link (1.5 Mbit/s down
//                         and up, 300 ms latency) from a server that
//                         compresses, with an empty cache: each run and the
//                         median of RUNS (default 3)
//   slowFilesMs           when each file had come in the median run
//   singleFirstPictureMs  the one-file page opened from disk
//   soundBehindMs         how far ahead of the speakers the game's sound is
//                         queued, at its most over a second
//   criticalGzipBytes     what the site's page loads before its first picture
//                         (page, script, code), compressed as served
//
// Needs tests/web/node_modules (npm ci in tests/web) and Debian's chromium.
import { chromium } from '../tests/web/node_modules/playwright-core/index.mjs';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import zlib from 'node:zlib';

const [siteDir, singleFile, runsArg] = process.argv.slice(2);
if (!singleFile) {
  console.error('usage: node bench/web_load.mjs SITE_DIR SINGLE_HTML [RUNS]');
  process.exit(2);
}
const runs = Number(runsArg || 3);
const root = path.resolve(siteDir);

// A static server that compresses what compresses, as hosts do.
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png',
  '.webmanifest': 'application/manifest+json', '.tar': 'application/x-tar', '.txt': 'text/plain' };
const gzipped = new Map();
function compressed(file) {
  if (!gzipped.has(file)) gzipped.set(file, zlib.gzipSync(fs.readFileSync(file), { level: 9 }));
  return gzipped.get(file);
}
const server = http.createServer((request, response) => {
  let name = decodeURIComponent(new URL(request.url, 'http://host').pathname);
  if (name.endsWith('/')) name += 'index.html';
  const file = path.join(root, path.normalize(name));
  if (!file.startsWith(root) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
    response.writeHead(404).end();
    return;
  }
  const headers = { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' };
  if (path.extname(file) !== '.png' && /gzip/.test(request.headers['accept-encoding'] || '')) {
    headers['Content-Encoding'] = 'gzip';
    response.writeHead(200, headers).end(compressed(file));
  } else {
    response.writeHead(200, headers).end(fs.readFileSync(file));
  }
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const site = `http://127.0.0.1:${server.address().port}/`;

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
    '--autoplay-policy=no-user-gesture-required'],
});

// Opens a page (on a slow link when asked) and waits for its first picture.
async function firstPicture(url, slow) {
  const context = await browser.newContext({ viewport: { width: 1024, height: 768 } });
  const page = await context.newPage();
  const cdp = await context.newCDPSession(page);
  await cdp.send('Network.enable');
  await cdp.send('Network.setCacheDisabled', { cacheDisabled: true });
  if (slow) {
    const bytesPerSecond = 1.5e6 / 8;
    await cdp.send('Network.emulateNetworkConditions',
      { offline: false, latency: 300, downloadThroughput: bytesPerSecond, uploadThroughput: bytesPerSecond });
  }
  await page.goto(url);
  await page.waitForFunction(() => window.mirelanthaFirstPicture, null, { timeout: 60000, polling: 10 });
  const figures = await page.evaluate(() => ({
    ms: Math.round(window.mirelanthaFirstPicture),
    files: Object.fromEntries(performance.getEntriesByType('resource')
      .filter((entry) => entry.responseEnd <= window.mirelanthaFirstPicture)
      .map((entry) => [entry.name.split('/').pop(), Math.round(entry.responseEnd)])),
  }));
  return { ...figures, page, context };
}

const figures = {};
try {
  const fast = await firstPicture(site, false);
  figures.firstPictureMs = fast.ms;
  // The sound: how far ahead of the speakers it is queued.
  await fast.page.waitForTimeout(1000);
  let behind = 0;
  for (let i = 0; i < 40; i++) {
    behind = Math.max(behind, await fast.page.evaluate(() => {
      const context = SDL.audioContext;
      return (SDL.audio.nextPlayTime - context.currentTime) + (context.baseLatency || 0) + (context.outputLatency || 0);
    }));
    await fast.page.waitForTimeout(25);
  }
  figures.soundBehindMs = Math.round(behind * 1000);
  await fast.context.close();

  const slow = [];
  for (let i = 0; i < runs; i++) {
    const run = await firstPicture(site, true);
    slow.push(run);
    await run.context.close();
  }
  slow.sort((a, b) => a.ms - b.ms);
  const median = slow[Math.floor(slow.length / 2)];
  figures.slowFirstPictureMs = { runs: slow.map((run) => run.ms), median: median.ms };
  figures.slowFilesMs = median.files;

  const single = await firstPicture(`file://${path.resolve(singleFile)}`, false);
  figures.singleFirstPictureMs = single.ms;
  await single.context.close();

  figures.criticalGzipBytes = ['index.html', 'mirelantha.js', 'mirelantha.wasm']
    .reduce((sum, name) => sum + compressed(path.join(root, name)).length, 0);
} finally {
  await browser.close();
  server.close();
}
console.log(JSON.stringify(figures));
