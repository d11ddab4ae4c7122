// The keyboard: the page hands the game its keys as SDL key numbers and
// keeps track of the keys the game holds, letting them go when the page
// loses sight of the keyboard. The keyboard belongs to the game except Tab,
// which moves between the page's buttons, keys typed on a button, which are
// the button's, F11, and the browser's own shortcuts.

// SDL key numbers of the keys the game and its shell use.
const named = {
  ArrowUp: 273, ArrowDown: 274, ArrowRight: 275, ArrowLeft: 276, Enter: 13,
  NumpadEnter: 271, Escape: 27, Space: 32, Backspace: 8,
  ShiftLeft: 304, ShiftRight: 303, ControlLeft: 306, ControlRight: 305,
  AltLeft: 308, AltRight: 307,
};
const kEscape = 27;
const kPause = 112; // p

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

// game(): the running game's module, or null; replaying(): whether a
// recording plays; takeKey(): true when the page takes a pressed key for
// itself (the first key wakes the page, a key after the run plays again);
// fullscreen: F11 and Escape's part in fullscreen (fit.js).
export function startKeys({ game, replaying, takeKey, fullscreen }) {
  const held = new Set(); // SDL keys the game was told are down

  function tell(sym, down) {
    const m = game();
    if (!m) return;
    if (down) held.add(sym);
    else held.delete(sym);
    m._QuarndelKey(sym, down ? 1 : 0);
  }

  // Once the page is out of sight the browser sends no key-up: every key the
  // game holds is let go, as if the player had released it.
  function releaseHeld() {
    for (const sym of [...held]) tell(sym, false);
  }

  // A game in play pauses when the tab is hidden, as if the player had
  // pressed P (so a recording of it replays as it was played); P resumes it.
  function pauseHiddenGame() {
    const m = game();
    if (!m || replaying()) return;
    if (m._QuarndelTitleRunning() === 0 && m._QuarndelPaused() === 0 &&
        m._QuarndelGameOver() === 0) {
      tell(kPause, true);
      tell(kPause, false);
    }
  }

  function onKey(event, down) {
    if (event.code === 'F11') {
      event.preventDefault();
      if (down && !event.repeat) fullscreen.toggleFullscreen();
      return;
    }
    const sym = sdlKey(event);
    if (sym === 0 || event.ctrlKey || event.metaKey) return; // the browser's own shortcuts
    if (!down) {
      // The game sees the release of a key it holds, wherever the release lands.
      if (held.has(sym)) {
        event.preventDefault();
        tell(sym, false);
      }
      return;
    }
    if (event.target instanceof HTMLButtonElement) return; // Enter or Space on a button
    // The keyboard stays with the game: arrows and Space do not scroll.
    event.preventDefault();
    if (event.repeat) return; // SDL repeats no keys unless asked
    // Escape in fullscreen leaves fullscreen; it does not end the run.
    if (event.code === 'Escape' && fullscreen.takeEscape()) return;
    if (takeKey()) return;
    tell(sym, true);
  }

  window.addEventListener('keydown', (e) => onKey(e, true));
  window.addEventListener('keyup', (e) => onKey(e, false));
  window.addEventListener('blur', releaseHeld);
  document.addEventListener('visibilitychange', () => {
    if (document.hidden) {
      releaseHeld();
      pauseHiddenGame();
    }
  });

  return {
    tell,
    // The run has ended: the keys it held went with it.
    forgetHeld: () => held.clear(),
    // Ends the running game as Escape ends it, its held keys let go first.
    endGame() {
      releaseHeld();
      tell(kEscape, true);
      tell(kEscape, false);
    },
  };
}
