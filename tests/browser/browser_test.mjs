// browser_test.mjs -- the program in a web page, in headless Chromium: as a person sees and uses it, and frame by frame
// against our native layer. Screenshots are judged by the native build's screen tools.
//
//   node browser_test.mjs CASE --page WEB_BUILD --native NATIVE_BUILD --workdir DIR
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

import { PageDriver, runTool } from './page_driver.mjs';

const kComparedFrames = 19;  // zoom 10 down to 1, both flashes

const frameName = (frame) => `frame-${String(frame).padStart(4, '0')}.bmp`;

function check(ok, what) {
  if (!ok) throw new Error(what);
}

// Starts the program, has screenshots judged by screen_check with `judgement`, then Escape must end it with 27.
async function watchAndEscape(driver, native, judgement, shots) {
  await driver.start();
  await driver.waitForFrames(10);
  await driver.judgeScreens(native.screenCheck, judgement, shots);
  await driver.press('Escape');
  const code = await driver.exitCode();
  check(code === 27, `the page shows exit code ${code} after Escape, expected 27`);
}

const cases = {
  // After the start button: black and white flashes and the picture at several sizes; Escape ends it with 27.
  intro_shows_flashes_and_zooming_picture: (driver, native) => watchAndEscape(driver, native, 'intro', 16),

  // With no intro.bmp served, the program runs as on the desktop without the file: the flashes alone.
  intro_without_picture_only_flashes: (driver, native) => watchAndEscape(driver, native, 'flashes-only', 8),

  // A hidden page deactivates the program: no frames; shown again, the program restores its lost surfaces and
  // reloads its picture, as after a focus loss on the desktop. A page that loses the focus does the same.
  async hidden_or_blurred_page_stops_frames_and_restores_the_image(driver, native) {
    await driver.start({ trace: '/trace.txt' });
    await driver.waitForFrames(30);
    await driver.setHidden(true);
    const hidden = await driver.framesAfter(200);
    const stillHidden = await driver.framesAfter(600);
    check(stillHidden === hidden, `frames went on while the page was hidden: ${hidden}, then ${stillHidden}`);
    const traceWhileHidden = await driver.programText('/trace.txt');

    await driver.setHidden(false);
    await driver.waitForFrames(stillHidden + 30);
    await driver.judgeScreens(native.screenCheck, 'intro', 8);
    const afterShown = (await driver.programText('/trace.txt')).slice(traceWhileHidden.length);
    const calls = ['IDirectDrawSurface::Flip(surface1, NULL, 0x1) = 0x887601c2',
                   'IDirectDrawSurface::Restore(surface1) = 0x0', 'LoadImageA('];
    for (const call of calls) {
      check(afterShown.includes(call), `after the page was shown again the trace has no "${call}"`);
    }

    await driver.evaluate(() => window.dispatchEvent(new FocusEvent('blur')));
    const blurred = await driver.framesAfter(200);
    const stillBlurred = await driver.framesAfter(600);
    check(stillBlurred === blurred, `frames went on without the focus: ${blurred}, then ${stillBlurred}`);
    await driver.evaluate(() => window.dispatchEvent(new FocusEvent('focus')));
    await driver.waitForFrames(stillBlurred + 30);
    await driver.press('Escape');
    check(await driver.exitCode() === 27, 'Escape did not end the program with exit code 27');
  },

  // The first frames, captured in the page, equal our native layer's pixel for pixel, and the canvas shows the last
  // one as it is.
  async first_frames_match_our_layer(driver, native) {
    const frames = Array.from({ length: kComparedFrames }, (_, i) => i + 1).join(',');
    const nativeDir = path.join(driver.workdir, 'native');
    fs.mkdirSync(nativeDir);
    fs.copyFileSync(native.intro, path.join(nativeDir, 'intro.bmp'));
    const run = spawnSync(native.program,
                          ['--headless', '--unpaced', '--no-warning', `--capture=${frames}`,
                           `--script=${kComparedFrames}:key=ESCAPE`],
                          { cwd: nativeDir, encoding: 'utf8' });
    check(run.status === 27, `the native program ended with ${run.status}: ${run.error || run.stderr}`);

    // Deactivated after the last compared frame, the program stops drawing and the canvas keeps that frame.
    await driver.start({ unpaced: '', capture: frames, script: `${kComparedFrames}:deactivate` });
    await driver.waitForFrames(kComparedFrames);
    const shown = await driver.framesAfter(300);
    check(shown === kComparedFrames, `the page showed ${shown} frames, expected it to stop at ${kComparedFrames}`);
    const pageDir = path.join(driver.workdir, 'page');
    fs.mkdirSync(pageDir);
    for (let frame = 1; frame <= kComparedFrames; ++frame) {
      await driver.copyProgramFile(`/${frameName(frame)}`, path.join(pageDir, frameName(frame)));
    }
    runTool(native.screenCheck, ['compare', '--bound', '0', '--frames', String(kComparedFrames), nativeDir, pageDir]);

    const [screenshot] = await driver.screenshots(1, { prefix: 'canvas' });
    const lastDir = path.join(driver.workdir, 'native-last');
    const screenDir = path.join(driver.workdir, 'on-screen');
    fs.mkdirSync(lastDir);
    fs.mkdirSync(screenDir);
    fs.copyFileSync(path.join(nativeDir, frameName(kComparedFrames)), path.join(lastDir, frameName(1)));
    fs.copyFileSync(screenshot, path.join(screenDir, frameName(1)));
    runTool(native.screenCheck, ['compare', '--bound', '0', '--frames', '1', lastDir, screenDir]);
  },

  // A display mode the display refuses: the program's error box in the page, waited on; then it ends, as on the
  // desktop, with exit code 0.
  async refused_display_mode_shows_a_message_box(driver) {
    await driver.start({ fail: 'IDirectDraw::SetDisplayMode=0x80004001' });
    const box = await driver.messageBox();
    check(box.caption === 'Error' && box.text === 'Error Setting Display Mode',
          `the box says ${JSON.stringify(box)}, expected the caption "Error" and "Error Setting Display Mode"`);
    await driver.sleep(300);
    check(await driver.isHidden('#ended'), 'the program ended before its message box was answered');
    await driver.answerMessageBox();
    const code = await driver.exitCode();
    check(code === 0, `the page shows exit code ${code} after the box, expected 0`);
  },

  // Windows Sockets refused while the global objects are made, before main: each of the two guards' boxes shows
  // as the page loads and is waited on; their quit request then ends the started program with exit code 0.
  async refused_sockets_show_message_boxes_as_the_page_loads(driver) {
    await driver.load({ fail: 'WSAStartup=10091' });
    for (const guard of ['first', 'second']) {
      const box = await driver.messageBox();
      check(box.caption === 'Aborting' && box.text === 'Error Couldnt Init Winsock!',
            `the ${guard} box says ${JSON.stringify(box)}, expected "Aborting" and "Error Couldnt Init Winsock!"`);
      await driver.answerMessageBox();
    }
    await driver.click('#start');
    const code = await driver.exitCode();
    check(code === 0, `the page shows exit code ${code}, expected 0`);
  },
};

