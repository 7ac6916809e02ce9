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
const GAME_HEIGHT = 272;
const kind = process.argv[2];
const profile = mkdtempSync(join(tmpdir(), 'noughts-browser-'));
// Shared with tools/lighthouse-web.py, which runs the same Chromium.
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
let stdout = '';
let stderr = '';

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
      stdout = '';
      stderr = '';
    }
  });
  target.on('pageerror', (error) => {
    stderr += 'page error: ' + error.message + '\n';
  });
}

// A whole CSS pixel inside game pixel (x, y), whatever the canvas's scale: Firefox rounds
// fractions, which would move the pointer a game pixel at scale 1.
async function pagePoint(x, y) {
  return page.evaluate((gx, gy, w, h) => {
    const rect = document.getElementById('canvas').getBoundingClientRect();
    const scale = rect.width / w;
    const offset = Math.floor(scale / 2);
    return { x: Math.round(rect.left) + gx * scale + offset, y: Math.round(rect.top) + gy * scale + offset };
  }, x, y, GAME_WIDTH, GAME_HEIGHT);
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
  async open({ url, width, height, leaveOut = [], files = {} }) {
    if (page) await page.close();
    stdout = '';
    stderr = '';
    page = await browser.newPage();
    listen(page);
    if (leaveOut.length || Object.keys(files).length) {
      await page.evaluateOnNewDocument(setPictures, leaveOut, files);
    }
    await page.setViewport({ width, height, hasTouch: true });
    await page.goto(url);
    return {};
  },
  async reload() {
    await page.reload();
    return {};
  },
  async output() {
    return { stdout, stderr };
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
  // What the page shows, as a PNG, base64.
  async screenshot() {
    return { png: await page.screenshot({ encoding: 'base64' }) };
  },
  async key({ name }) {
    await page.keyboard.press(name);
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
  async tap({ x, y }) {
    const point = await pagePoint(x, y);
    await page.touchscreen.tap(point.x, point.y);
    return {};
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
