// The web build played in headless Chromium as a player would: the site zip
// served by a plain file server, then the one-file page opened from disk.
//
//     node e2e.mjs SITE_ZIP SINGLE_HTML WEB_BUILD [--figures]
//
// Checks, in order: the title screen at once, cell for cell as the game's core
// draws it; the first key wakes the sound and does not start a game; a held
// key is one press; a whole stock planted and the garden opened; screenshots
// offered as downloads of the picture the page shows; Escape back to the
// title and Escape again to end, the page then saying how to play again; no
// page error and no failed request throughout. With --figures it prints the
// speed figures (first picture, sound delay) as JSON.
import { chromium } from 'playwright-core';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { decodePng } from './png.mjs';

const [zipFile, singleFile, webBuild] = process.argv.slice(2);
const wantFigures = process.argv.includes('--figures');
if (!webBuild) {
  console.error('usage: node e2e.mjs SITE_ZIP SINGLE_HTML WEB_BUILD [--figures]');
  process.exit(2);
}

const Width = 1024;
const Height = 768;
const Columns = 128;
const Rows = 96;
const Tolerance = 25;  // the palette's drift keeps a colour within about 20 of its base

let failures = 0;
function check(ok, what) {
  console.log(`${ok ? 'ok' : 'FAILED'}: ${what}`);
  if (!ok) failures++;
}

// ---------------------------------------------------------------------------
// What the picture should show
// ---------------------------------------------------------------------------

const drawn = execFileSync('node', ['--no-experimental-fetch', path.join(webBuild, 'title-cells.js'), 'dat'])
  .toString().trim().split('\n');
const basePalette = drawn.slice(0, 10).map((line) => line.split(',').map(Number));
const titlePhases = [drawn.slice(10, 10 + Rows), drawn.slice(10 + Rows, 10 + 2 * Rows)];

// The palette index each framebuffer pixel shows (rows top first, '?' for a
// colour near none), read at the window pixel nearest its middle.
function cellsOf(picture) {
  const rows = [];
  for (let r = 0; r < Rows; r++) {
    let line = '';
    const py = Math.floor((r + 0.5) * picture.height / Rows);
    for (let x = 0; x < Columns; x++) {
      const px = Math.floor((x + 0.5) * picture.width / Columns);
      const at = (py * picture.width + px) * 4;
      let best = '?';
      let nearest = Tolerance + 1;
      basePalette.forEach((base, index) => {
        const distance = Math.max(...[0, 1, 2].map((k) => Math.abs(picture.rgba[at + k] - base[k])));
        if (distance < nearest) {
          nearest = distance;
          best = String(index);
        }
      });
      line += best;
    }
    rows.push(line);
  }
  return rows;
}

// Pixels showing neither phase of the expected screen.
function differences(cells, phases) {
  let count = 0;
  for (let r = 0; r < Rows; r++) {
    for (let x = 0; x < Columns; x++) {
      if (!phases.some((phase) => phase[r][x] === cells[r][x])) count++;
    }
  }
  return count;
}

const cellAt = (cells, x, y) => cells[Rows - 1 - y][x];

async function shownCells(page) {
  const picture = decodePng(await page.screenshot());
  return { picture, cells: cellsOf(picture) };
}

// ---------------------------------------------------------------------------
// The site, served as a plain static host would
// ---------------------------------------------------------------------------

const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'mirelantha-web-'));
execFileSync('unzip', ['-q', zipFile, '-d', scratch]);
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.txt': 'text/plain' };
const served = [];
const server = http.createServer((request, response) => {
  const name = decodeURIComponent(new URL(request.url, 'http://host').pathname);
  const file = path.join(scratch, path.normalize(name));
  if (!file.startsWith(scratch) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
    served.push(`${name} 404`);
    response.writeHead(404).end();
    return;
  }
  served.push(`${name} 200`);
  response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
  fs.createReadStream(file).pipe(response);
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const site = `http://127.0.0.1:${server.address().port}/`;

// ---------------------------------------------------------------------------
// The browser
// ---------------------------------------------------------------------------

// Playwright starts every browser with a fresh profile of its own.
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
    '--autoplay-policy=document-user-activation-required'],
});

// Records how loud the sound handed to the browser is, from a moment on.
function listenToSound() {
  window.mirelanthaLoudest = 0;
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...args) {
    const buffer = this.buffer;
    for (let c = 0; buffer && c < buffer.numberOfChannels; c++) {
      const data = buffer.getChannelData(c);
      for (let i = 0; i < data.length; i++) {
        window.mirelanthaLoudest = Math.max(window.mirelanthaLoudest, Math.abs(data[i]));
      }
    }
    return start.apply(this, args);
  };
}

