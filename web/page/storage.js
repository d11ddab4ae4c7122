// The folders the game keeps the player's settings, high scores and level
// sets in (the desktop's, under the browser file system's home), kept in the
// browser's storage (IndexedDB, through emscripten's IDBFS) between visits.
import { showHintFor } from './hint.js';

const kKeptFolders = ['/home/web_user/.config', '/home/web_user/.local/share'];
// A score entered while another game held the table waits for a later
// iteration: the page stores what changed this often as well.
const kStoreRoundMs = 3000;
// A reloaded page waits this long for the lock the page it replaces holds.
const kLockWaitMs = 3000;
// A store the browser has not answered within this long is taken as failed.
const kStoreWaitMs = 20000;
// How long the page says that nothing is kept.
const kProblemShownMs = 6000;

// headless: a replay for the tests, which takes no lock; report: the tests'
// object (this module writes its stored and storageProblem); inSight():
// whether the player sees the game now (else the problem is said at the
// first key).
export function createStorage({ headless, report, inSight }) {
  let problem = null; // said once, then the game plays on
  let keptFolders = Promise.resolve(); // settled once this page keeps or not
  let storing = null; // the store under way: settles when it has ended
  let storeAgain = false;
  let storeRound = null;

  // Says once that the browser does not keep what the game wrote (shown now
  // when the game is in sight, else at the first key).
  function failed(what) {
    said(`Settings and high scores cannot be kept in this browser (${what}); ` +
      'the game plays on without them.');
  }
  function said(text) {
    if (problem) return;
    problem = text;
    report.storageProblem = problem;
    console.error(problem);
    if (inSight()) showProblem();
  }
  function showProblem() {
    if (problem) showHintFor(problem, kProblemShownMs);
  }

  // One page at a time keeps the settings and scores: a page stores its whole
  // copy of the kept folders, so a second page open at once would put back
  // what the first stored, scores and all. The first page holds the
  // browser's lock as long as it is open; a later one reads what is kept
  // and plays, keeping nothing. A reloaded page waits a moment for the lock,
  // since the page it replaces lets go of it only as it goes. Without the
  // lock (an old browser, a page not served securely) every page keeps, as
  // before.
  function takeLock() {
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
          said('Quarndel is open in another tab or window, which keeps the settings and ' +
            'high scores: this one plays without keeping them.');
        }
        resolve();
      });
    });
  }

  // Mounts the kept folders and fills them from the browser's storage
  // before the game starts; only then is the game's copy one to store.
  function mount(m) {
    const FS = m.FS;
    try {
      for (const folder of kKeptFolders) {
        FS.mkdirTree(folder);
        FS.mount(FS.filesystems.IDBFS, {}, folder);
      }
    } catch (e) {
      failed(e.message || String(e));
      return;
    }
    // Newer emscriptens close the storage's connection as the game exits,
    // which would cut the store of what the game wrote last (its score):
    // the connection closes once the stores have ended.
    const idbfs = FS.filesystems.IDBFS;
    if (typeof idbfs.quit === 'function') {
      const quit = idbfs.quit;
      idbfs.quit = () => { settled().then(() => quit.call(idbfs)); };
    }
    m.addRunDependency('kept-folders');
    try {
      FS.syncfs(true, (error) => {
        if (error) failed(error.message || String(error));
        else m.quarndelFilled = true;
        m.removeRunDependency('kept-folders');
      });
    } catch (e) { // no IndexedDB at all
      failed(e.message || String(e));
      m.removeRunDependency('kept-folders');
    }
  }

  // Stores what the game wrote in the kept folders (after every write, and
  // every few seconds). A store makes the browser's copy the game's, removing
  // what the game's copy lacks: so a game's copy is stored only once it was
  // filled, and the next game (play again, a recording opened) fills its copy
  // only once the last store of the one before has ended.
  //
  // settled() settles when no store is under way; a store the browser has
  // not answered within kStoreWaitMs is taken as failed (said once), so that
  // the next game never waits for it for good.
  function settled() {
    if (!storing) return Promise.resolve();
    const store = storing;
    return Promise.race([store, new Promise((resolve) => setTimeout(() => {
      if (storing === store) {
        failed('the browser\'s storage did not answer');
        storing = null;
      }
      resolve();
    }, kStoreWaitMs))]);
  }
  function store(m) {
    if (problem || !m || !m.quarndelFilled) return;
    if (storing) {
      storeAgain = true;
      return;
    }
    let ended;
    const under = new Promise((resolve) => { ended = resolve; });
    storing = under;
    const done = (error) => {
      if (error) failed(error.message || String(error));
      if (storing === under) storing = null; // not one given up on and followed
      ended();
    };
    const round = () => {
      try {
        m.FS.syncfs(false, (error) => {
          if (!error && storeAgain && !problem) { // written while storing
            storeAgain = false;
            round();
            return;
          }
          report.stored += 1; // what was written before this round began is stored
          done(error);
        });
      } catch (e) {
        done(e);
      }
    };
    round();
  }

  return {
    // Asks for the lock; the game's folders are filled once the page has it
    // or knows it keeps nothing.
    takeLock() { keptFolders = takeLock(); },
    // Part of a game's start (its preRun): the data downloads while the page
    // waits for the lock and for the last game's stores.
    fill(m) {
      m.addRunDependency('kept-lock');
      keptFolders.then(settled).then(() => {
        mount(m);
        m.removeRunDependency('kept-lock');
      });
    },
    store,
    // Stores every few seconds from now on what game() wrote.
    storeEveryFewSeconds(game) {
      if (storeRound === null) storeRound = setInterval(() => store(game()), kStoreRoundMs);
    },
    showProblem,
  };
}