function parseArguments(argv) {
  const options = { case: argv[0] };
  for (let i = 1; i + 1 < argv.length; i += 2) {
    options[argv[i].replace(/^--/, '')] = argv[i + 1];
  }
  for (const key of ['page', 'native', 'workdir']) {
    if (!options[key]) {
      console.error('usage: node browser_test.mjs CASE --page DIR --native DIR --workdir DIR');
      process.exit(2);
    }
  }
  if (!cases[options.case]) {
    console.error(`browser_test: no case ${options.case}; the cases: ${Object.keys(cases).join(', ')}`);
    process.exit(2);
  }
  return options;
}

const options = parseArguments(process.argv.slice(2));
const nativeBuild = path.resolve(options.native);
const native = {
  program: path.join(nativeBuild, 'tamberlyn'),
  intro: path.join(nativeBuild, 'intro.bmp'),
  screenCheck: path.join(nativeBuild, 'tests/screen/screen_check'),
};
for (const file of Object.values(native)) {
  if (!fs.existsSync(file)) {
    console.error(`browser_test: ${file} is missing (build the default preset first)`);
    process.exit(2);
  }
}
const driver = await PageDriver.open({
  page: options.page, workdir: options.workdir,
  missing: options.case === 'intro_without_picture_only_flashes' ? ['intro.bmp'] : [],
});
let failed = false;
try {
  await cases[options.case](driver, native);
  console.log(`${options.case}: passed`);
} catch (error) {
  failed = true;
  console.log(`${options.case}: FAILED: ${error.message}`);
  console.log(`the page's console:\n  ${driver.console.slice(-20).join('\n  ')}`);
  await driver.screenshot(path.join(options.workdir, 'failure.png')).catch(() => {});
} finally {
  await driver.close();
}
process.exit(failed ? 1 : 0);