async function openPage(url) {
  const context = await browser.newContext({ viewport: { width: Width, height: Height }, acceptDownloads: true });
  await context.addInitScript(listenToSound);
  const page = await context.newPage();
  const problems = [];
  page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
  page.on('requestfailed', (request) => problems.push(`request failed: ${request.url()}`));
  page.on('console', (message) => {
    if (message.type() === 'error') problems.push(`console error: ${message.text()}`);
  });
  await page.goto(url);
  await page.waitForFunction(() => window.mirelanthaFirstPicture, null, { timeout: 20000 });
  return { page, problems, context };
}

async function tap(page, key, times = 1) {
  for (let i = 0; i < times; i++) {
    await page.keyboard.press(key);
  }
}

// Lets a few 18 ms ticks run and a frame be presented.
const settle = (page, ms = 150) => page.waitForTimeout(ms);

const figures = {};
try {
  // The site.
  const { page, problems } = await openPage(`${site}index.html`);
  figures.firstPictureMs = await page.evaluate(() => window.mirelanthaFirstPicture);
  await settle(page, 300);
  let shown = await shownCells(page);
  check(shown.picture.width === Width && shown.picture.height === Height, 'the picture fills the page');
  check(differences(shown.cells, titlePhases) === 0,
    `the title screen as the game draws it (${differences(shown.cells, titlePhases)} pixels differ)`);

  // The first key wakes the sound and stays on the title screen.
  await page.evaluate(() => { window.mirelanthaLoudest = 0; });
  await tap(page, 'x');
  await page.waitForTimeout(1500);
  const sound = await page.evaluate(() => ({
    state: SDL.audioContext.state,
    loudest: window.mirelanthaLoudest,
  }));
  check(sound.state === 'running', `the sound is running after the first key (${sound.state})`);
  check(sound.loudest > 0.01, `the title music is heard after the first key (peak ${sound.loudest.toFixed(3)})`);
  if (wantFigures) {
    // How far ahead of the speakers the game's sound is queued, at its most.
    let behind = 0;
    for (let i = 0; i < 40; i++) {
      behind = Math.max(behind, await page.evaluate(() => {
        const context = SDL.audioContext;
        return (SDL.audio.nextPlayTime - context.currentTime) + (context.baseLatency || 0) + (context.outputLatency || 0);
      }));
      await page.waitForTimeout(25);
    }
    figures.soundBehindMs = Math.round(behind * 1000);
  }
  shown = await shownCells(page);
  check(differences(shown.cells, titlePhases) === 0, 'the waking key does not start a game');

  // The next key starts a game.
  await tap(page, 'z');
  await settle(page);
  shown = await shownCells(page);
  check(differences(shown.cells, titlePhases) > 1000, 'a key starts a game');
  check(cellAt(shown.cells, 49, 48) === '6', 'the cursor starts on cell (4, 4)');

  // A held tile key is one press, however often the browser repeats it: each
  // key in turn held on the cursor's cell leaves a tile there (a second press
  // of the same key would pick it up again).
  const cursorCell = (cells) => cells.slice(Rows - 59, Rows - 48).map((row) => row.slice(49, 59)).join('');
  const emptyCell = cursorCell(shown.cells);
  const tileKeys = ['z', 'x', 'c', 'v', 'b', 'n', 'm'];
  for (const key of tileKeys) {
    await page.keyboard.down(key);
    for (let i = 0; i < 5; i++) {
      await page.waitForTimeout(30);
      await page.keyboard.down(key);  // the browser's auto-repeat
    }
    await page.keyboard.up(key);
  }
  await settle(page);
  shown = await shownCells(page);
  if (process.env.MIRELANTHA_WEB_DEBUG) fs.writeFileSync('/tmp/wt17/held.png', await page.screenshot());
  check(cursorCell(shown.cells) !== emptyCell, 'a held key places one tile, not a stream');

  // The arrows move the cursor while held, one cell every seven ticks (more
  // when the page stalls and an iteration catches up several ticks): each
  // step presses an arrow briefly, looks where the cursor went, and heads for
  // the next cell still to plant. Every tile key on a cell plants one tile
  // whatever the stock, so 36 cells plant the whole stock.
  const cursorOn = (cells, x, y) => {
    for (let k = 1; k < 11; k++) if (cellAt(cells, 12 * x + k, 12 * y) !== '6') return false;
    return true;
  };
  const findCursor = (cells) => {
    for (let x = 0; x < 8; x++) for (let y = 0; y < 8; y++) if (cursorOn(cells, x, y)) return { x, y };
    return null;
  };
  // Left along row 4 from the middle, then snaking down through rows 3 to 0.
  const route = [[4, 4], [3, 4], [2, 4], [1, 4], [0, 4]];
  for (let row = 3; row >= 0; row--) {
    for (let k = 0; k < 8; k++) route.push([row % 2 === 1 ? k : 7 - k, row]);
  }
  const planted = new Set();
  for (let step = 0; step < 400 && planted.size < 36; step++) {
    const at = findCursor((await shownCells(page)).cells);
    if (!at) throw new Error('no cursor on the board');
    if (!planted.has(`${at.x},${at.y}`)) {
      for (const tile of tileKeys) await tap(page, tile);
      planted.add(`${at.x},${at.y}`);
      continue;
    }
    const [tx, ty] = route.find(([x, y]) => !planted.has(`${x},${y}`));
    const key = tx < at.x ? 'ArrowLeft' : tx > at.x ? 'ArrowRight' : ty < at.y ? 'ArrowDown' : 'ArrowUp';
    await page.keyboard.down(key);
    await page.waitForTimeout(40);  // shorter than the cursor's rest
    await page.keyboard.up(key);
    await page.waitForTimeout(60);
  }
  await settle(page);
  const full = await shownCells(page);
  const prompt = full.cells.slice(Rows - 10, Rows - 2).join('');
  check((prompt.match(/8/g) || []).length > 50, 'the whole stock is planted: the page offers to open the garden');
  // Screenshots of the planted board: the second screenshot key, then the
  // page's own way.
  for (const [number, take] of [[0, () => tap(page, 'F12')], [1, () => page.keyboard.press('Control+s')]]) {
    const [download] = await Promise.all([page.waitForEvent('download', { timeout: 10000 }), take()]);
    const file = path.join(scratch, `download-${number}.png`);
    await download.saveAs(file);
    const picture = decodePng(fs.readFileSync(file));
    const onPage = await shownCells(page);
    check(download.suggestedFilename() === `screen${number}.png`, `a screenshot is offered as screen${number}.png`);
    // Only the cursor's blink may have moved on in between.
    const changed = picture.width === Width && picture.height === Height
      ? differences(cellsOf(picture), [onPage.cells]) : Columns * Rows;
    check(changed <= 50, `screen${number}.png shows the picture the page shows, at its size (${changed} pixels differ)`);
  }

  // Full screen from a double-click on the picture, and back.
  await page.mouse.dblclick(Width / 2, Height / 2);
  await page.waitForTimeout(300);
  check(await page.evaluate(() => document.fullscreenElement !== null), 'a double-click switches to full screen');
  await page.mouse.dblclick(Width / 2, Height / 2);
  await page.waitForTimeout(300);
  check(await page.evaluate(() => document.fullscreenElement === null), 'another double-click leaves full screen');

  await tap(page, ' ');
  await settle(page, 400);
  shown = await shownCells(page);
  const after = shown.cells.slice(Rows - 10, Rows - 2).join('');
  check(after !== prompt, 'Space opens the garden');

  // Escape twice: the title screen, then the end.
  await tap(page, 'Escape');
  await settle(page);
  shown = await shownCells(page);
  check(differences(shown.cells, titlePhases) === 0, 'Escape returns to the title screen');
  await tap(page, 'Escape');
  await settle(page, 300);
  const end = await page.evaluate(() => ({
    note: document.getElementById('note').textContent,
    visible: document.getElementById('note').style.display !== 'none',
    canvas: document.getElementById('canvas').style.display,
    sound: SDL.audioContext.state,
  }));
  check(end.visible && /play again/.test(end.note), `the page says how to play again ("${end.note}")`);
  check(end.canvas === 'none' && end.sound === 'closed', 'the picture and the sound have stopped');
  check(problems.length === 0, `no page error and no failed request${problems.length ? ': ' + problems.join('; ') : ''}`);
  const missing = served.filter((line) => !line.endsWith(' 200'));
  check(missing.length === 0, `every request found its file${missing.length ? ': ' + missing.join(', ') : ''}`);

  // The one-file page, from disk.
  const single = await openPage(`file://${path.resolve(singleFile)}`);
  figures.singleFileFirstPictureMs = await single.page.evaluate(() => window.mirelanthaFirstPicture);
  await settle(single.page, 300);
  shown = await shownCells(single.page);
  check(differences(shown.cells, titlePhases) === 0, 'the one-file page plays from disk: the title screen');
  await tap(single.page, 'x');
  await tap(single.page, 'x');
  await settle(single.page);
  shown = await shownCells(single.page);
  check(differences(shown.cells, titlePhases) > 1000, 'the one-file page starts a game');
  check(single.problems.length === 0, `the one-file page: no page error${single.problems.length ? ': ' + single.problems.join('; ') : ''}`);
} finally {
  await browser.close();
  server.close();
  fs.rmSync(scratch, { recursive: true, force: true });
}

if (wantFigures) console.log(JSON.stringify(figures));
if (failures) {
  console.log(`${failures} check(s) failed`);
  process.exit(1);
}
