// The page around the browser build: it starts the game, hands it the keys
// (as SDL key numbers), shows every presented frame in the canvas, enlarges
// the canvas by whole factors, offers fullscreen, keeps the player's files
// in the browser, installs level packs, and plays a recording named in the
// address (?replay=URL; &headless=1&verify=1 for the tests) or opened from
// a file. This file puts together the modules beside it, one for each of
// those, and gives the tests window.quarndel to read.
import { startControls } from './controls.js';
import { startFit } from './fit.js';
import { startKeys } from './keys.js';
import { createPacks, isPackName } from './packs.js';
import { readRecordingFile } from './recordings.js';
import { createRun } from './run.js';
import { createStorage } from './storage.js';

const opened = performance.now();
const canvas = document.getElementById('screen');
const params = new URLSearchParams(location.search);
const replayUrl = params.get('replay');
const headless = params.get('headless') === '1';
const verify = params.get('verify') === '1';

// What the tests and the measurements read; each field is written by one
// module (storage.js: stored, storageProblem; packs.js: packLines; run.js:
// the rest).
const report = window.quarndel = {
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

// The modules call each other through these few functions; the ones named
// before they are made are called only once the page has started.
const fit = startFit({ canvas, game: () => run.game(), headless });
const storage = createStorage({ headless, report, inSight: () => run.inSight() });
const run = createRun({
  canvas, opened, report, storage, gameFit: fit.gameFit,
  keys: { forgetHeld: () => keys.forgetHeld(), endGame: () => keys.endGame() },
  onFrame: () => packs.onFrame(),
});
const keys = startKeys({
  game: run.game, replaying: run.replaying, takeKey: run.takeKey, fullscreen: fit,
});
const packs = createPacks({
  run, report, store: () => storage.store(run.module()), focus: () => canvas.focus(),
});
startControls({ tell: keys.tell, wake: run.wake, module: run.game, fit: fit.fitCanvas });

// Plays a recording the player opened, in place of what runs now.
async function openRecording(file) {
  if (!file) return;
  const bytes = await readRecordingFile(file);
  if (bytes) run.replace(() => run.replay(bytes, file.name));
}

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
  if (isPackName(file.name)) packs.install(file);
  else openRecording(file);
});
const packChooser = document.getElementById('levels-file');
document.getElementById('levels').addEventListener('click', () => packChooser.click());
packChooser.addEventListener('change', () => {
  packs.install(packChooser.files[0]);
  packChooser.value = '';
});
canvas.addEventListener('click', () => {
  canvas.focus();
  if (window.QuarndelSound) window.QuarndelSound.unlock();
});
canvas.focus();
if ('serviceWorker' in navigator && location.protocol.startsWith('http') && !replayUrl) {
  navigator.serviceWorker.register('offline.js').catch(() => {});
}
run.start(replayUrl, { headless, verify });
