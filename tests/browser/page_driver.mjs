// page_driver.mjs -- the browser tests' hands and eyes: the web build served on 127.0.0.1, Debian's Chromium run
// headless with a fresh profile, the page opened with parameters and started, screenshots and the program's files
// saved as BMP files for the native build's screen tools, and those tools run.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';

import { serve } from '../../tools/web/serve.mjs';

// The screen is the picture's size, so that the fitted picture is shown at 1:1, as the screen tools expect.
const kViewport = { width: 640, height: 480 };

export class PageDriver {
  // `options`: page (the web build folder), driver (playwright-core's folder, where npm installed it), workdir,
  // missing (files the server answers 404 for).
  static async open(options) {
    const { chromium } = createRequire(import.meta.url)(path.resolve(options.driver));
    const driver = new PageDriver();
    driver.workdir = options.workdir;
    fs.rmSync(driver.workdir, { recursive: true, force: true });
    fs.mkdirSync(driver.workdir, { recursive: true });
    driver.server = await serve(options.page, { missing: options.missing || [] });
    driver.profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tamberlyn-chromium-'));
    driver.context = await chromium.launchPersistentContext(driver.profile, {
      executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
      headless: true,
      args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
             '--disable-component-update', '--disable-sync'],
      viewport: kViewport,
    });
    driver.page = driver.context.pages()[0] || await driver.context.newPage();
    driver.console = [];
    driver.page.on('console', (message) => driver.console.push(message.text()));
    driver.page.on('pageerror', (error) => driver.console.push(`page error: ${error.message}`));
    return driver;
  }

  async close() {
    await this.context.close();
    this.server.close();
    fs.rmSync(this.profile, { recursive: true, force: true });
  }

  // Opens the page with `parameters` (the program's options) and waits until it can start.
  async load(parameters = {}) {
    const query = new URLSearchParams(parameters).toString();
    await this.page.goto(`${this.server.address}index.html${query ? '?' + query : ''}`);
    await this.waitUntil('!document.getElementById("start").disabled');
  }

  // Waits until the JavaScript condition holds in the page; fails at once, with what the page says, if the program
  // ends or stops first.
  async waitUntil(condition, timeout = 20000) {
    const ended = '!document.getElementById("ended").hidden';
    const held = await this.page.waitForFunction(`(${condition}) ? 'held' : ${ended} && 'ended'`, null, { timeout });
    if (await held.jsonValue() !== 'held') {
      throw new Error(`the program ended while waiting for ${condition}: ` +
                      await this.page.evaluate('document.getElementById("ended").textContent'));
    }
  }

  // Loads the page and clicks its start button.
  async start(parameters = {}) {
    await this.load(parameters);
    await this.page.click('#start');
  }

  // Clicks the message box's OK and waits for the box to close.
  async answerMessageBox() {
    const closed = this.page.evaluate(() => new Promise((resolve) => {
      document.getElementById('message-box').addEventListener('close', resolve, { once: true });
    }));
    await this.page.click('#message-ok');
    await closed;
  }

  // The caption and text of the page's message box once it shows.
  async messageBox() {
    await this.waitUntil('document.getElementById("message-box").open');
    return this.page.evaluate(() => ({ caption: document.getElementById('message-caption').textContent,
                                       text: document.getElementById('message-text').textContent }));
  }

  frames() {
    return this.page.evaluate(() => Module.page.frames);
  }

  async waitForFrames(count, timeout = 20000) {
    await this.waitUntil(`Module.page.frames >= ${count}`, timeout);
  }

  // The frame count after `milliseconds` with nothing done.
  async framesAfter(milliseconds) {
    await this.page.waitForTimeout(milliseconds);
    return this.frames();
  }

  // A hidden page as the browser reports it (a headless page is never really hidden): visibility and the event.
  async setHidden(hidden) {
    await this.page.evaluate((value) => {
      const state = value ? 'hidden' : 'visible';
      Object.defineProperty(document, 'hidden', { configurable: true, get: () => value });
      Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => state });
      document.dispatchEvent(new Event('visibilitychange'));
    }, hidden);
  }

  // Screenshots of the page as BMP files shot-NN.bmp in the work folder, `count` of them as fast as they come.
  // With `alternating`, each shot waits for a new frame of the other parity than the last one's: a screenshot can
  // take a steady whole number of frames, and shots taken back to back would then all see the same flash.
  async screenshots(count, { prefix = 'shot', alternating = false } = {}) {
    const files = [];
    for (let shot = 1; shot <= count; ++shot) {
      if (alternating) {
        await this.waitUntil(`Module.page.frames % 2 === ${shot % 2}`);
      }
      const png = path.join(this.workdir, `${prefix}-${String(shot).padStart(2, '0')}.png`);
      await this.page.screenshot({ path: png });
      files.push(png);
    }
    return files.map((png) => toBmp(png));
  }

  // The exit code the page shows once the program has ended.
  async exitCode(timeout = 10000) {
    await this.page.waitForSelector('#ended:not([hidden])', { timeout });
    const code = await this.page.evaluate(() => document.getElementById('ended').dataset.exitCode);
    return code === undefined ? null : Number(code);
  }

  // A file of the program's file system, copied out (as base64: the page's quickest way to hand over bytes).
  async copyProgramFile(name, to) {
    const base64 = await this.page.evaluate(async (file) => {
      const reader = new FileReader();
      const read = new Promise((resolve) => { reader.onload = () => resolve(reader.result); });
      reader.readAsDataURL(new Blob([Module.FS.readFile(file)]));
      const url = await read;
      return url.slice(url.indexOf(',') + 1);
    }, name);
    fs.writeFileSync(to, Buffer.from(base64, 'base64'));
    return to;
  }

  programText(name) {
    return this.page.evaluate((file) => Module.FS.readFile(file, { encoding: 'utf8' }), name);
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
