// page.js -- the page around the program: the page's parameters as the program's options, the start button, the
// canvas and its scaling, keys, focus and visibility queued for the program, waiting, message boxes, sound, saved
// pictures and the exit code. The browser host (web_page.cpp) calls it as Module.page.
'use strict';

(function () {
  const byId = (id) => document.getElementById(id);
  const warning = byId('warning');
  const startButton = byId('start');
  const status = byId('status');
  const screenArea = byId('screen');
  const canvas = byId('canvas');
  const context = canvas.getContext('2d');
  const messageBox = byId('message-box');
  const ended = byId('ended');
  const notes = byId('notes');
  const output = byId('output');
  const pictures = byId('pictures');

  // Every page parameter is an option: ?scale=integer is --scale=integer, ?unpaced is --unpaced. The warning was
  // this page's first screen, so the program does not show it again.
  const parameters = new URLSearchParams(location.search);
  const programArguments = ['--no-warning'];
  parameters.forEach((value, key) => programArguments.push(value === '' ? `--${key}` : `--${key}=${value}`));
  byId(parameters.has('reduced-flashing') ? 'reduced-off' : 'reduced-on').hidden = false;

  let running = false;
  let scaling = 'fit';
  let windowMode = 'desktop';
  let wakeWaiter = null;  // ends a wait for input early
  const yielders = [];    // zero waits: a message to ourselves, which browsers do not hold back as they do timers
  const channel = new MessageChannel();
  channel.port1.onmessage = () => yielders.shift()();

  function say(text) {
    status.textContent = text;
  }

  // What the program wrote and the pictures it saved show while it is not running (they would cover its screen).
  function showNotes() {
    notes.hidden = running || (output.textContent === '' && !pictures.firstChild);
  }

  function show(text, stream) {
    (stream === 'error' ? console.warn : console.log)(text);
    output.textContent += text + '\n';
    showNotes();
  }

  function queue(event) {
    page.events.push(event);
    if (wakeWaiter) wakeWaiter();
  }

  // The program's input: keys while it runs and no message box is up, and whether the page is shown and has the
  // focus. Keys held with Ctrl or Meta reach the program and also do what the browser does with them (Ctrl+R, Ctrl+W);
  // the others are the program's alone.
  function listen() {
    const onKey = (event) => {
      if (!running || messageBox.open) return;
      if (!event.ctrlKey && !event.metaKey) event.preventDefault();
      const character = /^[a-z0-9]$/i.test(event.key) ? event.key.toLowerCase().charCodeAt(0) : 0;
      queue({kind: 'key', code: event.code, character, down: event.type === 'keydown', repeat: event.repeat,
             alt: event.altKey, control: event.ctrlKey, numLock: event.getModifierState('NumLock')});
    };
    window.addEventListener('keydown', onKey);
    window.addEventListener('keyup', onKey);
    const active = () => !document.hidden && document.hasFocus();
    window.addEventListener('blur', () => queue({kind: 'active', active: false}));
    window.addEventListener('focus', () => queue({kind: 'active', active: active()}));
    document.addEventListener('visibilitychange', () => queue({kind: 'active', active: active()}));
  }

  // The picture as large as the screen allows: fitted, in whole device pixels per picture pixel, or stretched.
  function layout() {
    const width = canvas.width;
    const height = canvas.height;
    let shown = [width, height];
    if (windowMode !== 'window') {
      const ratio = window.devicePixelRatio || 1;
      const room = [screenArea.clientWidth * ratio, screenArea.clientHeight * ratio];
      let scale = Math.min(room[0] / width, room[1] / height);
      if (scaling === 'integer' && scale >= 1) scale = Math.floor(scale);
      shown = scaling === 'stretch' ? room : [width * scale, height * scale];
      shown = shown.map((size) => size / ratio);
    }
    canvas.style.width = `${shown[0]}px`;
    canvas.style.height = `${shown[1]}px`;
  }

  const page = {
    arguments: programArguments,
    events: [],
    frames: 0,
    startedAt: 0,
    firstFrameAt: 0,
    lastFrameAt: 0,

    showScreen(scalingWord, windowModeWord) {
      scaling = scalingWord;
      windowMode = windowModeWord;
      screenArea.hidden = false;
      layout();
    },

    present(bytes, width, height) {
      if (canvas.width !== width || canvas.height !== height) {
        canvas.width = width;
        canvas.height = height;
        layout();
      }
      const pixels = new Uint8ClampedArray(bytes.buffer, bytes.byteOffset, bytes.length);
      context.putImageData(new ImageData(pixels, width, height), 0, 0);
      page.lastFrameAt = performance.now();
      if (page.frames++ === 0) page.firstFrameAt = page.lastFrameAt;
    },

    setCursorVisible(visible) {
      canvas.style.cursor = visible ? '' : 'none';
    },

    toggleFullScreen() {
      const change = document.fullscreenElement ? document.exitFullscreen() : screenArea.requestFullscreen();
      change.catch((error) => show(`full screen: ${error.message}`, 'error'));
    },

    wait(milliseconds, untilInput) {
      return new Promise((resolve) => {
        let timer = 0;
        let done = false;
        const finish = () => {
          if (done) return;
          done = true;
          clearTimeout(timer);
          if (wakeWaiter === finish) wakeWaiter = null;
          resolve(page.events.length > 0);
        };
        if (untilInput) {
          if (page.events.length) return finish();
          wakeWaiter = finish;
        }
        if (milliseconds > 0) {
          timer = setTimeout(finish, milliseconds);
        } else {
          yielders.push(finish);
          channel.port2.postMessage(null);
        }
      });
    },

    waitForAnimationFrame(capMilliseconds) {
      return new Promise((resolve) => {
        const timer = setTimeout(resolve, capMilliseconds);
        requestAnimationFrame(() => {
          clearTimeout(timer);
          resolve();
        });
      });
    },

    messageBox(text, caption, icon) {
      byId('message-caption').textContent = caption;
      byId('message-text').textContent = text;
      messageBox.className = icon;
      messageBox.showModal();
      return new Promise((resolve) => messageBox.addEventListener('close', resolve, {once: true}));
    },

    openAudio() {
      const AudioContext = window.AudioContext || window.webkitAudioContext;
      if (!AudioContext) return false;
      try {
        page.audio = new AudioContext();
      } catch (error) {
        show(`sound: ${error.message}`, 'error');
        return false;
      }
      page.audio.suspend();
      return true;
    },

    setAudioPlaying(playing) {
      if (page.audio) (playing ? page.audio.resume() : page.audio.suspend()).catch(() => {});
    },

    closeAudio() {
      if (page.audio) page.audio.close().catch(() => {});
      page.audio = null;
    },

    pictureSaved(name, bytes) {
      const link = document.createElement('a');
      link.href = URL.createObjectURL(new Blob([bytes], {type: 'image/bmp'}));
      link.download = name.replace(/^.*\//, '');
      link.textContent = link.download;
      pictures.appendChild(document.createElement('li')).appendChild(link);
    },
  };

  function finished(text, code) {
    running = false;
    showNotes();
    warning.hidden = true;  // nothing left to start
    ended.textContent = text;
    if (code !== undefined) ended.dataset.exitCode = code;
    ended.hidden = false;
    say('');
  }

  window.Module = {
    page,
    print: (text) => show(text, 'output'),
    printErr: (text) => show(text, 'error'),
    // intro.bmp is served beside the page and put where the program looks for it, in its working directory; the
    // program runs without it, as anywhere, when it is missing.
    preRun: [() => {
      Module.addRunDependency('intro.bmp');
      fetch('intro.bmp')
        .then((response) => (response.ok ? response.arrayBuffer() : null))
        .then((data) => data && Module.FS.writeFile('/intro.bmp', new Uint8Array(data)))
        .catch((error) => show(`intro.bmp: ${error.message}`, 'error'))
        .finally(() => Module.removeRunDependency('intro.bmp'));
    }],
    onRuntimeInitialized() {
      startButton.disabled = false;
      say('');
    },
    onExit: (code) => finished(`The program ended with exit code ${code}.`, code),
    onAbort: (what) => finished(`The program stopped: ${what}`),
  };

  // The click starts the program: the browser lets sound start inside a click, and the program opens its sound
  // before it first waits.
  startButton.addEventListener('click', () => {
    warning.hidden = true;
    running = true;
    showNotes();
    listen();
    page.startedAt = performance.now();
    Module.callMain();  // the program reads its arguments from the page (web_arguments.cpp)
  });
  // exit() ends the program by throwing ExitStatus up through what resumed it last, a promise of a wait: that is
  // its end (Module.onExit has run). Any other error thrown out of the program has stopped it.
  window.addEventListener('unhandledrejection', (event) => {
    if (event.reason && event.reason.name === 'ExitStatus') {
      event.preventDefault();
    } else if (ended.hidden) {
      finished(`The program stopped: ${event.reason}`);
    }
  });
  window.addEventListener('error', (event) => ended.hidden && finished(`The program stopped: ${event.message}`));
  window.addEventListener('resize', layout);
  document.addEventListener('fullscreenchange', layout);
  say('Loading…');
})();
