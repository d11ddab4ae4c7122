// Level packs: a .zip or .tar.gz file the player dropped on the page or
// chose with "Levels…" is installed by the game, as --install-levels does
// on the desktop (the same checks and bounds), into the level sets folder
// among the kept ones, which the page then stores. L on the title lists the
// sets. The game installs while it runs: a pack that comes while a
// recording plays, or before the game shows its first frame, waits for a
// game's first frame.
import { showHint, showHintFor } from './hint.js';

const kPackDir = '/tmp/packs';
// The largest pack file the page reads into memory: the reader's bound on
// the unpacked set (kMaxPackBytes in tools/levelcheck/level_pack.h).
const kMaxPackFileBytes = 256 * 1024 * 1024;
const kInstalledLine = /^quarndel: installed the set (\S+) \(([^)]*)\)/;
const kPackSaidMs = 8000;

export function isPackName(name) {
  return /\.(zip|tar\.gz|tgz)$/i.test(name);
}

// run: the run's lifecycle (run.js); store(): stores the kept folders;
// focus(): gives the keyboard back to the game; report: the tests' object
// (this module writes its packLines).
export function createPacks({ run, store, focus, report }) {
  let pending = null; // { name, bytes, overwrite }
  report.packLines = []; // what the page said of each pack, for the tests

  function say(text, actions = []) {
    report.packLines.push(text);
    if (actions.length === 0) showHintFor(text, kPackSaidMs);
    else showHint(text, actions);
    focus();
  }

  async function install(file, overwrite = false) {
    if (!file) return;
    if (file.size > kMaxPackFileBytes) {
      say(`${file.name} is too large for a level pack: at most ` +
        `${kMaxPackFileBytes / 1048576} MiB.`);
      return;
    }
    pending = { name: file.name, bytes: new Uint8Array(await file.arrayBuffer()), overwrite };
    if (run.game() && !run.replaying() && run.showedFrame()) {
      installPending();
    } else if (run.game() && run.replaying()) {
      // The recording ends first, as Escape ends it; then a game starts.
      run.replace(run.playHere);
    } else if (run.ended()) {
      run.playHere();
    } else {
      showHint(`${file.name} is installed once the game has started.`);
    }
  }

  function installPending() {
    const pack = pending;
    pending = null;
    const m = run.module();
    const FS = m.FS;
    // The file keeps the player's name (the game's lines name it), in plain
    // letters, and is removed once installed.
    const path = `${kPackDir}/${pack.name.replace(/[^A-Za-z0-9._-]/g, '_')}`;
    let line;
    try {
      FS.mkdirTree(kPackDir);
      FS.writeFile(path, pack.bytes);
      line = m.ccall('QuarndelInstallPack', 'string', ['string', 'number'],
        [path, pack.overwrite ? 1 : 0]);
    } catch (e) {
      line = `quarndel: ${pack.name} not installed: ${e.message || e}`;
    }
    try {
      FS.unlink(path);
    } catch (e) { /* not written */ }
    store();
    line = line.split(path).join(pack.name); // the player's name for the file
    const installed = kInstalledLine.exec(line);
    if (installed) {
      say(`Installed the level set ${installed[1]} (${installed[2]}): ` +
        'press L on the title to pick it.');
    } else if (/ is installed already /.test(line)) {
      const again = { name: pack.name, size: pack.bytes.length,
        arrayBuffer: async () => pack.bytes.buffer };
      say(line.replace(/^quarndel: /, '').replace(/ \(--overwrite replaces it\)$/, '') + '.',
        [['Replace it', () => install(again, true)], ['Keep it', () => showHint('')]]);
    } else {
      say(line.replace(/^quarndel: /, ''));
    }
  }

  return {
    install,
    // A frame of a game is on the canvas: a pack waiting is installed now.
    onFrame() {
      if (pending && !run.replaying()) installPending();
    },
  };
}
