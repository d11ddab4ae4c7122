// The canvas's size in the page, and fullscreen.
//
// The game's 640x480 pixels are enlarged by whole factors, pixel for
// pixel; with the fit "fill" as large as the window allows, and on a
// screen smaller than the game always so. The fit is the game's setting
// (the options' fit item, kept with the other settings): the game tells
// it when it starts and when it changes, and the page's fit button steps it
// in the game. On a touch screen the on-screen buttons keep columns of their
// own at both sides, so they never cover the play area.

// Pages before the fit was the game's kept their own choice in
// localStorage: a "fill" found there becomes the game's setting once.
const kOldFitKey = 'quarndel-fit';
// An Escape that comes this soon after the browser left fullscreen is the
// key that left it, not a key for the game.
const kFullscreenEscapeMs = 500;

// canvas: the game's; game(): the running game's module, or null;
// headless: a replay for the tests, whose fit no button changes.
export function startFit({ canvas, game, headless }) {
  let fill = false;
  let leftFullscreenAt = -Infinity;

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

  // The game's fit, told by the game (filled 1 or 0).
  function gameFit(filled) {
    fill = filled !== 0;
    try {
      if (localStorage.getItem(kOldFitKey) !== null) {
        const wanted = localStorage.getItem(kOldFitKey) === 'fill';
        localStorage.removeItem(kOldFitKey);
        const m = game();
        if (wanted !== fill && m) m._QuarndelStepFit();
      }
    } catch (e) { /* no storage: nothing kept to take over */ }
    fitCanvas();
  }

  function toggleFit() {
    const m = game();
    if (m && !headless) m._QuarndelStepFit();
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

  // Escape in fullscreen, or just after the browser left it, is
  // fullscreen's: it leaves fullscreen (true), and is no key for the game.
  function takeEscape() {
    if (!document.fullscreenElement &&
        performance.now() - leftFullscreenAt >= kFullscreenEscapeMs) return false;
    if (document.fullscreenElement) document.exitFullscreen();
    return true;
  }

  fitCanvas();
  window.addEventListener('resize', fitCanvas);
  document.addEventListener('fullscreenchange', () => {
    if (!document.fullscreenElement) leftFullscreenAt = performance.now();
    fitCanvas();
  });
  document.getElementById('fullscreen').addEventListener('click', toggleFullscreen);
  document.getElementById('fit').addEventListener('click', toggleFit);

  return { fitCanvas, gameFit, toggleFullscreen, takeEscape };
}
