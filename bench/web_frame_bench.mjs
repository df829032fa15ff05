// web_frame_bench.mjs -- the intro's frame in a web page, unpaced, beside the native program's frame on this machine;
// also the time from the start button's click to the first frame.
//
//   node bench/web_frame_bench.mjs [--frames N] [--runs R] [--page WEB_BUILD]
//
// Run it after make test (or make build web); WEB_BUILD defaults to build/web.
//
// The page's frame: performance.now() at frame 1 and at frame N + 1, as the page records each frame it puts on the
// canvas, over N. The native frame: the whole program run for 10N and for 20N frames (headless, and in a window of
// SDL's dummy video driver), the difference over 10N, so that start-up and exit drop out (the native frame is short:
// ten times the frames keep the process's noise small beside them). Medians of R runs; the ratios are the figures to
// read.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

import { PageDriver } from '../tests/browser/page_driver.mjs';

const root = path.resolve(path.dirname(new URL(import.meta.url).pathname), '..');
const options = { frames: 1000, runs: 3, page: path.join(root, 'build/web') };
for (let i = 2; i + 1 < process.argv.length; i += 2) {
  const key = process.argv[i].replace(/^--/, '');
  options[key] = key === 'page' ? path.resolve(process.argv[i + 1]) : Number(process.argv[i + 1]);
}
const program = path.join(root, 'build/default/tamberlyn');
const intro = path.join(root, 'build/default/intro.bmp');
const page = options.page;
for (const needed of [program, intro, path.join(page, 'tamberlyn.wasm')]) {
  if (!fs.existsSync(needed)) {
    console.error(`web_frame_bench: ${needed} is missing (make build web)`);
    process.exit(1);
  }
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

// Milliseconds the native program takes to run `frames` frames and end, from a folder holding intro.bmp.
function nativeRun(frames, environment, folder) {
  const start = process.hrtime.bigint();
  const run = spawnSync(program, ['--unpaced', '--no-warning', `--script=${frames}:key=ESCAPE`],
                        { cwd: folder, env: { ...process.env, ...environment }, encoding: 'utf8' });
  const milliseconds = Number(process.hrtime.bigint() - start) / 1e6;
  if (run.status !== 27) {
    throw new Error(`the native program ended with ${run.status}: ${run.error || run.stderr}`);
  }
  return milliseconds;
}

function nativeFrame(environment) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'tamberlyn-bench-'));
  fs.copyFileSync(intro, path.join(folder, 'intro.bmp'));
  const count = 10 * options.frames;
  const frames = [];
  for (let run = 0; run < options.runs; ++run) {
    frames.push((nativeRun(2 * count, environment, folder) - nativeRun(count, environment, folder)) / count);
  }
  fs.rmSync(folder, { recursive: true, force: true });
  return median(frames);
}

async function pageRun() {
  const workdir = fs.mkdtempSync(path.join(os.tmpdir(), 'tamberlyn-bench-'));
  const driver = await PageDriver.open({ page, workdir });
  try {
    const last = options.frames + 1;
    await driver.start({ unpaced: '', script: `${last}:deactivate` });
    await driver.waitForFrames(last, 120000);
    const times = await driver.evaluate(() => ({
      frames: Module.page.frames, started: Module.page.startedAt, first: Module.page.firstFrameAt,
      last: Module.page.lastFrameAt,
    }));
    if (times.frames !== last) throw new Error(`the page showed ${times.frames} frames, expected ${last}`);
    return { frame: (times.last - times.first) / options.frames, firstFrame: times.first - times.started };
  } finally {
    fs.rmSync(driver.workdir, { recursive: true, force: true });
    await driver.close();
  }
}

const pageRuns = [];
for (let run = 0; run < options.runs; ++run) pageRuns.push(await pageRun());
const pageFrame = median(pageRuns.map((run) => run.frame));
const firstFrame = median(pageRuns.map((run) => run.firstFrame));
const headless = nativeFrame({ TAMBERLYN_HEADLESS: '1' });
const windowed = nativeFrame({ SDL_VIDEODRIVER: 'dummy', SDL_AUDIODRIVER: 'dummy', TAMBERLYN_WINDOW: 'window' });

const column = (what) => what.padEnd(34);
const beside = (frame) => `${frame.toFixed(3)} ms a frame; page / native ${(pageFrame / frame).toFixed(2)}`;
console.log(`frames: ${options.frames}, runs: ${options.runs} (medians)`);
console.log(`${column('page, unpaced:')}${pageFrame.toFixed(3)} ms a frame`);
console.log(`${column('native, headless:')}${beside(headless)}`);
console.log(`${column('native, dummy video, 640 x 480:')}${beside(windowed)}`);
console.log(`${column('page, click to first frame:')}${firstFrame.toFixed(0)} ms`);
