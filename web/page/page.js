// The page around the browser build: it starts the game, hands it the keys
// (as SDL key numbers), shows every presented frame in the canvas, enlarges
// the canvas by whole factors, offers fullscreen, and plays a recording
// named in the address (?replay=URL; &headless=1&verify=1 for the tests).
'use strict';
const QuarndelPage = (() => {
  const canvas = document.getElementById('screen');
  const hint = document.getElementById('hint');
  const context = canvas.getContext('2d');
  const params = new URLSearchParams(location.search);
  const replayUrl = params.get('replay');
  const headless = params.get('headless') === '1';
  const verify = params.get('verify') === '1';
  const opened = performance.now();
  let module = null;
  let running = false;
  let ended = false;
  let waitingForFirstKey = !replayUrl;

  // What the tests and the measurements read.
  const state = window.quarndel = {
    lines: [], // what the game printed
    status: null, // the exit status once the game has ended
    firstFrameMs: null, // from opening the page to the first frame shown
    frameTimes: [], // when each frame was shown (ms since the page opened)
    canvasChecksum: null, // of the canvas once a replay ended, like the game's
    replayMs: null, // from the game's start to its end
    module: null,
  };
  let mainStarted = 0;

  // SDL key numbers of the keys the game and its shell use.
  const named = {
    ArrowUp: 273, ArrowDown: 274, ArrowRight: 275, ArrowLeft: 276, Enter: 13,
    NumpadEnter: 271, Escape: 27, Space: 32, Backspace: 8, Tab: 9,
    ShiftLeft: 304, ShiftRight: 303, ControlLeft: 306, ControlRight: 305,
    AltLeft: 308, AltRight: 307,
  };
  function sdlKey(event) {
    if (event.code in named) return named[event.code];
    let m = /^Key([A-Z])$/.exec(event.code);
    if (m) return m[1].toLowerCase().charCodeAt(0);
    m = /^Digit([0-9])$/.exec(event.code);
    if (m) return 48 + Number(m[1]);
    m = /^F([0-9]+)$/.exec(event.code);
    if (m && Number(m[1]) <= 15) return 281 + Number(m[1]);
    return 0;
  }

  function fitCanvas() {
    const stage = canvas.parentElement;
    const factor = Math.max(1, Math.floor(Math.min(stage.clientWidth / 640,
      stage.clientHeight / 480)));
    canvas.style.width = 640 * factor + 'px';
    canvas.style.height = 480 * factor + 'px';
  }

  function toggleFullscreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen().catch(() => {});
    }
    canvas.focus();
  }

  function showHint(text) {
    hint.textContent = text;
    hint.hidden = !text;
  }

  function onKey(event, down) {
    if (event.code === 'F11') {
      event.preventDefault();
      if (down && !event.repeat) toggleFullscreen();
      return;
    }
    const sym = sdlKey(event);
    if (sym === 0 || event.ctrlKey || event.metaKey) return; // the browser's own shortcuts
    // The keyboard stays with the game: arrows and Space do not scroll.
    event.preventDefault();
    if (event.repeat) return; // SDL repeats no keys unless asked
    if (window.QuarndelSound) window.QuarndelSound.unlock();
    if (ended) {
      if (down) location.reload();
      return;
    }
    if (waitingForFirstKey) {
      if (down) {
        waitingForFirstKey = false;
        showHint('');
      }
      return; // the key that wakes the page is not a game key
    }
    if (running) module._QuarndelKey(sym, down ? 1 : 0);
  }

  // The frame checksum the game prints at the end of a replay, computed from
  // the canvas: FNV-1a over each row's pixels as the game's 32-bit screen
  // holds them in memory (blue, green, red, then an unused zero byte).
  function canvasChecksum() {
    const data = context.getImageData(0, 0, 640, 480).data;
    let hash = 2166136261 >>> 0;
    const step = (byte) => { hash = Math.imul(hash ^ byte, 16777619) >>> 0; };
    for (let i = 0; i < data.length; i += 4) {
      step(data[i + 2]); step(data[i + 1]); step(data[i]); step(0);
    }
    return ('0000000' + hash.toString(16)).slice(-8);
  }

  function present(pointer) {
    const pixels = new Uint8ClampedArray(module.HEAPU8.buffer, pointer, 640 * 480 * 4);
    context.putImageData(new ImageData(pixels, 640, 480), 0, 0);
    const now = performance.now() - opened;
    if (state.firstFrameMs === null) {
      state.firstFrameMs = now;
      if (waitingForFirstKey) showHint('Press a key to play');
      else showHint('');
    }
    if (state.frameTimes.length < 100000) state.frameTimes.push(now);
  }

  async function start() {
    fitCanvas();
    window.addEventListener('resize', fitCanvas);
    document.addEventListener('fullscreenchange', fitCanvas);
    window.addEventListener('keydown', (e) => onKey(e, true));
    window.addEventListener('keyup', (e) => onKey(e, false));
    document.getElementById('fullscreen').addEventListener('click', toggleFullscreen);
    canvas.addEventListener('click', () => {
      canvas.focus();
      if (window.QuarndelSound) window.QuarndelSound.unlock();
    });
    canvas.focus();
    if ('serviceWorker' in navigator && location.protocol.startsWith('http') &&
        !replayUrl) {
      navigator.serviceWorker.register('offline.js').catch(() => {});
    }
    const args = [];
    let recording = null;
    if (replayUrl) {
      const response = await fetch(replayUrl);
      if (!response.ok) {
        showHint('Cannot load the recording ' + replayUrl);
        state.status = 2;
        return;
      }
      recording = new Uint8Array(await response.arrayBuffer());
      args.push('--replay', '/recording.qrp');
      if (headless) args.push('--headless');
      if (verify) args.push('--verify');
    }
    showHint('Loading…');
    const settings = {
      arguments: args,
      preRun: [(m) => { if (recording) m.FS.writeFile('/recording.qrp', recording); }],
      print: (line) => { state.lines.push(line); console.log(line); },
      printErr: (line) => { state.lines.push(line); console.error(line); },
      quarndelPresent: present,
      quarndelAudio: window.QuarndelSound ?
        window.QuarndelSound.create(() => settings.HEAPU8) : null,
      onRuntimeInitialized: () => { running = true; mainStarted = performance.now(); },
      onExit: (status) => {
        running = false;
        ended = true;
        state.replayMs = performance.now() - mainStarted;
        if (replayUrl) state.canvasChecksum = canvasChecksum();
        state.status = status;
        showHint(replayUrl ? 'The recording has ended.' :
          'The run has ended: press a key to play again');
      },
    };
    module = settings;
    state.module = settings;
    Quarndel(settings);
  }

  return { start };
})();
