// The page around the browser build: it starts the game, hands it the keys
// (as SDL key numbers), shows every presented frame in the canvas, enlarges
// the canvas by whole factors, offers fullscreen, and plays a recording
// named in the address (?replay=URL; &headless=1&verify=1 for the tests).
// The keyboard belongs to the game except Tab, which moves between the page's
// buttons, and keys typed on a button, which are the button's.
'use strict';
const QuarndelPage = (() => {
  const canvas = document.getElementById('screen');
  const hint = document.getElementById('hint');
  const message = document.getElementById('message');
  const hintActions = document.getElementById('actions');
  const progress = document.getElementById('progress');
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
  let recordingUrl = null; // the recording's address (or file name) as the page names it
  let replaying = !!replayUrl; // a recording plays: from the address or a file the player opened
  // Where the game records a game played in the page, to be downloaded.
  const kRunFile = '/tmp/run.qrp';
  let afterExit = null; // what starts once the running game has ended
  const held = new Set(); // SDL keys the game was told are down
  let leftFullscreenAt = -Infinity;

  // A recording is read whole into memory: the page takes no more bytes than
  // the game's own reader takes from a recording file (kMaxReplayBytes in
  // replay/replay_file.h), so a larger download is stopped there.
  const kMaxRecordingBytes = 128 * 1024 * 1024;
  // An Escape that comes this soon after the browser left fullscreen is the
  // key that left it, not a key for the game.
  const kFullscreenEscapeMs = 500;

  // The folders the game keeps the player's settings and high scores in
  // (the desktop's, under the browser file system's home), kept in the
  // browser's storage (IndexedDB) between visits.
  const kKeptFolders = ['/home/web_user/.config', '/home/web_user/.local/share'];
  // A score entered while another game held the table waits for a later
  // iteration: the page stores what changed this often as well.
  const kStoreRoundMs = 3000;
  let storageProblem = null; // said once, then the game plays on

  // What the tests and the measurements read.
  const state = window.quarndel = {
    lines: [], // what the game printed
    status: null, // the exit status once the game has ended
    firstFrameMs: null, // from opening the page to the first frame shown
    frameTimes: [], // when each frame was shown (ms since the page opened)
    canvasChecksum: null, // of the canvas once a replay ended, like the game's
    replayMs: null, // from the game's start to its end
    module: null,
    stored: 0, // stores of the kept folders done
    runs: 1, // games started in this page (play again starts another)
    progressShown: false, // the download's progress was shown
    recording: null, // the recording of the game that ended last (bytes)
    storageProblem: null, // what the page said about the storage
  };
  let mainStarted = 0;

  // SDL key numbers of the keys the game and its shell use.
  const named = {
    ArrowUp: 273, ArrowDown: 274, ArrowRight: 275, ArrowLeft: 276, Enter: 13,
    NumpadEnter: 271, Escape: 27, Space: 32, Backspace: 8,
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

  // The game's 640x480 pixels are enlarged by whole factors, pixel for
  // pixel; with the fit "fill" as large as the window allows, and on a
  // screen smaller than the game always so. The fit is the game's setting
  // (the options' fit item, kept with the other settings): the game tells
  // it when it starts and when it changes. On a touch screen the on-screen
  // buttons keep columns of their own at both sides, so they never cover the
  // play area.
  let fill = false;
  function fitCanvas() {
    const stage = canvas.parentElement;
    const columns = [...document.querySelectorAll('.touch-side')]
      .reduce((widest, e) => Math.max(widest, e.offsetWidth), 0);
    const scale = Math.min((stage.clientWidth - 2 * columns) / 640, stage.clientHeight / 480);
    const factor = scale >= 1 && !fill ? Math.floor(scale) : Math.max(scale, 0.25);
    canvas.style.width = Math.floor(640 * factor) + 'px';
    canvas.style.height = Math.floor(480 * factor) + 'px';
    const fit = document.getElementById('fit');
    if (fit) fit.textContent = fill ? 'Fit: fill' : 'Fit: whole';
  }

  // The game's fit, told by the game. Pages before the fit was the game's
  // kept their own choice in localStorage: a "fill" found there becomes the
  // game's setting once.
  const kOldFitKey = 'quarndel-fit';
  function gameFit(filled) {
    fill = filled !== 0;
    try {
      if (localStorage.getItem(kOldFitKey) !== null) {
        const wanted = localStorage.getItem(kOldFitKey) === 'fill';
        localStorage.removeItem(kOldFitKey);
        if (wanted !== fill && running) module._QuarndelStepFit();
      }
    } catch (e) { /* no storage: nothing kept to take over */ }
    fitCanvas();
  }

  function toggleFit() {
    if (running && !headless) module._QuarndelStepFit();
    canvas.focus();
  }

  function toggleFullscreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else if (document.documentElement.requestFullscreen) {
      document.documentElement.requestFullscreen().catch(() => {});
    }
    canvas.focus();
  }

  // Says once that the browser does not keep what the game wrote (shown now
  // when the game is in sight, else at the first key).
  function storageFailed(what) {
    storageSaid(`Settings and high scores cannot be kept in this browser (${what}); ` +
      'the game plays on without them.');
  }
  function storageSaid(text) {
    if (storageProblem) return;
    storageProblem = text;
    state.storageProblem = storageProblem;
    console.error(storageProblem);
    if (!waitingForFirstKey && running) showStorageProblem();
  }
  function showStorageProblem() {
    if (!storageProblem) return;
    showHint(storageProblem);
    setTimeout(() => { if (message.textContent === storageProblem) showHint(''); }, 6000);
  }

  // One page at a time keeps the settings and scores: a page stores its whole
  // copy of the kept folders, so a second page open at once would put back
  // what the first stored, scores and all. The first page holds the
  // browser's lock as long as it is open; a later one reads what is kept
  // and plays, keeping nothing. A reloaded page waits a moment for the lock,
  // since the page it replaces lets go of it only as it goes. Without the
  // lock (an old browser, a page not served securely) every page keeps, as
  // before.
  const kLockWaitMs = 3000;
  let keptFolders = Promise.resolve(); // settled once this page keeps or not
  function takeKeptFolders() {
    if (!navigator.locks || headless) return Promise.resolve();
    return new Promise((resolve) => {
      const giveUp = new AbortController();
      const timer = setTimeout(() => giveUp.abort(), kLockWaitMs);
      navigator.locks.request('quarndel-kept-folders', { signal: giveUp.signal }, () => {
        clearTimeout(timer);
        resolve();
        return new Promise(() => {}); // held until the page closes
      }).catch(() => {
        if (giveUp.signal.aborted) {
          storageSaid('Quarndel is open in another tab or window, which keeps the settings and ' +
            'high scores: this one plays without keeping them.');
        }
        resolve();
      });
    });
  }

  // Mounts the kept folders and fills them from the browser's storage
  // before the game starts; only then is the game's copy one to store.
  function mountKeptFolders(m) {
    const FS = m.FS;
    try {
      for (const folder of kKeptFolders) {
        FS.mkdirTree(folder);
        FS.mount(FS.filesystems.IDBFS, {}, folder);
      }
    } catch (e) {
      storageFailed(e.message || String(e));
      return;
    }
    // Newer emscriptens close the storage's connection as the game exits,
    // which would cut the store of what the game wrote last (its score):
    // the connection closes once the stores have ended.
    const idbfs = FS.filesystems.IDBFS;
    if (typeof idbfs.quit === 'function') {
      const quit = idbfs.quit;
      idbfs.quit = () => { storesSettled().then(() => quit.call(idbfs)); };
    }
    m.addRunDependency('kept-folders');
    try {
      FS.syncfs(true, (error) => {
        if (error) storageFailed(error.message || String(error));
        else m.quarndelFilled = true;
        m.removeRunDependency('kept-folders');
      });
    } catch (e) { // no IndexedDB at all
      storageFailed(e.message || String(e));
      m.removeRunDependency('kept-folders');
    }
  }

  // Stores what the game wrote in the kept folders (after every write, and
  // every few seconds). A store makes the browser's copy the game's, removing
  // what the game's copy lacks: so a game's copy is stored only once it was
  // filled, and the next game (play again, a recording opened) fills its copy
  // only once the last store of the one before has ended.
  let storing = null; // the store under way: settles when it has ended
  let storeAgain = false;
  // Settles when no store is under way; a store the browser has not
  // answered within kStoreWaitMs is taken as failed (said once), so that the
  // next game never waits for it for good.
  const kStoreWaitMs = 20000;
  function storesSettled() {
    if (!storing) return Promise.resolve();
    const store = storing;
    return Promise.race([store, new Promise((resolve) => setTimeout(() => {
      if (storing === store) {
        storageFailed('the browser\'s storage did not answer');
        storing = null;
      }
      resolve();
    }, kStoreWaitMs))]);
  }
  function storeKeptFolders(m = module) {
    if (storageProblem || !m || !m.quarndelFilled) return;
    if (storing) {
      storeAgain = true;
      return;
    }
    let ended;
    const store = new Promise((resolve) => { ended = resolve; });
    storing = store;
    const done = (error) => {
      if (error) storageFailed(error.message || String(error));
      if (storing === store) storing = null; // not one given up on and followed
      ended();
    };
    const round = () => {
      try {
        m.FS.syncfs(false, (error) => {
          if (!error && storeAgain && !storageProblem) { // written while storing
            storeAgain = false;
            round();
            return;
          }
          state.stored += 1; // what was written before this round began is stored
          done(error);
        });
      } catch (e) {
        done(e);
      }
    };
    round();
  }

  // Shows text over the game, with a button for each [label, action] given;
  // no text hides it.
  function showHint(text, actions = []) {
    message.textContent = text;
    const buttons = actions.map(([label, action]) => {
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = label;
      button.addEventListener('click', action);
      return button;
    });
    hintActions.replaceChildren(...buttons);
    hint.hidden = !text;
  }

  function playGame() {
    location.href = location.pathname;
  }

  function tellGame(sym, down) {
    if (!running) return;
    if (down) held.add(sym);
    else held.delete(sym);
    module._QuarndelKey(sym, down ? 1 : 0);
  }

  // A game in play pauses when the tab is hidden, as if the player had
  // pressed P (so a recording of it replays as it was played); P resumes it.
  function pauseHiddenGame() {
    if (!running || replaying) return;
    if (module._QuarndelTitleRunning() === 0 && module._QuarndelPaused() === 0 &&
        module._QuarndelGameOver() === 0) {
      tellGame(112, true); // p
      tellGame(112, false);
    }
  }

  // Once the page is out of sight the browser sends no key-up: every key the
  // game holds is let go, as if the player had released it.
  function releaseHeldKeys() {
    for (const sym of [...held]) tellGame(sym, false);
  }

  function onKey(event, down) {
    if (event.code === 'F11') {
      event.preventDefault();
      if (down && !event.repeat) toggleFullscreen();
      return;
    }
    const sym = sdlKey(event);
    if (sym === 0 || event.ctrlKey || event.metaKey) return; // the browser's own shortcuts
    if (!down) {
      // The game sees the release of a key it holds, wherever the release lands.
      if (held.has(sym)) {
        event.preventDefault();
        tellGame(sym, false);
      }
      return;
    }
    if (event.target instanceof HTMLButtonElement) return; // Enter or Space on a button
    // The keyboard stays with the game: arrows and Space do not scroll.
    event.preventDefault();
    if (event.repeat) return; // SDL repeats no keys unless asked
    if (event.code === 'Escape' && (document.fullscreenElement ||
        performance.now() - leftFullscreenAt < kFullscreenEscapeMs)) {
      // Escape in fullscreen leaves fullscreen; it does not end the run.
      if (document.fullscreenElement) document.exitFullscreen();
      return;
    }
    if (window.QuarndelSound) window.QuarndelSound.unlock();
    if (ended) {
      if (state.status !== null) playAgain();
      return;
    }
    if (waitingForFirstKey) {
      waitingForFirstKey = false;
      showHint('');
      showStorageProblem();
      return; // the key that wakes the page is not a game key
    }
    tellGame(sym, true);
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
    packRunShown = state.runs;
    if (pendingPack && !replaying) installPendingPack();
  }

  // Reads the recording at url, at most kMaxRecordingBytes of it; a failure
  // throws an Error whose message says it to the player.
  async function fetchRecording(url) {
    let response;
    try {
      response = await fetch(url, { credentials: 'same-origin' });
    } catch (e) {
      throw new Error(`Cannot reach the recording ${url}: the server does not answer, ` +
        'or does not let this page read it.');
    }
    if (!response.ok) {
      throw new Error(`Cannot load the recording ${url}: the server answered ` +
        `${response.status} ${response.statusText}`.trim() + '.');
    }
    const reader = response.body.getReader();
    const parts = [];
    let size = 0;
    for (;;) {
      let chunk;
      try {
        chunk = await reader.read();
      } catch (e) {
        throw new Error(`The download of the recording ${url} broke off.`);
      }
      if (chunk.done) break;
      size += chunk.value.length;
      if (size > kMaxRecordingBytes) {
        reader.cancel().catch(() => {});
        throw new Error(`The recording ${url} is too large: a recording holds at most ` +
          `${kMaxRecordingBytes / 1048576} MiB.`);
      }
      parts.push(chunk.value);
    }
    const bytes = new Uint8Array(size);
    let at = 0;
    for (const part of parts) {
      bytes.set(part, at);
      at += part.length;
    }
    return bytes;
  }

  // Another site's recording is fetched only once the player agrees.
  function playerAgrees(url) {
    return new Promise((resolve) => showHint(
      `The recording ${url} is on another site. Load it?`,
      [['Load it', () => resolve(true)], ['Cancel', () => resolve(false)]]));
  }

  // The recording named in the address, or null once the page has said why not.
  async function loadRecording() {
    let url;
    try {
      url = new URL(replayUrl, location.href);
    } catch (e) {
      url = null;
    }
    recordingUrl = url ? url.href : replayUrl;
    let problem = null;
    if (!url) {
      problem = `"${replayUrl}" is not an address of a recording.`;
    } else if (url.origin !== location.origin && !(await playerAgrees(url.href))) {
      problem = `The recording ${url.href} was not loaded.`;
    } else {
      showHint(`Loading the recording ${url.href}…`);
      try {
        return await fetchRecording(url.href);
      } catch (e) {
        problem = e.message;
      }
    }
    showHint(problem, [['Play the game', playGame]]);
    state.status = 2;
    return null;
  }

  // What the page says once the game has ended with status.
  function sayEnd(status) {
    if (!replaying) {
      const actions = [['Play again', playAgain]];
      if (state.recording) actions.push(['Download the recording', downloadRecording]);
      showHint('The run has ended: press a key to play again', actions);
      return;
    }
    const again = [['Watch again', playAgain], ['Play the game', playGame]];
    if (status === 0) {
      showHint('The recording has ended.', again);
      return;
    }
    // The game's reader says what is wrong with the file on standard error.
    const prefix = 'quarndel: /recording.qrp: ';
    const said = state.lines.filter((l) => l.startsWith('quarndel: '));
    const last = said.length > 0 ? said[said.length - 1] : `exit status ${status}`;
    if (last.startsWith(prefix)) {
      showHint(`${recordingUrl} is not a recording the game can play: ${last.slice(prefix.length)}`,
        again);
    } else {
      showHint(`The recording ${recordingUrl} stopped: ${last}`, again);
    }
  }

  async function start() {
    fitCanvas();
    window.addEventListener('resize', fitCanvas);
    document.addEventListener('fullscreenchange', () => {
      if (!document.fullscreenElement) leftFullscreenAt = performance.now();
      fitCanvas();
    });
    window.addEventListener('keydown', (e) => onKey(e, true));
    window.addEventListener('keyup', (e) => onKey(e, false));
    window.addEventListener('blur', releaseHeldKeys);
    document.addEventListener('visibilitychange', () => {
      if (document.hidden) {
        releaseHeldKeys();
        pauseHiddenGame();
      }
    });
    document.getElementById('fullscreen').addEventListener('click', toggleFullscreen);
    document.getElementById('fit').addEventListener('click', toggleFit);
    const chooser = document.getElementById('open-file');
    document.getElementById('open').addEventListener('click', () => chooser.click());
    chooser.addEventListener('change', () => {
      openRecording(chooser.files[0]);
      chooser.value = '';
    });
    window.addEventListener('dragover', (e) => e.preventDefault());
    window.addEventListener('drop', (e) => {
      e.preventDefault();
      if (!e.dataTransfer || e.dataTransfer.files.length === 0) return;
      const file = e.dataTransfer.files[0];
      if (isPackName(file.name)) installPack(file);
      else openRecording(file);
    });
    const packChooser = document.getElementById('levels-file');
    document.getElementById('levels').addEventListener('click', () => packChooser.click());
    packChooser.addEventListener('change', () => {
      installPack(packChooser.files[0]);
      packChooser.value = '';
    });
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
      recording = await loadRecording();
      if (!recording) return;
      args.push('--replay', '/recording.qrp');
      if (headless) args.push('--headless');
      if (verify) args.push('--verify');
    } else {
      args.push('--record', kRunFile);
    }
    keptFolders = takeKeptFolders();
    runGame(args, recording);
  }

  // The data download's progress, as the game's loader reports it
  // ("Downloading data... (loaded/total)").
  function showProgress(text) {
    const m = /\(([0-9]+)\/([0-9]+)\)/.exec(text || '');
    if (!m || Number(m[2]) <= 0) {
      progress.hidden = true;
      return;
    }
    progress.max = Number(m[2]);
    progress.value = Number(m[1]);
    progress.hidden = false;
    state.progressShown = true;
  }

  // Starts the game (again, for "play again": the module is made anew, its
  // files come from the browser's cache).
  let storeRound = null;
  function runGame(args, recording) {
    ended = false;
    state.status = null;
    showHint('Loading…');
    const settings = {
      // A copy: newer emscriptens put the program's name in front of the
      // array they are given, and "play again" starts from the same words.
      arguments: args.slice(),
      quarndelArguments: args.slice(),
      quarndelRecording: recording,
      preRun: [(m) => {
        // A recording plays with the player's folders too: the level set it
        // names is one installed in the browser.
        if (recording) m.FS.writeFile('/recording.qrp', recording);
        // The data downloads while the page waits for the lock.
        m.addRunDependency('kept-lock');
        keptFolders.then(storesSettled).then(() => {
          mountKeptFolders(m);
          m.removeRunDependency('kept-lock');
        });
      }],
      setStatus: showProgress,
      quarndelStore: () => storeKeptFolders(settings),
      print: (line) => { state.lines.push(line); console.log(line); },
      printErr: (line) => { state.lines.push(line); console.error(line); },
      quarndelPresent: present,
      quarndelFit: gameFit,
      quarndelAudio: window.QuarndelSound ?
        window.QuarndelSound.create(() => settings.HEAPU8) : null,
      onRuntimeInitialized: () => {
        running = true;
        progress.hidden = true;
        mainStarted = performance.now();
        if (!recording && storeRound === null) {
          storeRound = setInterval(() => storeKeptFolders(), kStoreRoundMs);
        }
      },
      onExit: (status) => {
        running = false;
        ended = true;
        held.clear();
        state.replayMs = performance.now() - mainStarted;
        if (replaying) state.canvasChecksum = canvasChecksum();
        else keepRecording(settings);
        state.status = status;
        if (afterExit) {
          const next = afterExit;
          afterExit = null;
          next();
        } else {
          sayEnd(status);
        }
      },
      onAbort: (what) => {
        running = false;
        ended = true;
        showHint(`The game stopped: ${what}`, [['Play again', playAgain]]);
        state.status = 1;
      },
    };
    module = settings;
    state.module = settings;
    if (typeof Quarndel !== 'function') {
      showHint('The game did not load: reload the page to try again.', [['Reload', () => location.reload()]]);
      state.status = 1;
      return;
    }
    Quarndel(settings);
  }

  // The recording of the game that has just ended, offered for download.
  function keepRecording(m) {
    try {
      state.recording = m.FS.readFile(kRunFile);
    } catch (e) {
      state.recording = null; // the game wrote none (it said why)
    }
  }

  function downloadRecording() {
    const when = new Date().toISOString().replace(/[-:]/g, '').replace(/\..*/, '');
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([state.recording], { type: 'application/octet-stream' }));
    link.download = `quarndel-${when}.qrp`;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
    canvas.focus();
  }

  // Plays a recording the player opened (file chooser or dropped on the
  // page), read up to the reader's limit, in place of what runs now.
  async function openRecording(file) {
    if (!file) return;
    if (file.size > kMaxRecordingBytes) {
      showHint(`${file.name} is too large: a recording holds at most ` +
        `${kMaxRecordingBytes / 1048576} MiB.`, [['Play the game', playGame]]);
      return;
    }
    const bytes = new Uint8Array(await file.arrayBuffer());
    const play = () => {
      replaying = true;
      recordingUrl = file.name;
      waitingForFirstKey = false;
      state.runs += 1;
      runGame(['--replay', '/recording.qrp'], bytes);
      canvas.focus();
    };
    if (running) {
      // The game running now ends first, as Escape ends it.
      afterExit = play;
      releaseHeldKeys();
      tellGame(27, true);
      tellGame(27, false);
    } else {
      play();
    }
  }

  // Level packs: a .zip or .tar.gz file the player dropped on the page or
  // chose with "Levels…" is installed by the game, as --install-levels does
  // on the desktop (the same checks and bounds), into the level sets folder
  // among the kept ones, which the page then stores. L on the title lists the
  // sets. The game installs while it runs: a pack that comes while a
  // recording plays, or before the game shows its first frame, waits for a
  // game's first frame.
  const kPackDir = '/tmp/packs';
  // The largest pack file the page reads into memory: the reader's bound on
  // the unpacked set (kMaxPackBytes in tools/levelcheck/level_pack.h).
  const kMaxPackFileBytes = 256 * 1024 * 1024;
  const kInstalledLine = /^quarndel: installed the set (\S+) \(([^)]*)\)/;
  const kPackSaidMs = 8000;
  let pendingPack = null; // { name, bytes, overwrite }
  let packRunShown = 0; // the run (state.runs) that has shown a frame
  state.packLines = []; // what the page said of each pack, for the tests

  function isPackName(name) {
    return /\.(zip|tar\.gz|tgz)$/i.test(name);
  }

  function sayPack(text, actions = []) {
    state.packLines.push(text);
    showHint(text, actions);
    if (actions.length === 0) {
      setTimeout(() => { if (message.textContent === text) showHint(''); }, kPackSaidMs);
    }
    canvas.focus();
  }

  async function installPack(file, overwrite = false) {
    if (!file) return;
    if (file.size > kMaxPackFileBytes) {
      sayPack(`${file.name} is too large for a level pack: at most ` +
        `${kMaxPackFileBytes / 1048576} MiB.`);
      return;
    }
    pendingPack = { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()), overwrite };
    if (running && !replaying && packRunShown === state.runs) {
      installPendingPack();
    } else if (running && replaying) {
      // The recording ends first, as Escape ends it; then a game starts.
      afterExit = playGameHere;
      releaseHeldKeys();
      tellGame(27, true);
      tellGame(27, false);
    } else if (ended) {
      playGameHere();
    } else {
      showHint(`${file.name} is installed once the game has started.`);
    }
  }

  // A game in this page, in place of a recording that has ended.
  function playGameHere() {
    replaying = false;
    recordingUrl = null;
    waitingForFirstKey = false;
    state.runs += 1;
    runGame(['--record', kRunFile], null);
  }

  function installPendingPack() {
    const pack = pendingPack;
    pendingPack = null;
    const FS = module.FS;
    // The file keeps the player's name (the game's lines name it), in plain
    // letters, and is removed once installed.
    const path = `${kPackDir}/${pack.name.replace(/[^A-Za-z0-9._-]/g, '_')}`;
    let line;
    try {
      FS.mkdirTree(kPackDir);
      FS.writeFile(path, pack.bytes);
      line = module.ccall('QuarndelInstallPack', 'string', ['string', 'number'],
        [path, pack.overwrite ? 1 : 0]);
    } catch (e) {
      line = `quarndel: ${pack.name} not installed: ${e.message || e}`;
    }
    try {
      FS.unlink(path);
    } catch (e) { /* not written */ }
    storeKeptFolders();
    line = line.split(path).join(pack.name); // the player's name for the file
    const installed = kInstalledLine.exec(line);
    if (installed) {
      sayPack(`Installed the level set ${installed[1]} (${installed[2]}): ` +
        'press L on the title to pick it.');
    } else if (/ is installed already /.test(line)) {
      const again = { name: pack.name, size: pack.bytes.length,
        arrayBuffer: async () => pack.bytes.buffer };
      sayPack(line.replace(/^quarndel: /, '').replace(/ \(--overwrite replaces it\)$/, '') + '.',
        [['Replace it', () => installPack(again, true)], ['Keep it', () => showHint('')]]);
    } else {
      sayPack(line.replace(/^quarndel: /, ''));
    }
  }

  // Plays again in the same page: a game, or the same recording once more.
  function playAgain() {
    state.runs += 1;
    waitingForFirstKey = false;
    runGame(module.quarndelArguments, replaying ? module.quarndelRecording : null);
  }

  // What the page's other controls (controls.js: gamepad and touch) use.
  // wake: the first press only wakes the page (true when it did).
  function wake() {
    if (window.QuarndelSound) window.QuarndelSound.unlock();
    if (!waitingForFirstKey) return false;
    waitingForFirstKey = false;
    showHint('');
    showStorageProblem();
    return true;
  }
  const controls = {
    tell: tellGame,
    wake,
    module: () => (running ? module : null),
    fit: fitCanvas,
  };

  return { start, controls };
})();
