// Recordings on the page: the one named in the address (?replay=URL),
// fetched; one the player opens from a file; the game just played, offered
// for download; and the canvas's checksum a replay's end is checked by.
import { showHint } from './hint.js';

// A recording is read whole into memory: the page takes no more bytes than
// the game's own reader takes from a recording file (kMaxReplayBytes in
// replay/replay_file.h), so a larger download is stopped there.
const kMaxRecordingBytes = 128 * 1024 * 1024;
// Where the game records a game played in the page, to be downloaded.
export const kRunFile = '/tmp/run.qrp';
// Where the page puts the recording the game plays back.
export const kReplayFile = '/recording.qrp';

// The page without a recording in its address: a game.
export function playGame() {
  location.href = location.pathname;
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

// The recording at the address the page was given: { name, bytes } (name
// as the page names it to the player), or null once the page has said why
// not.
export async function loadRecording(address) {
  let url;
  try {
    url = new URL(address, location.href);
  } catch (e) {
    url = null;
  }
  let problem = null;
  if (!url) {
    problem = `"${address}" is not an address of a recording.`;
  } else if (url.origin !== location.origin && !(await playerAgrees(url.href))) {
    problem = `The recording ${url.href} was not loaded.`;
  } else {
    showHint(`Loading the recording ${url.href}…`);
    try {
      return { name: url.href, bytes: await fetchRecording(url.href) };
    } catch (e) {
      problem = e.message;
    }
  }
  showHint(problem, [['Play the game', playGame]]);
  return null;
}

// A recording the player opened (file chooser or dropped on the page), read
// up to the reader's limit: its bytes, or null once the page has said why
// not.
export async function readRecordingFile(file) {
  if (file.size > kMaxRecordingBytes) {
    showHint(`${file.name} is too large: a recording holds at most ` +
      `${kMaxRecordingBytes / 1048576} MiB.`, [['Play the game', playGame]]);
    return null;
  }
  return new Uint8Array(await file.arrayBuffer());
}

// The recording of the game that has just ended in module m, or null when
// the game wrote none (it said why).
export function keptRecording(m) {
  try {
    return m.FS.readFile(kRunFile);
  } catch (e) {
    return null;
  }
}

export function downloadRecording(bytes) {
  const when = new Date().toISOString().replace(/[-:]/g, '').replace(/\..*/, '');
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
  link.download = `quarndel-${when}.qrp`;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}

// What went wrong with the recording called name that stopped with status,
// from what the game said last (lines): its reader says what is wrong with
// the file on standard error.
export function recordingStopped(name, status, lines) {
  const prefix = `quarndel: ${kReplayFile}: `;
  const said = lines.filter((l) => l.startsWith('quarndel: '));
  const last = said.length > 0 ? said[said.length - 1] : `exit status ${status}`;
  if (last.startsWith(prefix)) {
    return `${name} is not a recording the game can play: ${last.slice(prefix.length)}`;
  }
  return `The recording ${name} stopped: ${last}`;
}

// The frame checksum the game prints at the end of a replay, computed from
// the canvas's 2D context: FNV-1a over each row's pixels as the game's
// 32-bit screen holds them in memory (blue, green, red, then an unused zero
// byte).
export function canvasChecksum(context) {
  const data = context.getImageData(0, 0, 640, 480).data;
  let hash = 2166136261 >>> 0;
  const step = (byte) => { hash = Math.imul(hash ^ byte, 16777619) >>> 0; };
  for (let i = 0; i < data.length; i += 4) {
    step(data[i + 2]); step(data[i + 1]); step(data[i]); step(0);
  }
  return ('0000000' + hash.toString(16)).slice(-8);
}
