// The game's runs in the page: the first one (a game, recorded for download,
// or the recording named in the address), then play again, a recording the
// player opened, or a game in place of a recording. Each run is the game's
// module made anew (its files come from the browser's cache); every frame
// it presents is shown in the canvas, and its end is said over the game.
import { showHint, showProgress, hideProgress } from './hint.js';
import {
  kRunFile, kReplayFile, playGame, loadRecording, keptRecording, downloadRecording,
  recordingStopped, canvasChecksum,
} from './recordings.js';

// canvas: the game's; opened: when the page opened (performance.now());
// report: the tests' object (this module writes all but stored,
// storageProblem and packLines); storage: the kept folders (storage.js);
// gameFit(filled): the game told its fit; keys: forgetHeld() and endGame()
// (keys.js); onFrame(): a frame is on the canvas.
export function createRun({ canvas, opened, report, storage, gameFit, keys, onFrame }) {
  const context = canvas.getContext('2d');
  let module = null; // the game of the run that started last
  let running = false;
  let ended = false;
  let waitingForFirstKey = true; // the first key only wakes the page
  let replaying = false; // a recording plays: from the address or a file the player opened
  let recordingName = null; // the recording's address (or file name) as the page names it
  let afterExit = null; // what starts once the running game has ended
  let mainStarted = 0;
  let shown = false; // this run has shown a frame

  function present(pointer) {
    const pixels = new Uint8ClampedArray(module.HEAPU8.buffer, pointer, 640 * 480 * 4);
    context.putImageData(new ImageData(pixels, 640, 480), 0, 0);
    const now = performance.now() - opened;
    if (report.firstFrameMs === null) {
      report.firstFrameMs = now;
      if (waitingForFirstKey) showHint('Press a key to play');
      else showHint('');
    }
    if (report.frameTimes.length < 100000) report.frameTimes.push(now);
    shown = true;
    onFrame();
  }

  // What the page says once the game has ended with status.
  function sayEnd(status) {
    if (!replaying) {
      const actions = [['Play again', playAgain]];
      if (report.recording) {
        actions.push(['Download the recording', () => {
          downloadRecording(report.recording);
          canvas.focus();
        }]);
      }
      showHint('The run has ended: press a key to play again', actions);
      return;
    }
    const again = [['Watch again', playAgain], ['Play the game', playGame]];
    if (status === 0) showHint('The recording has ended.', again);
    else showHint(recordingStopped(recordingName, status, report.lines), again);
  }

  // Starts the game with the command line args (a recording's bytes to play
  // back, or null).
  function runGame(args, recording) {
    ended = false;
    shown = false;
    report.status = null;
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
        if (recording) m.FS.writeFile(kReplayFile, recording);
        storage.fill(m);
      }],
      setStatus: (text) => { if (showProgress(text)) report.progressShown = true; },
      quarndelStore: () => storage.store(settings),
      print: (line) => { report.lines.push(line); console.log(line); },
      printErr: (line) => { report.lines.push(line); console.error(line); },
      quarndelPresent: present,
      quarndelFit: gameFit,
      quarndelAudio: window.QuarndelSound ?
        window.QuarndelSound.create(() => settings.HEAPU8) : null,
      onRuntimeInitialized: () => {
        running = true;
        hideProgress();
        mainStarted = performance.now();
        if (!recording) storage.storeEveryFewSeconds(() => module);
      },
      onExit: (status) => {
        running = false;
        ended = true;
        keys.forgetHeld();
        report.replayMs = performance.now() - mainStarted;
        if (replaying) report.canvasChecksum = canvasChecksum(context);
        else report.recording = keptRecording(settings);
        report.status = status;
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
        report.status = 1;
      },
    };
    module = settings;
    report.module = settings;
    if (typeof Quarndel !== 'function') {
      showHint('The game did not load: reload the page to try again.', [['Reload', () => location.reload()]]);
      report.status = 1;
      return;
    }
    Quarndel(settings); // the game's script (quarndel.js) defines it
  }

  // The first run: a game, or the recording at address (played headless
  // and verified for the tests when asked).
  async function start(address, { headless, verify }) {
    const args = [];
    let recording = null;
    if (address) {
      replaying = true;
      waitingForFirstKey = false;
      const loaded = await loadRecording(address);
      if (!loaded) {
        report.status = 2;
        return;
      }
      recordingName = loaded.name;
      recording = loaded.bytes;
      args.push('--replay', kReplayFile);
      if (headless) args.push('--headless');
      if (verify) args.push('--verify');
    } else {
      args.push('--record', kRunFile);
    }
    storage.takeLock();
    runGame(args, recording);
  }

  // Plays again in the same page: a game, or the same recording once more.
  function playAgain() {
    report.runs += 1;
    waitingForFirstKey = false;
    runGame(module.quarndelArguments, replaying ? module.quarndelRecording : null);
  }

  // A game in this page, in place of a recording that has ended.
  function playHere() {
    replaying = false;
    recordingName = null;
    waitingForFirstKey = false;
    report.runs += 1;
    runGame(['--record', kRunFile], null);
  }

  // Plays the recording bytes, called name.
  function replay(bytes, name) {
    replaying = true;
    recordingName = name;
    waitingForFirstKey = false;
    report.runs += 1;
    runGame(['--replay', kReplayFile], bytes);
    canvas.focus();
  }

  // Calls next (which starts a run) once the game running now has ended, as
  // Escape ends it; at once when none runs.
  function replace(next) {
    if (running) {
      afterExit = next;
      keys.endGame();
    } else {
      next();
    }
  }

  // The first press only wakes the page (true when it did).
  function wakeUp() {
    if (!waitingForFirstKey) return false;
    waitingForFirstKey = false;
    showHint('');
    storage.showProblem();
    return true;
  }
  function unlockSound() {
    if (window.QuarndelSound) window.QuarndelSound.unlock();
  }

  return {
    start,
    playHere,
    replay,
    replace,
    // The running game's module, or null.
    game: () => (running ? module : null),
    // The module of the run that started last, running or not.
    module: () => module,
    replaying: () => replaying,
    ended: () => ended,
    showedFrame: () => shown,
    // Whether the player sees the game now.
    inSight: () => !waitingForFirstKey && running,
    // A press of the page's other controls: true when it only woke the page.
    wake() {
      unlockSound();
      return wakeUp();
    },
    // A key pressed for the game: true when the page takes it instead (it
    // wakes the page, or plays again once the run has ended).
    takeKey() {
      unlockSound();
      if (ended) {
        if (report.status !== null) playAgain();
        return true;
      }
      return wakeUp();
    },
  };
}
