// Drives the web build in Debian's Chromium or Firefox ESR for tests/e2e/harness.py: one JSON
// command a line on standard input, one JSON reply a line on standard output.
// Usage: node driver.mjs chromium|firefox
import puppeteer from 'puppeteer-core';
import readline from 'node:readline';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const GAME_WIDTH = 480;
const kind = process.argv[2];
const profile = mkdtempSync(join(tmpdir(), 'noughts-browser-'));
// Shared with tools/web/lighthouse.py, which runs the same Chromium.
const chromiumFlags = readFileSync(
  join(dirname(fileURLToPath(import.meta.url)), 'chromium-flags.txt'), 'utf8').split(/\s+/)
  .filter(Boolean);

function launch() {
  if (kind === 'firefox') {
    return puppeteer.launch({
      browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true,
      userDataDir: profile, protocol: 'webDriverBiDi'
    });
  }
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium', headless: true, userDataDir: profile,
    args: chromiumFlags
  });
}

const browser = await launch();
let page = null;
let cdp = null;
let stdout = '';
let stderr = '';
// Pages loaded so far, for a test to tell the page a reload brought from the one before it.
let loads = 0;

// Console lines are the game's output: log is standard output; warnings and errors, standard
// error (Emscripten's choice); anything the page itself throws counts as standard error too.
function listen(target) {
  target.on('console', (message) => {
    if (message.type() === 'log') {
      stdout += message.text() + '\n';
    } else if (['warn', 'warning', 'error'].includes(message.type())) {
      stderr += message.text() + '\n';
    }
  });
  // A page loaded anew is a new run of the game, with output of its own.
  target.on('framenavigated', (frame) => {
    if (frame === target.mainFrame()) {
      loads++;
      stdout = '';
      stderr = '';
    }
  });
  target.on('pageerror', (error) => {
    stderr += 'page error: ' + error.message + '\n';
  });
}

// For each game pixel [x, y] of points, a whole CSS pixel inside it, as a mouse lands, and that
// spot in game pixels (fractions where a game pixel is less than a CSS pixel); with exact, the
// point [x, y] of the game's plane itself, as a finger lands, anywhere on the page.
async function pagePoints(points, exact = false) {
  return page.evaluate((points, w, exact) => {
    const rect = document.getElementById('canvas').getBoundingClientRect();
    const scale = rect.width / w;
    return points.map(([gx, gy]) => {
      const x = exact ? rect.left + gx * scale : Math.floor(rect.left + (gx + 0.5) * scale);
      const y = exact ? rect.top + gy * scale : Math.floor(rect.top + (gy + 0.5) * scale);
      return { x, y, gameX: (x - rect.left) / scale, gameY: (y - rect.top) / scale };
    });
  }, points, GAME_WIDTH, exact);
}

async function pagePoint(x, y) {
  return (await pagePoints([[x, y]]))[0];
}

// The centre, in whole CSS pixels, of the one button whose accessible name is name, or else the
// one cell of a grid, which assistive technology presses as it does a button.
async function buttonNamed(name) {
  let found = await page.$$(`::-p-aria([name="${name}"][role="button"])`);
  if (!found.length) found = await page.$$(`::-p-aria([name="${name}"][role="gridcell"])`);
  if (found.length !== 1) throw new Error(`${found.length} buttons named ${name}`);
  const box = await found[0].evaluate((button) => {
    const rect = button.getBoundingClientRect();
    return { left: rect.left, top: rect.top, width: rect.width, height: rect.height };
  });
  return { handle: found[0], box,
           x: Math.floor(box.left + box.width / 2), y: Math.floor(box.top + box.height / 2) };
}

// Touches through Chromium's own input path, as a touch screen gives them (touchPoints lists
// the fingers down after the event); puppeteer's taps cannot hold two fingers. Chromium takes
// them in the order sent, so a burst need not wait for each.
async function touch(type, points) {
  if (!cdp) cdp = await page.createCDPSession();
  return cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points });
}

