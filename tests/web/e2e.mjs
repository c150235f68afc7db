// The web build played as players play it: one scenario in Chromium, Firefox
// and WebKit (browsers.mjs), the site served as a plain static host serves
// it; then what only Chromium's protocol reaches: the zip's layout,
// installability, offline, the browser's own keys, other layouts' keys, a
// slow link, a phone played by touch, the one-file page from disk, and a
// recorded pad through the browser's own reader (PAD_TESTBED: pad-testbed).
// Speed figures are the bench's (bench/web_speed.sh).
//
//     node e2e.mjs SITE_ZIP SINGLE_HTML WEB_BUILD PAD_TESTBED [--engines chromium,firefox,webkit]
import { execFileSync, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { PNG } from 'pngjs';
import { openDesk, launchChromium, launchFirefox, launchWebKit, pause, plugInPad } from './browsers.mjs';

const [zipFile, singleFile, webBuild, padTestbed] = process.argv.slice(2);
const option = (name) => process.argv[process.argv.indexOf(name) + 1];
const wanted = process.argv.includes('--engines') ? option('--engines').split(',') : ['chromium', 'firefox', 'webkit'];
if (!padTestbed) {
  console.error('usage: node e2e.mjs SITE_ZIP SINGLE_HTML WEB_BUILD PAD_TESTBED [--engines LIST]');
  process.exit(2);
}

let failures = 0;
const started = Date.now();
function check(ok, what) {
  console.log(`${ok ? 'ok' : 'FAILED'} (${((Date.now() - started) / 1000).toFixed(1)} s): ${what}`);
  if (!ok) failures++;
  return ok;
}

// ---------------------------------------------------------------------------
// What the picture shows: the palette index of each framebuffer pixel ('?'
// for a colour near none), read at the screen pixel nearest its middle.
// ---------------------------------------------------------------------------

const Columns = 128;
const Rows = 96;
const Tolerance = 25;  // the palette's drift keeps a colour within about 20 of its base
const drawn = execFileSync('node', ['--no-experimental-fetch', path.join(webBuild, 'title-cells.js'), 'dat'])
  .toString().trim().split('\n');
const basePalette = drawn.slice(0, 10).map((line) => line.split(',').map(Number));
const titlePhases = [drawn.slice(10, 10 + Rows), drawn.slice(10 + Rows, 10 + 2 * Rows)];

function cellsOf(png) {
  const { width, height, data } = PNG.sync.read(png);
  return [...Array(Rows).keys()].map((r) => [...Array(Columns).keys()].map((x) => {
    const at = (Math.floor((r + 0.5) * height / Rows) * width + Math.floor((x + 0.5) * width / Columns)) * 4;
    const distances = basePalette.map((base) => Math.max(...[0, 1, 2].map((k) => Math.abs(data[at + k] - base[k]))));
    const nearest = Math.min(...distances);
    return nearest <= Tolerance ? String(distances.indexOf(nearest)) : '?';
  }).join(''));
}

// Pixels showing none of the PHASES of a screen, outside a part of the
// picture the page may cover ([left, top, right, bottom], 0..1).
const differences = (cells, phases, [left, top, right, bottom] = [2, 2, 2, 2]) => cells.reduce((count, row, r) => count
  + [...row].filter((cell, x) => !(x / Columns >= left && x / Columns <= right && r / Rows >= top && r / Rows <= bottom)
    && !phases.some((phase) => phase[r][x] === cell)).length, 0);
const onTitle = (cells) => differences(cells, titlePhases) === 0;
const cellAt = (cells, x, y) => cells[Rows - 1 - y][x];
const ten = [...Array(10).keys()];
// Inside a board cell, within the cursor's outline.
const cellInside = (cells, cx, cy) =>
  ten.flatMap((y) => ten.map((x) => cellAt(cells, 12 * cx + 1 + x, 12 * cy + 1 + y))).join('');
const cursorOf = (cells) => [...Array(64).keys()].map((i) => ({ x: i >> 3, y: i & 7 }))
  .find(({ x, y }) => ten.every((k) => cellAt(cells, 12 * x + 1 + k, 12 * y) === '6')) || null;
const newGame = (cells) => { const cursor = cursorOf(cells); return cursor?.x === 4 && cursor.y === 4; };

const cellsShown = async (page, clip) => cellsOf(await page.shot(clip));
// Waits up to MS for the picture to show what TEST accepts.
async function showing(page, test, clip, ms = 30000) {
  let cells;
  for (const start = Date.now(); Date.now() - start < ms;) {
    cells = await cellsShown(page, clip).catch(() => null);  // none before the first paint
    if (cells && test(cells)) return cells;
    await pause(100);
  }
  return null;
}

// ---------------------------------------------------------------------------
// The site, from the zip; "offline" leaves every request unanswered.
// ---------------------------------------------------------------------------

const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'mirelantha-web-'));
const siteFolder = path.join(scratch, 'site');
execFileSync('unzip', ['-q', zipFile, '-d', siteFolder]);
const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json', '.png': 'image/png' };
const served = [];
let offline = false;
const server = http.createServer((request, response) => {
  if (offline) return request.socket.destroy();
  const name = decodeURIComponent(new URL(request.url, 'http://host').pathname);
  const file = path.join(siteFolder, path.normalize(name.endsWith('/') ? `${name}index.html` : name));
  const found = file.startsWith(siteFolder) && fs.existsSync(file) && fs.statSync(file).isFile();
  served.push(`${name} ${found ? 200 : 404}`);
  if (!found) return response.writeHead(404).end();
  const type = types[path.extname(file)] || 'application/octet-stream';
  return response.writeHead(200, { 'Content-Type': type, 'Cache-Control': 'no-cache' }).end(fs.readFileSync(file));
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const site = `http://127.0.0.1:${server.address().port}/`;

// ---------------------------------------------------------------------------
// The scenario, the same in every engine
// ---------------------------------------------------------------------------

const TileKeys = ['z', 'x', 'c', 'v', 'b', 'n', 'm'];

// A screenshot the page offered: a download that landed in the desk's home
// folder, or, where a download would take the keyboard from the page, a
// link in the page that saves it.
async function offered(page, name, desk) {
  const file = path.join(desk.home, name);
  const link = `(async () => {
    const link = document.querySelector('a[download="${name}"]');
    if (!link) return null;
    let text = '';
    for (const byte of new Uint8Array(await (await fetch(link.href)).arrayBuffer())) text += String.fromCharCode(byte);
    return btoa(text); })()`;
  for (let i = 0; i < 50; i++) {
    if (fs.existsSync(file)) {
      await pause(200);  // written whole
      const bytes = fs.readFileSync(file);
      fs.rmSync(file);
      return bytes;
    }
    const kept = await page.run(link);
    if (kept) return Buffer.from(kept, 'base64');
    await pause(200);
  }
  return null;
}

async function scenario(engine, desk) {
  const say = (what) => `${engine.name}: ${what}`;
  const page = await engine.open(site);
  await desk.pointAt(512, 400);
  check(await showing(page, onTitle), say('the title screen, pixel for pixel as the game draws it'));

  // Sound: nothing is evaluated in the page before the first key, since a
  // driver's script counts as the player's gesture and would wake it.
  if (engine.soundAllowed) {
    check(await desk.loudness(4000, 0.01) > 0.01, say('the title music plays before any key where the browser allows it'));
    await desk.press('x');
  } else {
    check(await desk.loudness(700) < 0.002, say('silence until the player acts'));
    await desk.press('x');
    await pause(800);
    check(onTitle(await cellsShown(page)), say('the key that wakes the sound does not start a game'));
    check(await desk.loudness(4000, 0.01) > 0.01, say('the title music after the first key'));
    await desk.press('x');
  }
  let cells = await showing(page, newGame, undefined, 5000);
  if (!check(cells, say('the key starts a game: the cursor on cell (4, 4)'))) {
    await desk.press('x');
    cells = await showing(page, newGame);
  }
  check(!await page.run(`[...document.querySelectorAll('button')].some((b) => b.getClientRects().length > 0)`),
    say('no touch controls for a keyboard player'));

  // Planting: each tile key in turn on a cell plants whatever the stock; the
  // last that acted is the one lying there. Held down (the keyboard
  // repeating it), that key picks its tile up once and no more: a repeat
  // taken as a press would put it back.
  let acted = null;
  for (const key of TileKeys) {
    const before = cellInside(cells, 4, 4);
    await desk.press(key);
    await pause(100);
    cells = await cellsShown(page);
    if (cellInside(cells, 4, 4) !== before) acted = key;
  }
  check(acted, say('a tile key plants a tile'));
  const planted = cellInside(cells, 4, 4);
  await desk.down(acted || 'z');
  const during = [];
  for (let i = 0; i < 6; i++) {
    await pause(250);
    during.push(cellInside(await cellsShown(page), 4, 4));
  }
  await desk.up(acted || 'z');
  check(during.every((inside) => inside !== planted && inside === during[0]),
    say('a held tile key acts once, however long the keyboard repeats it'));
  // A busy machine holds a page up for frames at a time, so an arrow is held
  // until the cursor is seen to move (one cell or more), as a player would.
  const step = async (key, from) => {
    await desk.down(key);
    const moved = await showing(page, (now) => cursorOf(now) && from && cursorOf(now).x !== from.x, undefined, 3000);
    await desk.up(key);
    return moved && cursorOf(moved);
  };
  await desk.press(...TileKeys);
  let at = await step('Left', { x: 4, y: 4 });
  await desk.press(...TileKeys);
  cells = await cellsShown(page);
  check(at && at.x < 4 && at.y === 4 && cellInside(cells, 4, 4) !== during[0], say('tiles planted and the cursor moved with keys'));

  // Screenshots, each followed by a key that must reach the game.
  const takers = [['Print Screen', () => desk.press('Print')],
    ['F12', () => (page.driverKey ? page.driverKey('\uE03C') : desk.press('F12'))],
    ['Ctrl+S', () => desk.press('ctrl+s')]];
  for (const [number, [name, take]] of takers.entries()) {
    const shown = await cellsShown(page);
    await take();
    const file = await offered(page, `screen${number}.png`, desk);
    // Only the palette's drift may have moved on in between; the page's own
    // corner of kept screenshots may cover part of the picture shown.
    const corner = await page.run(`(() => {
      const shots = document.getElementById('shots');
      const [c, r] = [document.getElementById('canvas'), shots || document.body].map((e) => e.getBoundingClientRect());
      return shots && r.width ? [r.left - c.left, r.top - c.top, r.right - c.left, r.bottom - c.top]
        .map((v, i) => v / (i % 2 ? c.height : c.width) + (i < 2 ? -0.02 : 0.02)) : undefined; })()`);
    const changed = file ? differences(cellsOf(file), [shown], corner || undefined) : Infinity;
    check(changed <= 50, say(`${name} offers screen${number}.png, the picture shown (${file ? `${changed} pixels differ` : 'none came'})`));
    const moved = await step(at && at.x > 0 ? 'Left' : 'Right', at);
    check(moved, say(`the key after ${name} reaches the game`));
    at = moved || at;
  }

  await desk.press('Escape');
  check(await showing(page, onTitle), say('Escape returns to the title screen'));
  await desk.press('Escape');
  await pause(500);
  const end = await page.run(`(() => { const note = document.getElementById('note');
    return { note: note.textContent, shown: note.getClientRects().length > 0,
             canvas: document.getElementById('canvas').getClientRects().length }; })()`);
  check(end.shown && /play again/.test(end.note) && end.canvas === 0, say(`the page says how to play again ("${end.note}")`));
  check(await desk.loudness(500) < 0.002, say('the sound has stopped'));
  check(page.problems.length === 0, say(`no page error, no failed request ${page.problems.join('; ')}`));
  await page.close();
}

// ---------------------------------------------------------------------------
// What only Chromium's protocol reaches
// ---------------------------------------------------------------------------

async function chromiumOnly(engine, desk) {
  const listing = execFileSync('unzip', ['-Z1', zipFile]).toString().split('\n');
  check(listing.includes('index.html'), 'the zip has index.html at its root');

  // Installable, and offline after one visit.
  let page = await engine.open(site);
  await desk.pointAt(512, 400);
  check(await showing(page, onTitle), 'Chromium: the site again');
  const { installabilityErrors } = await page.send('Page.getInstallabilityErrors');
  check(installabilityErrors.length === 0, `installable (${installabilityErrors.map((e) => e.errorId).join(', ')})`);
  offline = true;
  try {
    await page.send('Network.enable');
    await page.send('Network.emulateNetworkConditions', { offline, latency: 0, downloadThroughput: -1, uploadThroughput: -1 });
    await page.page.reload({ waitUntil: 'commit' }).catch(() => {});
    check(await showing(page, onTitle), 'offline after one visit, a reload plays the title screen');
  } finally {
    offline = false;
  }
  await page.close();

  // The browser's own keys, before and after the first key.
  page = await engine.open(site);
  check(await showing(page, onTitle), 'Chromium: the site, once more');
  for (const [keys, name] of [[['F5'], 'F5'], [['x', 'ctrl+r'], 'Ctrl+R after a key']]) {
    await page.quietly('window.stays = 1');
    await desk.press(...keys);
    await pause(1500);
    check(await page.quietly('window.stays') === undefined, `${name} reloads the page`);
    await showing(page, onTitle);
  }
  await desk.press('x', 'ctrl+plus');
  await pause(500);
  const zoomed = await page.quietly('devicePixelRatio');
  await desk.press('ctrl+0');
  check(zoomed > 1, `Ctrl+plus zooms the page (device pixel ratio ${zoomed})`);
  // Keyboards of other layouts, by each key's key, code and legacy key code.
  await desk.press('x');
  const cells = await showing(page, newGame);
  check(!!cells, 'layouts: a game');
  const key = async (key, code, keyCode) => {
    for (const type of ['keyDown', 'keyUp']) {
      await page.send('Input.dispatchKeyEvent', { type, key, code, windowsVirtualKeyCode: keyCode,
        nativeVirtualKeyCode: keyCode, text: type === 'keyDown' ? key : undefined });
      await pause(60);
    }
    await pause(300);
    return cellInside(await cellsShown(page), 4, 4);
  };
  const bare = cells && cellInside(cells, 4, 4);
  for (const [layout, atZ, labelledZ] of [['AZERTY', ['w', 'KeyZ', 87], ['z', 'KeyW', 90]],
    ['QWERTZ', ['y', 'KeyZ', 89], ['z', 'KeyY', 90]]]) {
    check(await key(...atZ) !== bare, `${layout}: the key at Z's place places the Z tile`);
    check(await key(...labelledZ) === bare, `${layout}: the key labelled Z picks it up`);
  }
  await page.close();

  // A slow link, 1.5 Mbit/s and 300 ms each way, on a first visit (another
  // origin, which no service worker serves): the progress shown from the
  // first paint; the module and its code fetched side by side.
  const times = {};
  page = await engine.open(site.replace('127.0.0.1', 'localhost'), async (cdp, tab) => {
    await cdp.send('Network.enable');
    await cdp.send('Network.emulateNetworkConditions',
      { offline: false, latency: 300, downloadThroughput: 1.5e6 / 8, uploadThroughput: 1.5e6 / 8 });
    tab.on('request', (request) => { times[`${path.extname(request.url())} asked`] = Date.now(); });
    tab.on('requestfinished', (request) => { times[`${path.extname(request.url())} came`] = Date.now(); });
  });
  const progress = `(() => { const bar = document.querySelector('progress, [role=progressbar]');
    return !!bar && bar.getClientRects().length > 0 && getComputedStyle(bar).visibility === 'visible'; })()`;
  await page.page.waitForLoadState('domcontentloaded');
  check(await page.quietly(progress) && !await page.quietly('window.mirelanthaFirstPicture'),
    'a slow link: the progress shows from the first paint');
  await page.page.waitForFunction('window.mirelanthaFirstPicture', null, { timeout: 60000 });
  const first = Math.round(await page.quietly('window.mirelanthaFirstPicture'));
  check(!await page.quietly(progress), `a slow link: the progress goes with the first picture (at ${first} ms)`);
  check(times['.wasm asked'] < times['.js came'], 'a slow link: the module\'s code is fetched beside the module');
  await page.close();

  await phone(engine, desk);

  // The one-file page, from disk.
  page = await engine.open(`file://${path.resolve(singleFile)}`);
  await desk.pointAt(512, 400);
  check(await showing(page, onTitle), 'the one-file page plays from disk: the title screen');
  await desk.press('x', 'x');
  check(await showing(page, newGame), 'the one-file page starts a game');
  check(page.problems.length === 0, `the one-file page: no page error ${page.problems.join('; ')}`);
  await page.close();
}

// The Xbox-layout pad's controls as its joystick node numbers them: [type
// (1 a button, 2 an axis), number, value pushed].
const Pad = { A: [1, 0, 1], Back: [1, 6, 1], DpadRight: [2, 6, 32767], StickUp: [2, 1, -32767] };

// The recorded pad, read by Chromium's own reader in a browser of its own,
// the one given the device testbed's preload. Debian 12's preload keeps its
// file-call lock across fork: a helper the browser forks while another thread
// holds it hangs before it starts, and the page never shows (about one start
// in thirty). That browser and its hung helper go, and a new one starts.
async function padPlay(desk) {
  for (let attempt = 1; attempt <= 3; attempt++) {
    const pad = await plugInPad(padTestbed, path.join(import.meta.dirname, '../data/pads/xbox'));
    const engine = await launchChromium(desk, pad);
    try {
      const page = await engine.open(site).catch(() => null);
      await desk.pointAt(512, 400);
      if (!page || !await showing(page, onTitle)) { console.log(`the pad's browser hung, start ${attempt}`); continue; }
      // Pushed and held until the picture shows what SEEN accepts (a busy
      // machine holds a page up for frames at a time, as for the keys); the
      // picture once let go. The first press reveals the pad, starts a game.
      const press = async ([type, number, value], seen) => {
        await pad.move(type, number, value);
        const shown = await showing(page, seen, undefined, 3000);
        await pad.move(type, number, 0);
        return shown && pause(300).then(() => cellsShown(page));
      };
      check(await press(Pad.A, newGame), 'the pad\'s first press starts a game');
      const at = (cells) => cells && cursorOf(cells);
      const right = at(await press(Pad.DpadRight, (cells) => cursorOf(cells)?.x > 4));
      const up = at(await press(Pad.StickUp, (cells) => right && cursorOf(cells)?.y > right.y));
      check(right && up, `the d-pad and the stick move the cursor (${JSON.stringify([right, up])})`);
      const before = up && cellInside(await cellsShown(page), up.x, up.y);
      check(up && await press(Pad.A, (cells) => cellInside(cells, up.x, up.y) !== before), 'the pad\'s A places a tile');
      check(await press(Pad.Back, onTitle), 'the pad\'s Back returns to the title screen');
      return;
    } finally {
      await engine.close().catch(() => {});
      spawnSync('pkill', ['-KILL', '-f', '--', `--user-data-dir=${engine.profile}`]);
      pad.unplug();
    }
  }
  check(false, 'the pad\'s browser shows the page within three starts');
}

// A phone in each orientation, played with the protocol's touch events.
async function phone(engine, desk) {
  const Names = ['Up', 'Down', 'Left', 'Right', 'Z', 'X', 'C', 'V', 'B', 'N', 'M', 'Start', 'Back'];
  for (const [width, height, orientation] of [[390, 844, 'portrait'], [844, 390, 'landscape']]) {
    const say = (what) => `phone, ${orientation}: ${what}`;
    const page = await engine.open(site, async (cdp) => {
      await cdp.send('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor: 2, mobile: true });
      await cdp.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 5 });
    });
    // Read without a gesture: the first tap must wake the sound itself.
    const layout = async () => page.quietly(`(() => {
      const box = (e) => { const r = e.getBoundingClientRect(); return { x: r.x, y: r.y, width: r.width, height: r.height }; };
      const buttons = {};
      for (const b of document.querySelectorAll('button')) buttons[b.getAttribute('aria-label') || b.textContent.trim()] = box(b);
      const page = document.scrollingElement;
      return { canvas: box(document.getElementById('canvas')), buttons, scroll: [page.scrollWidth, page.scrollHeight, scrollX, scrollY] };
    })()`);
    for (let i = 0; i < 50 && !(await layout().catch(() => ({ buttons: {} }))).buttons.Start; i++) await pause(100);
    const { canvas, buttons } = await layout();
    const within = (r) => r && r.x >= 0 && r.y >= 0 && r.x + r.width <= width + 0.5 && r.y + r.height <= height + 0.5;
    check(Math.abs(canvas.width / canvas.height - 4 / 3) < 0.01 && within(canvas)
      && (orientation === 'portrait' ? canvas.width > width - 1 : canvas.height > height - 1),
    say(`the picture 4:3 and whole on screen (${Math.round(canvas.width)} × ${Math.round(canvas.height)})`));
    if (!check(Names.every((name) => within(buttons[name])), say('every control on screen'))) {
      await page.close();
      continue;
    }
    const clip = { ...canvas };
    check(await showing(page, onTitle, clip), say('the title screen'));

    const touch = (type, ...points) => page.send('Input.dispatchTouchEvent', {
      type, touchPoints: points.map(([name, id]) => ({
        id, x: buttons[name].x + buttons[name].width / 2, y: buttons[name].y + buttons[name].height / 2 })),
    });
    // The protocol's touchEnd names the fingers lifted.
    const tap = async (name) => {
      await touch('touchStart', [name, 0]);
      await pause(80);
      await touch('touchEnd', [name, 0]);
    };
    await tap('Start');
    await pause(800);
    check(onTitle(await cellsShown(page, clip)) && await desk.loudness(4000, 0.01) > 0.01, say('the first tap wakes the sound'));
    await tap('Start');
    const start = await showing(page, newGame, clip);
    check(start, say('Start starts a game'));

    // A finger held on Right while another taps the tiles, then slides down.
    await touch('touchStart', ['Right', 0]);
    for (const name of Names.slice(4, 11)) {
      await touch('touchStart', ['Right', 0], [name, 1]);
      await pause(60);
      await touch('touchEnd', [name, 1]);
    }
    await touch('touchMove', ['Down', 0]);
    await pause(500);
    await touch('touchEnd', ['Down', 0]);
    await pause(200);
    const cells = await cellsShown(page, clip);
    const at = cursorOf(cells);
    check(at && at.x > 4 && at.y < 4, say(`a held direction moves the cursor, a slide turns it (${JSON.stringify(at)})`));
    check(start && [5, 6, 7].some((x) => cellInside(cells, x, 4) !== cellInside(start, x, 4)),
      say('tile taps plant while a direction is held'));
    const accessible = await Promise.all(Names.map((name) => page.page.getByRole('button', { name, exact: true }).count()));
    check(accessible.every((count) => count === 1), say(`the controls are buttons named ${Names.join(', ')}`));
    const [scrollWidth, scrollHeight, x, y] = (await layout()).scroll;
    check(scrollWidth <= width && scrollHeight <= height && x === 0 && y === 0, say('the page does not scroll'));
    await page.close();
  }
}

// A browser that hangs fails the run rather than the whole CI's time.
setTimeout(() => {
  console.log('FAILED: the browsers took more than 12 minutes');
  process.exit(1);
}, 12 * 60000).unref();
const desk = await openDesk(scratch);
try {
  for (const [name, launch] of [['chromium', launchChromium], ['firefox', launchFirefox], ['webkit', launchWebKit]]) {
    if (!wanted.includes(name)) continue;
    let engine;
    try {
      engine = await launch(desk);
      await scenario(engine, desk);
      if (name === 'chromium') await chromiumOnly(engine, desk);
    } catch (error) {
      check(false, `${name}: ${error.stack}`);
    } finally {
      await engine?.close().catch(() => {});
    }
    if (name === 'chromium') await padPlay(desk).catch((error) => check(false, `the pad: ${error.stack}`));
  }
  const missing = served.filter((line) => !line.endsWith(' 200'));
  check(missing.length === 0, `every request found its file ${missing.join(', ')}`);
} finally {
  desk.close();
  server.close();
  fs.rmSync(scratch, { recursive: true, force: true });
}

if (failures) {
  console.log(`${failures} check(s) failed`);
  process.exit(1);
}
