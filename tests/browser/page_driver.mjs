// page_driver.mjs -- the browser tests' hands and eyes: the web build served on 127.0.0.1, Debian's Chromium run
// headless with a fresh profile, the page opened with parameters and started, screenshots and the program's files
// saved as BMP files for the native build's screen tools, and those tools run.
import { execFileSync, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import { serve } from '../../tools/web/serve.mjs';
import { DevTools } from './devtools.mjs';

// The screen is the picture's size, so that the fitted picture is shown at 1:1, as the screen tools expect.
const kViewport = { width: 640, height: 480 };

// The keys the tests press, as the browser reports them.
const kKeys = { Escape: { key: 'Escape', code: 'Escape', windowsVirtualKeyCode: 27 } };

export class PageDriver {
  // `options`: page (the web build folder), workdir, missing (files the server answers 404 for).
  static async open(options) {
    const driver = new PageDriver();
    driver.workdir = options.workdir;
    fs.rmSync(driver.workdir, { recursive: true, force: true });
    fs.mkdirSync(driver.workdir, { recursive: true });
    driver.server = await serve(options.page, { missing: options.missing || [] });
    driver.profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tamberlyn-chromium-'));
    driver.browser = DevTools.launch(process.env.CHROMIUM || '/usr/bin/chromium', [
      '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', `--user-data-dir=${driver.profile}`,
      `--window-size=${kViewport.width},${kViewport.height}`]);
    driver.session = await driver.browser.attachToPage();
    driver.console = [];
    driver.on('Runtime.consoleAPICalled', ({ args }) =>
      driver.console.push(args.map((arg) => arg.value ?? arg.description ?? '').join(' ')));
    driver.on('Runtime.exceptionThrown', ({ exceptionDetails }) =>
      driver.console.push(`page error: ${exceptionDetails.exception?.description ?? exceptionDetails.text}`));
    driver.on('Log.entryAdded', ({ entry }) => driver.console.push(entry.text));
    await Promise.all([driver.send('Page.enable'), driver.send('Runtime.enable'), driver.send('Log.enable')]);
    await driver.send('Emulation.setDeviceMetricsOverride', { ...kViewport, deviceScaleFactor: 1, mobile: false });
    // A headless page has no window to be focused; this one counts as focused, as a page in front of a person.
    await driver.send('Emulation.setFocusEmulationEnabled', { enabled: true });
    return driver;
  }

  send(method, params = {}) {
    return this.browser.send(method, params, this.session);
  }

  on(method, callback) {
    this.browser.on(method, this.session, callback);
  }

  async close() {
    await this.browser.close();
    this.server.close();
    fs.rmSync(this.profile, { recursive: true, force: true });
  }

  // The value of a JavaScript expression in the page, or of `fn(argument)`; promises are waited for. The page's
  // exceptions are thrown here.
  async evaluate(expressionOrFunction, argument) {
    const expression = typeof expressionOrFunction === 'function'
      ? `(${expressionOrFunction})(${JSON.stringify(argument)})` : expressionOrFunction;
    const { result, exceptionDetails } =
      await this.send('Runtime.evaluate', { expression, awaitPromise: true, returnByValue: true });
    if (exceptionDetails) {
      throw new Error(`the page threw: ${exceptionDetails.exception?.description ?? exceptionDetails.text}`);
    }
    return result.value;
  }

  sleep(milliseconds) {
    return new Promise((resolve) => setTimeout(resolve, milliseconds));
  }

  // A left click in the middle of the element, as a person's: the page takes it as a user's gesture.
  async click(selector) {
    const box = await this.evaluate((query) => {
      const rect = document.querySelector(query).getBoundingClientRect();
      return { x: rect.x + rect.width / 2, y: rect.y + rect.height / 2 };
    }, selector);
    for (const type of ['mousePressed', 'mouseReleased']) {
      await this.send('Input.dispatchMouseEvent', { type, ...box, button: 'left', clickCount: 1 });
    }
  }

  async press(key) {
    for (const type of ['keyDown', 'keyUp']) {
      await this.send('Input.dispatchKeyEvent', { type, ...kKeys[key] });
    }
  }

  isHidden(selector) {
    return this.evaluate((query) => document.querySelector(query).hidden, selector);
  }

  // The value of `condition` once it is true, polled in the page every few milliseconds; throws after `timeout`.
  async waitFor(condition, timeout = 20000) {
    const value = await this.evaluate(`new Promise((resolve) => {
      const end = performance.now() + ${timeout};
      (function poll() {
        let value;
        try { value = (${condition}); } catch (error) { value = undefined; }
        if (value || performance.now() > end) resolve(value || null); else setTimeout(poll, 4);
      })();
    })`);
    if (!value) {
      throw new Error(`waited ${timeout} ms for ${condition}`);
    }
    return value;
  }

  // Opens the page with `parameters` (the program's options) and waits until it can start.
  async load(parameters = {}) {
    const query = new URLSearchParams(parameters).toString();
    const loaded = this.browser.once('Page.loadEventFired', this.session);
    await this.send('Page.navigate', { url: `${this.server.address}index.html${query ? '?' + query : ''}` });
    await loaded;
    await this.waitUntil('!document.getElementById("start").disabled');
  }

  // Waits until the JavaScript condition holds in the page; fails at once, with what the page says, if the program
  // ends or stops first.
  async waitUntil(condition, timeout = 20000) {
    const ended = '!document.getElementById("ended").hidden';
    if (await this.waitFor(`(${condition}) ? 'held' : ${ended} && 'ended'`, timeout) !== 'held') {
      throw new Error(`the program ended while waiting for ${condition}: ` +
                      await this.evaluate('document.getElementById("ended").textContent'));
    }
  }

  // Loads the page and clicks its start button.
  async start(parameters = {}) {
    await this.load(parameters);
    await this.click('#start');
  }

  // Clicks the message box's OK and waits for the box to close.
  async answerMessageBox() {
    const closed = this.evaluate(() => new Promise((resolve) => {
      document.getElementById('message-box').addEventListener('close', resolve, { once: true });
    }));
    await this.click('#message-ok');
    await closed;
  }

  // The caption and text of the page's message box once it shows.
  async messageBox() {
    await this.waitUntil('document.getElementById("message-box").open');
    return this.evaluate(() => ({ caption: document.getElementById('message-caption').textContent,
                                       text: document.getElementById('message-text').textContent }));
  }

  frames() {
    return this.evaluate(() => Module.page.frames);
  }

  async waitForFrames(count, timeout = 20000) {
    await this.waitUntil(`Module.page.frames >= ${count}`, timeout);
  }

  // The frame count after `milliseconds` with nothing done.
  async framesAfter(milliseconds) {
    await this.sleep(milliseconds);
    return this.frames();
  }

  // A hidden page as the browser reports it (a headless page is never really hidden): visibility and the event.
  async setHidden(hidden) {
    await this.evaluate((value) => {
      const state = value ? 'hidden' : 'visible';
      Object.defineProperty(document, 'hidden', { configurable: true, get: () => value });
      Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => state });
      document.dispatchEvent(new Event('visibilitychange'));
    }, hidden);
  }

  // Screenshots of the page as BMP files shot-NN.bmp in the work folder, `count` of them numbered from `first`, as
  // fast as they come. With `alternating`, each shot waits for a new frame of the other parity than the last one's: a
  // screenshot can take a steady whole number of frames, and shots taken back to back would then see one flash.
  async screenshots(count, { prefix = 'shot', first = 1, alternating = false } = {}) {
    const files = [];
    for (let shot = first; shot < first + count; ++shot) {
      if (alternating) {
        await this.waitUntil(`Module.page.frames % 2 === ${shot % 2}`);
      }
      const png = path.join(this.workdir, `${prefix}-${String(shot).padStart(2, '0')}.png`);
      await this.screenshot(png);
      files.push(png);
    }
    return files.map((png) => toBmp(png));
  }

  // Screenshots of the running intro judged together by screen_check's `judgement`. A busy machine's compositor can
  // show only every second frame for a while, and so one flash alone: up to four rounds of `count` shots are taken
  // before the judgement fails.
  async judgeScreens(screenCheck, judgement, count) {
    const files = [];
    for (let round = 1; ; ++round) {
      files.push(...await this.screenshots(count, { first: files.length + 1, alternating: true }));
      if (round === 4) {
        return runTool(screenCheck, [judgement, ...files]);  // the last round's verdict, and why, stand
      }
      const judged = spawnSync(screenCheck, [judgement, ...files], { encoding: 'utf8' });
      if (judged.status === 0) {
        process.stdout.write(judged.stdout);
        return;
      }
    }
  }

  // The exit code the page shows once the program has ended.
  async exitCode(timeout = 10000) {
    await this.waitFor('!document.getElementById("ended").hidden', timeout);
    const code = await this.evaluate(() => document.getElementById('ended').dataset.exitCode);
    return code === undefined ? null : Number(code);
  }

  // A file of the program's file system, copied out (as base64: the page's quickest way to hand over bytes).
  async copyProgramFile(name, to) {
    const base64 = await this.evaluate(async (file) => {
      const reader = new FileReader();
      const read = new Promise((resolve) => { reader.onload = () => resolve(reader.result); });
      reader.readAsDataURL(new Blob([Module.FS.readFile(file)]));
      const url = await read;
      return url.slice(url.indexOf(',') + 1);
    }, name);
    fs.writeFileSync(to, Buffer.from(base64, 'base64'));
    return to;
  }

  // The page as shown, as a PNG file.
  async screenshot(png) {
    const { data } = await this.send('Page.captureScreenshot', { format: 'png' });
    fs.writeFileSync(png, Buffer.from(data, 'base64'));
  }

  programText(name) {
    return this.evaluate((file) => Module.FS.readFile(file, { encoding: 'utf8' }), name);
  }
}

// ImageMagick's convert: screenshots are PNG, the screen tools read 24-bit BMP.
function toBmp(png) {
  const bmp = png.replace(/\.png$/, '.bmp');
  execFileSync('convert', [png, '-alpha', 'off', '-type', 'TrueColor', `BMP3:${bmp}`]);
  return bmp;
}

// Runs a native tool and shows what it printed; a failure ends the test.
export function runTool(tool, args) {
  try {
    process.stdout.write(execFileSync(tool, args, { encoding: 'utf8' }));
  } catch (error) {
    process.stdout.write(error.stdout || '');
    throw new Error(`${path.basename(tool)} failed (exit code ${error.status})`);
  }
}
