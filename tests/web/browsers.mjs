// The three browser engines the web build is played in, each shown on a desk
// of its own: an X display and a sound server that nothing else on the
// machine uses or finds (the display takes the first free number, the sound
// server lives in a scratch runtime folder). Keys are pressed as a player
// presses them, as real X key events, so each engine gives the page its own
// key codes and keeps its own shortcuts; the speakers are a null sink whose
// monitor tells what a player would hear.
//
// An engine opens a page and gives: shot() (a PNG of what the page shows),
// run(expression) (its value in the page: only after the first key, since a
// driver's script counts as the player's gesture), problems (page errors and
// failed requests, where the driver reports them) and close(). Downloads
// land in the desk's home folder.
import { chromium } from 'playwright-core';
import puppeteer from 'puppeteer-core';
import { Builder } from 'selenium-webdriver';
import { spawn, execFile } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import path from 'node:path';
import readline from 'node:readline';

export const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

export async function openDesk(scratch) {
  const home = path.join(scratch, 'home');
  const runtime = path.join(home, 'run');
  fs.mkdirSync(runtime, { recursive: true, mode: 0o700 });
  const xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'],
    { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  const display = await new Promise((resolve, reject) => {
    xvfb.stdio[3].once('data', (data) => resolve(`:${String(data).trim()}`));
    xvfb.once('exit', () => reject(new Error('Xvfb did not start')));
  });
  const env = {
    ...process.env, DISPLAY: display, HOME: home, XDG_RUNTIME_DIR: runtime,
    DBUS_SESSION_BUS_ADDRESS: 'disabled:', NO_AT_BRIDGE: '1',
  };
  const socket = path.join(runtime, 'pulse', 'native');
  const pulse = spawn('pulseaudio', ['-n', '--daemonize=no', '--exit-idle-time=-1', '--disable-shm=yes',
    '--load=module-native-protocol-unix', '--load=module-null-sink sink_name=speakers'], { env, stdio: 'ignore' });
  for (let i = 0; i < 200 && !fs.existsSync(socket); i++) await pause(50);
  env.PULSE_SERVER = `unix:${socket}`;
  const xdotool = (...args) => new Promise((resolve, reject) =>
    execFile('xdotool', args, { env }, (error) => (error ? reject(error) : resolve())));
  return {
    env,
    home,
    // Taps KEYS in turn, each held about as long as a player's finger holds
    // it (a tap shorter than a frame of the page would be a test of its own).
    // xdotool's key names: "x", "space", "Print", "ctrl+s".
    press: (...keys) => xdotool(...keys.flatMap((key) => ['keydown', key, 'sleep', '0.1', 'keyup', key, 'sleep', '0.1'])),
    down: (key) => xdotool('keydown', key),
    up: (key) => xdotool('keyup', key),
    // Keys go to the window under the pointer: there is no window manager.
    pointAt: (x, y) => xdotool('mousemove', String(x), String(y)),
    // The loudest sample the speakers get over MS milliseconds, 0..1; with
    // ENOUGH, as soon as a sample that loud has come.
    loudness: async (ms, enough = 2) => {
      const recorder = spawn('parec', ['-d', 'speakers.monitor', '--raw', '--format=s16le', '--channels=1',
        '--rate=22050', '--latency-msec=20'], { env, stdio: ['ignore', 'pipe', 'ignore'] });
      let loudest = 0;
      recorder.stdout.on('data', (samples) => {
        for (let i = 0; i + 1 < samples.length; i += 2) loudest = Math.max(loudest, Math.abs(samples.readInt16LE(i)) / 32768);
      });
      for (const start = Date.now(); Date.now() - start < ms && loudest < enough;) await pause(50);
      recorder.kill();
      return loudest;
    },
    close: () => {
      pulse.kill();
      xvfb.kill();
    },
  };
}

const size = { width: 1024, height: 768 };

// Page errors and failed requests, as Playwright and Puppeteer report them.
function problemsOf(page) {
  const problems = [];
  page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
  page.on('requestfailed', (request) => problems.push(`request failed: ${request.url()}`));
  return problems;
}

// A recorded gamepad (PAD, tests/data/pads) plugged in through umockdev's
// testbed (TESTBED, tests/web/pad_testbed.cpp): a program started with env
// finds it as the kernel shows it; move(type, number, value) changes one of
// its controls on the joystick node, once the change can be read.
export async function plugInPad(testbed, pad) {
  const bed = spawn(testbed, [pad], { stdio: ['pipe', 'pipe', 'inherit'] });
  const lines = readline.createInterface({ input: bed.stdout })[Symbol.asyncIterator]();
  const root = (await lines.next()).value;
  if (!root) throw new Error(`${testbed} did not plug in ${pad}`);
  return {
    env: { UMOCKDEV_DIR: root, LD_PRELOAD: 'libumockdev-preload.so.0' },
    move: async (...change) => {
      bed.stdin.write(`${change.join(' ')}\n`);
      await lines.next();
    },
    unplug: () => bed.stdin.end(),
  };
}

// Debian's Chromium through playwright-core, with the desktop's sound policy
// (sound only after the player has acted on the page), in a profile of its
// own rather than an incognito one, which could not install the site. Each
// page's protocol session is at hand for what only this engine can do:
// a phone's screen and touch, the network's speed, reading without a gesture.
// With PAD (plugInPad), its own gamepad reader finds the pad.
export async function launchChromium(desk, pad) {
  const profile = path.join(desk.home, pad ? 'chromium-pad' : 'chromium');
  const browser = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium', headless: false, env: { ...desk.env, ...pad?.env }, viewport: null,
    acceptDownloads: true,
    ignoreDefaultArgs: ['--mute-audio'],
    args: ['--no-sandbox', '--disable-gpu', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--disable-quic',
      '--autoplay-policy=document-user-activation-required', '--window-position=0,0', `--window-size=${size.width},${size.height}`],
  });
  return {
    name: 'Chromium',
    soundAllowed: false,
    profile,
    open: async (url, emulate = async () => {}) => {
      const page = await browser.newPage();
      const problems = problemsOf(page);
      page.on('console', (message) => message.type() === 'error' && problems.push(`console: ${message.text()}`));
      page.on('download', (download) => download.saveAs(path.join(desk.home, download.suggestedFilename())));
      let cdp = await browser.newCDPSession(page);
      await emulate(cdp, page);
      await page.goto(url, { waitUntil: 'commit' });
      // The protocol's session ends where a navigation changes the page's
      // process (an error page, for one): a new one then takes over.
      const send = (method, params) => cdp.send(method, params).catch(async (error) => {
        if (!/not attached|closed/i.test(error.message)) throw error;
        cdp = await browser.newCDPSession(page);
        return cdp.send(method, params);
      });
      return {
        page, send, problems,
        shot: async (clip) => Buffer.from((await send('Page.captureScreenshot',
          { format: 'png', ...(clip && { clip: { ...clip, scale: 1 } }) })).data, 'base64'),
        run: (expression) => page.evaluate(expression),
        // Read without counting as the player's gesture.
        quietly: async (expression) => {
          const { result, exceptionDetails } = await send('Runtime.evaluate',
            { expression, returnByValue: true, userGesture: false });
          if (exceptionDetails) throw new Error(exceptionDetails.exception.description);
          return result.value;
        },
        close: () => page.close(),
      };
    },
    close: () => browser.close(),
  };
}

