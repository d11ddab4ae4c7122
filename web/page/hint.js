// What the page says over the game: a line of text with a button for each
// thing the player can do about it, and the data download's progress bar.
const hint = document.getElementById('hint');
const message = document.getElementById('message');
const actions = document.getElementById('actions');
const progress = document.getElementById('progress');

// Shows text over the game, with a button for each [label, action] given;
// no text hides it.
export function showHint(text, buttons = []) {
  message.textContent = text;
  actions.replaceChildren(...buttons.map(([label, action]) => {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = label;
    button.addEventListener('click', action);
    return button;
  }));
  hint.hidden = !text;
}

// Shows text for ms, then hides it unless the page has said something else
// since.
export function showHintFor(text, ms) {
  showHint(text);
  setTimeout(() => { if (message.textContent === text) showHint(''); }, ms);
}

// The data download's progress, as the game's loader reports it
// ("Downloading data... (loaded/total)"); true when the bar shows.
export function showProgress(text) {
  const m = /\(([0-9]+)\/([0-9]+)\)/.exec(text || '');
  if (!m || Number(m[2]) <= 0) {
    progress.hidden = true;
    return false;
  }
  progress.max = Number(m[2]);
  progress.value = Number(m[1]);
  progress.hidden = false;
  return true;
}

export function hideProgress() {
  progress.hidden = true;
}