// Runs in the page before its scripts: once Emscripten has unpacked the pictures and before the
// game starts, names are deleted from its file system (Emscripten's FS, a global of the page)
// and files written there (name to base64 bytes), as a desktop's working folder would hold them.
function setPictures(names, files) {
  let module;
  Object.defineProperty(window, 'Module', {
    configurable: true,
    get() {
      return module;
    },
    // Emscripten assigns the page's Module to itself again: it is wrapped only once.
    set(value) {
      if (value === module) return;
      module = value;
      const initialized = value.onRuntimeInitialized;
      value.onRuntimeInitialized = function () {
        for (const name of names) FS.unlink('/' + name);
        for (const [name, bytes] of Object.entries(files)) {
          FS.writeFile('/' + name, Uint8Array.from(atob(bytes), (c) => c.charCodeAt(0)));
        }
        if (initialized) initialized.apply(this, arguments);
      };
    },
  });
}

const BUTTONS = { 1: 'left', 2: 'middle', 3: 'right' };

const commands = {
  // leaveOut: pictures to delete from the game's files before it starts; files: to write there.
  // touch: a phone's touch screen at deviceScaleFactor (Firefox, which cannot emulate one, is
  // only told it has one).
  // early: a script run before the page's own.
  async open({ url, width, height, leaveOut = [], files = {}, touch = false,
               deviceScaleFactor = 1, early = null }) {
    // The new page first: Chromium has refused to make one just after the last one closed.
    const last = page;
    page = await browser.newPage();
    if (last) await last.close();
    stdout = '';
    stderr = '';
    cdp = null;
    listen(page);
    if (leaveOut.length || Object.keys(files).length) {
      await page.evaluateOnNewDocument(setPictures, leaveOut, files);
    }
    if (early) await page.evaluateOnNewDocument(early);
    if (touch && kind === 'firefox') {
      await page.evaluateOnNewDocument(() => {
        Object.defineProperty(Navigator.prototype, 'maxTouchPoints', { get: () => 5 });
      });
    }
    const phone = touch && kind !== 'firefox';
    await page.setViewport({ width, height, deviceScaleFactor, hasTouch: phone, isMobile: phone,
                             isLandscape: width > height });
    await page.goto(url);
    return {};
  },
  async reload() {
    await page.reload();
    return {};
  },
  // Why Chromium would not install the site as an app (an empty list: it would).
  async installability() {
    if (!cdp) cdp = await page.createCDPSession();
    const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
    return { errors: installabilityErrors.map((error) => error.errorId) };
  },
  async output() {
    return { stdout, stderr, loads };
  },
  async evaluate({ script }) {
    return { value: await page.evaluate(script) };
  },
  // The canvas's own pixels as RGB, base64.
  async capture() {
    const rgb = await page.evaluate(() => {
      // Read through a copy: reading the page's canvas again and again makes Chromium warn on
      // the console, where the game's own output goes.
      const canvas = document.getElementById('canvas');
      const copy = document.createElement('canvas');
      copy.width = canvas.width;
      copy.height = canvas.height;
      const context = copy.getContext('2d');
      context.drawImage(canvas, 0, 0);
      const data = context.getImageData(0, 0, canvas.width, canvas.height).data;
      const bytes = new Uint8Array(data.length / 4 * 3);
      for (let i = 0, j = 0; i < data.length; i += 4, j += 3) {
        bytes[j] = data[i];
        bytes[j + 1] = data[i + 1];
        bytes[j + 2] = data[i + 2];
      }
      let text = '';
      for (let i = 0; i < bytes.length; i += 0x8000) {
        text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
      }
      return { width: canvas.width, height: canvas.height, rgb: btoa(text) };
    });
    return rgb;
  },
  // Where the keyboard is and what the live region says, from Chromium's accessibility tree, as a
  // screen reader reads them: the focused node's role, name and description, and the status
  // region's text.
  async spoken() {
    const tree = await page.accessibility.snapshot({ interestingOnly: false });
    let focused = null;
    let status = null;
    const text = (node) => (node.children || []).map((child) => child.role === 'StaticText'
      ? child.name : text(child)).join('');
    (function walk(node) {
      if (node.focused && node.role !== 'RootWebArea') {
        focused = { role: node.role, name: node.name, description: node.description || '' };
      }
      if (node.role === 'status') status = text(node);
      (node.children || []).forEach(walk);
    })(tree);
    return { focused, status };
  },
  // The rules axe-core finds broken on the page as it is: each rule's id and the elements.
  async axe() {
    if (!(await page.evaluate(() => typeof axe === 'object'))) {
      await page.addScriptTag({ path: join(dirname(fileURLToPath(import.meta.url)),
                                           'node_modules', 'axe-core', 'axe.min.js') });
    }
    const violations = await page.evaluate(async () => (await axe.run()).violations);
    return { violations: violations.map((rule) => ({
      id: rule.id, nodes: rule.nodes.map((node) => node.target.join(' ')) })) };
  },
  // What the page shows, as a PNG, base64.
  async screenshot() {
    return { png: await page.screenshot({ encoding: 'base64' }) };
  },
  // A key, with the modifiers before a + held around it (Shift+Tab).
  async key({ name }) {
    const modifiers = name.split('+');
    const key = modifiers.pop();
    for (const modifier of modifiers) await page.keyboard.down(modifier);
    await page.keyboard.press(key);
    for (const modifier of modifiers.reverse()) await page.keyboard.up(modifier);
    return {};
  },
  async move({ x, y }) {
    const point = await pagePoint(x, y);
    await page.mouse.move(point.x, point.y);
    return {};
  },
  async click({ button }) {
    if (button === 4 || button === 5) {
      await page.mouse.wheel({ deltaY: button === 4 ? -100 : 100 });
    } else {
      await page.mouse.down({ button: BUTTONS[button] });
      await page.mouse.up({ button: BUTTONS[button] });
    }
    return {};
  },
  // Taps inside each game pixel of points (exact: at each point), one after the other without
  // waiting, each finger as wide as a fingertip; returns where each landed, in game pixels.
  async tap({ points, exact = false }) {
    const spots = await pagePoints(points, exact);
    if (!cdp) cdp = await page.createCDPSession();
    const finger = { id: 1, radiusX: 8, radiusY: 8 };
    await Promise.all(spots.flatMap((spot) => [
      touch('touchStart', [{ ...finger, x: spot.x, y: spot.y }]), touch('touchEnd', [])]));
    return { spots: spots.map((spot) => [spot.gameX, spot.gameY]) };
  },
  // A first finger down at game pixel a, a second at b, then both lifted, the second first;
  // returns where the first landed.
  async twoFingers({ a, b }) {
    const first = await pagePoint(...a);
    const second = await pagePoint(...b);
    const one = { x: first.x, y: first.y, id: 1 };
    await touch('touchStart', [one]);
    await touch('touchStart', [one, { x: second.x, y: second.y, id: 2 }]);
    await touch('touchEnd', [one]);
    await touch('touchEnd', []);
    return { spots: [[first.gameX, first.gameY]] };
  },
  // The button named name: where it is (CSS pixels), or pressed by a tap, a click or as
  // assistive technology does (activate, whatever covers it).
  async button({ name, press }) {
    const button = await buttonNamed(name);
    if (press === 'tap') {
      await touch('touchStart', [{ x: button.x, y: button.y, id: 1 }]);
      await touch('touchEnd', []);
    } else if (press === 'click') {
      await page.mouse.click(button.x, button.y);
    } else if (press === 'activate') {
      await button.handle.evaluate((element) => element.click());
    }
    return button.box;
  },
};

const lines = readline.createInterface({ input: process.stdin });
for await (const line of lines) {
  const command = JSON.parse(line);
  let reply;
  try {
    reply = { ok: true, ...(await commands[command.op](command)) };
  } catch (error) {
    reply = { ok: false, error: String(error && error.stack || error) };
  }
  process.stdout.write(JSON.stringify(reply) + '\n');
}
await browser.close();
rmSync(profile, { recursive: true, force: true });