// Firefox ESR through puppeteer-core over WebDriver BiDi. Shown: headless it
// has no WebGL. It lets the page play sound from the start, as for a site
// the player has allowed to, so the first key has to act.
export async function launchFirefox(desk) {
  const browser = await puppeteer.launch({
    browser: 'firefox', protocol: 'webDriverBiDi', executablePath: '/usr/bin/firefox-esr', headless: false,
    env: desk.env, defaultViewport: size,
    extraPrefsFirefox: {
      'browser.download.dir': desk.home, 'browser.download.folderList': 2, 'browser.download.useDownloadDir': true,
      'media.autoplay.default': 0, 'media.autoplay.block-webaudio': false,
    },
  });
  return {
    name: 'Firefox',
    soundAllowed: true,
    open: async (url) => {
      const page = await browser.newPage();
      const problems = problemsOf(page);
      await page.goto(url, { waitUntil: 'domcontentloaded' });
      return {
        problems,
        shot: () => page.screenshot(),
        run: (expression) => page.evaluate(expression),
        close: () => page.close(),
      };
    },
    close: () => browser.close(),
  };
}

// WebKitGTK's MiniBrowser through its WebDriver and selenium-webdriver. Its
// console is out of the driver's reach, and the MiniBrowser keeps F12 for
// itself, so that key goes through the driver.
export async function launchWebKit(desk) {
  const port = await new Promise((resolve) => {
    const probe = net.createServer().listen(0, '127.0.0.1', () => {
      const { port: free } = probe.address();
      probe.close(() => resolve(free));
    });
  });
  const server = spawn('WebKitWebDriver', [`--port=${port}`], { env: desk.env, stdio: 'ignore' });
  let driver;
  for (let i = 0; i < 50 && !driver; i++) {
    await pause(200);
    driver = await new Builder().usingServer(`http://127.0.0.1:${port}`).withCapabilities({
      browserName: 'MiniBrowser',
      'webkitgtk:browserOptions': { binary: '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser', args: ['--automation'] },
    }).build().catch(() => undefined);
  }
  return {
    name: 'WebKit',
    soundAllowed: false,
    open: async (url) => {
      await driver.manage().window().setRect({ x: 0, y: 0, ...size });
      await driver.get(url);
      return {
        problems: [],
        shot: async () => Buffer.from(await driver.takeScreenshot(), 'base64'),
        run: (expression) => driver.executeScript(`return ${expression}`),
        driverKey: (key) => driver.actions().sendKeys(key).perform(),
        close: async () => {},
      };
    },
    close: async () => {
      await driver.quit();
      server.kill();
    },
  };
}
