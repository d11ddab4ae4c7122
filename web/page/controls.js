// The page's other controls: the first gamepad through the Gamepad API, and
// on-screen buttons on a touch screen. Both act as the keyboard does: the
// first press wakes the page; then the game hears them (the pad as SDL
// joystick events, mapped by the desktop's layouts in the game itself; the
// buttons as the keys they stand for).
//
// controls: tell(sym, down) tells the game a key; wake() is true when a
// press only woke the page; module() is the running game's module, or null;
// fit() fits the canvas beside the buttons once they show.
export function startControls(controls) {
  startPad(controls);
  startTouch(controls);
}

// The first gamepad, polled every animation frame.
function startPad(controls) {
  // SDL's hat bits for the standard mapping's d-pad buttons 12 to 15.
  const kHatBits = [1, 4, 8, 2]; // up, down, left, right
  // Stick positions closer than this (of 32767) are not sent again.
  const kAxisStep = 512;
  let padModule = null; // the game the pad's name was told to
  let padId = null;
  let buttons = [];
  let hat = 0;
  let axes = [0, 0];

  function pollPad() {
    requestAnimationFrame(pollPad);
    const pads = navigator.getGamepads ? [...navigator.getGamepads()].filter((p) => p) : [];
    const pad = pads[0];
    const m = controls.module();
    if (!pad || !m) return;
    if (m !== padModule || pad.id !== padId) {
      padModule = m;
      padId = pad.id;
      const name = new TextEncoder().encode(pad.id).subarray(0, 127);
      const at = m._QuarndelPadName();
      m.HEAPU8.set(name, at);
      m.HEAPU8[at + name.length] = 0;
      m._QuarndelPadConnected();
      buttons = [];
      hat = 0;
      axes = [0, 0];
    }
    let nowHat = 0;
    pad.buttons.forEach((button, i) => {
      const down = button.pressed;
      if (i >= 12 && i <= 15) {
        if (down) nowHat |= kHatBits[i - 12];
        return;
      }
      if (down === !!buttons[i]) return;
      buttons[i] = down;
      if (down && controls.wake()) return;
      m._QuarndelPadButton(i, down ? 1 : 0);
    });
    if (nowHat !== hat) {
      if (!(hat === 0 && controls.wake())) m._QuarndelPadHat(nowHat);
      hat = nowHat;
    }
    for (let a = 0; a < 2; ++a) {
      const value = Math.round((pad.axes[a] || 0) * 32767);
      if (Math.abs(value - axes[a]) >= kAxisStep || (value === 0 && axes[a] !== 0)) {
        axes[a] = value;
        m._QuarndelPadAxis(a, value);
      }
    }
  }
  requestAnimationFrame(pollPad);
}

// The on-screen buttons, shown on a screen that is touched.
function startTouch(controls) {
  function showTouch() {
    if (!document.body.classList.contains('touch')) {
      document.body.classList.add('touch');
      for (const side of document.querySelectorAll('.touch-side')) side.hidden = false;
      controls.fit();
    }
  }
  if (matchMedia('(pointer: coarse)').matches || navigator.maxTouchPoints > 0) showTouch();
  window.addEventListener('touchstart', showTouch, { passive: true });

  for (const button of document.querySelectorAll('.touch-side button')) {
    const sym = Number(button.dataset.key);
    let held = false;
    const release = () => {
      if (!held) return;
      held = false;
      button.classList.remove('held');
      controls.tell(sym, false);
    };
    button.addEventListener('pointerdown', (e) => {
      e.preventDefault();
      button.setPointerCapture(e.pointerId);
      if (controls.wake()) return;
      held = true;
      button.classList.add('held');
      controls.tell(sym, true);
    });
    button.addEventListener('pointerup', release);
    button.addEventListener('pointercancel', release);
    button.addEventListener('contextmenu', (e) => e.preventDefault());
  }
}
