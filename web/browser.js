// Drives Debian's Chromium headless against the browser build, served from
// this machine only (127.0.0.1, a free port):
//
//   node web/browser.js verify SITE FILE...  plays each recording headless in
//       the page; exits 0 when every one ends as recorded (and the canvas
//       shows the recorded last frame), else 1 naming the first difference;
//       with QUARNDEL_SCREENSHOTS=DIR a screenshot of each page goes there;
//       with QUARNDEL_WINDOWED=1 the recordings play paced, frame by frame
//   node web/browser.js keys SITE [PNG]      keys through the browser start the
//       tune, mute it, start a game and move the ship; Tab reaches the page's
//       button, Escape in fullscreen only leaves fullscreen, a held key is let
//       go when the page loses focus and a hidden game pauses, Escape ends
//       the run and "Play again" starts another in the page; mute is kept
//       through a reload; the files come precompressed, with a progress bar
//       while they load; the game played is offered for download, verifies
//       with the desktop game (QUARNDEL_DESKTOP, else build-rel/quarndel or
//       build/quarndel, else the browser build under node) and plays back
//       when opened with the page's file chooser; on a phone held sideways
//       (touch emulation) the on-screen buttons stand beside the game and
//       move the ship, and a gamepad starts a game and steers; a recording named
//       in the address is refused, or its failure said, when it is another
//       site's, unreachable, too large or not a recording; and the page
//       reloads offline; the music volume set with O and a scoring game are
//       kept through a reload, a second page keeps nothing and one opened as
//       the first closes keeps them; level packs install on the page and L
//       picks them. PNG gets a screenshot of the page in play
//   node web/browser.js measure SITE LONG SHORT   load time, frame intervals,
//       replay speed (iterations of the long recording beyond the short one's
//       per second), printed one per line
//   node web/browser.js replays SITE RUNS FILE...   plays each recording
//       headless RUNS times; prints one line per recording: its median time
//       from the game's start to its end (ms) and its iteration count
//       (web/measure.sh puts them beside the desktop's)
'use strict';
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');
const { Readable } = require('stream');

const kTypes = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.data': 'application/octet-stream', '.qrp': 'text/plain' };

// The recording reader's size limit, as replay/ states it.
function maxReplayBytes() {
  const dir = path.join(__dirname, '..', 'replay');
  for (const name of fs.readdirSync(dir)) {
    const m = /kMaxReplayBytes = ([0-9L* ]+);/.exec(fs.readFileSync(path.join(dir, name), 'utf8'));
    if (m) return m[1].split('*').reduce((product, n) => product * parseInt(n, 10), 1);
  }
  throw new Error('no kMaxReplayBytes in replay/');
}

// Sends count bytes with no length ahead (as a server that streams would),
// as long as the reader reads.
function sendBytes(response, count) {
  const block = Buffer.alloc(1 << 20, 'quarndel-replay 1\n');
  Readable.from((function* blocks() {
    for (let left = count; left > 0; left -= block.length) yield block.subarray(0, left);
  })()).pipe(response);
}

// Serves the site, and the recordings under /recordings/N.qrp (to any site),
// /recordings/unreachable (the connection drops) and /recordings/large (one
// byte more than a recording may hold). Every path asked for is kept in
// server.asked.
function serve(site, recordings) {
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://127.0.0.1');
    server.asked.push(url.pathname);
    let file = null;
    const m = /^\/recordings\/([0-9]+)\.qrp$/.exec(url.pathname);
    if (url.pathname === '/recordings/unreachable') {
      request.socket.destroy();
      return;
    } else if (url.pathname === '/recordings/large') {
      sendBytes(response, maxReplayBytes() + 1);
      return;
    } else if (m) {
      file = recordings[Number(m[1])];
      response.setHeader('Access-Control-Allow-Origin', '*');
    } else {
      const name = url.pathname === '/' ? 'index.html' : url.pathname.slice(1);
      if (!name.includes('..') && !name.includes('/')) file = path.join(site, name);
    }
    if (!file || !fs.existsSync(file)) {
      response.writeHead(404);
      response.end();
      return;
    }
    // Nothing from the browser's own cache: what works offline is what the
    // page's offline worker kept. The site's files go out precompressed, as
    // web/serve.sh sends them, when the build made them.
    const headers = { 'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream',
      'Cache-Control': 'no-store' };
    const accepted = request.headers['accept-encoding'] || '';
    for (const [encoding, suffix] of [['br', '.br'], ['gzip', '.gz']]) {
      if (!m && accepted.includes(encoding) && fs.existsSync(file + suffix)) {
        headers['Content-Encoding'] = encoding;
        server.encoded.push(url.pathname);
        file += suffix;
        break;
      }
    }
    response.writeHead(200, headers);
    fs.createReadStream(file).pipe(response);
  });
  server.asked = [];
  server.encoded = []; // paths sent precompressed
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'quarndel-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', `--user-data-dir=${profile}`],
  });
  return { browser, profile };
}

async function close({ browser, profile }) {
  await browser.close();
  fs.rmSync(profile, { recursive: true, force: true });
}

function waitFor(page, expression, ms) {
  return page.waitForFunction(expression, { timeout: ms, polling: 20 });
}

// Waits until what the game wrote is in the browser's storage: the game
// writes a changed setting within a quarter of a second, and the page counts
// a store once everything written before it began is stored.
async function settled(page) {
  await pause(400);
  const stored = await page.evaluate(() => window.quarndel.stored);
  await waitFor(page, `window.quarndel.stored > ${stored}`, 5000).catch(() => {});
}

async function verify(site, files) {
  const server = await serve(site, files);
  const base = `http://127.0.0.1:${server.address().port}/`;
  const chromium = await launch();
  let failed = 0;
  try {
    for (let i = 0; i < files.length; ++i) {
      const page = await chromium.browser.newPage();
      const mode = process.env.QUARNDEL_WINDOWED ? '' : '&headless=1&verify=1';
      await page.goto(`${base}?replay=recordings/${i}.qrp${mode}`);
      await waitFor(page, 'window.quarndel && window.quarndel.status !== null', 120000);
      const result = await page.evaluate(() => ({ ...window.quarndel, module: null }));
      if (process.env.QUARNDEL_SCREENSHOTS) {
        await page.screenshot({ path: path.join(process.env.QUARNDEL_SCREENSHOTS,
          path.basename(files[i], '.qrp') + '.png') });
      }
      await page.close();
      const lines = result.lines.filter((l) => l.length > 0);
      const end = lines.find((l) => l.startsWith('score ')) || 'the replay ended';
      const recorded = /^end [-0-9]+ [-0-9]+ [-0-9]+ ([0-9a-f]{8}) /m.exec(
        fs.readFileSync(files[i], 'utf8'));
      const frame = recorded ? recorded[1] : null;
      let problem = null;
      const said = lines.filter((l) => !l.startsWith('score ') && !l.startsWith('replay matches'));
      if (result.status !== 0 || said.length > 0) {
        problem = said.join('; ') || `exit status ${result.status}`;
      } else if (frame !== result.canvasChecksum) {
        problem = `the canvas shows a frame with checksum ${result.canvasChecksum}, ` +
          `recorded ${frame}`;
      }
      if (problem) {
        failed += 1;
        console.log(`FAIL ${files[i]}: ${problem}`);
      } else {
        console.log(`PASS ${files[i]}: ${end}; the canvas shows that frame`);
      }
    }
  } finally {
    await close(chromium);
    server.close();
  }
  return failed === 0 ? 0 : 1;
}

const pause = (ms) => new Promise((r) => setTimeout(r, ms));
const hintOf = (page) => page.$eval('#hint', (e) => (e.hidden ? '' : e.textContent));

// Opens the page with a recording named in the address; resolves to the
// page once it says something else than loading (or after 10 s).
async function withRecording(browser, base, address) {
  const page = await browser.newPage();
  await page.goto(`${base}?replay=${encodeURIComponent(address)}&headless=1&verify=1`);
  await waitFor(page, '!/^(Loading|$)/.test(document.getElementById("hint").textContent) && ' +
    '!document.getElementById("hint").hidden', 10000).catch(() => {});
  return page;
}

// What the page does with a recording it should not play, or cannot: one
// problem for each it gets wrong.
async function refusedRecordings(browser, base, server) {
  const problems = [];
  // Another site's recording (localhost is another origin than 127.0.0.1)
  // is not fetched until the player agrees; then it plays.
  const other = base.replace('127.0.0.1', 'localhost') + 'recordings/0.qrp';
  let page = await withRecording(browser, base, other);
  await pause(300);
  let hint = await hintOf(page);
  if (!/another site/.test(hint) || server.asked.includes('/recordings/0.qrp')) {
    problems.push(`a recording from another site was fetched unasked (the page says "${hint}")`);
  } else {
    const [agree] = await page.$$('#actions button');
    await agree.click();
    await waitFor(page, 'window.quarndel.status !== null', 30000).catch(() => {});
    const status = await page.evaluate(() => window.quarndel.status);
    if (status !== 0) problems.push(`the agreed recording from another site ended with ${status}`);
  }
  await page.close();
  const cases = [
    ['recordings/unreachable', /cannot reach/i, 'an unreachable recording'],
    ['recordings/large', new RegExp(`too large: a recording holds at most ${maxReplayBytes() / 1048576} MiB`),
      'a too large recording'],
    ['recordings/1.qrp', /is not a recording.*line 1: not a replay file/, 'a file that is no recording'],
  ];
  for (const [address, says, what] of cases) {
    page = await withRecording(browser, base, address);
    hint = await hintOf(page);
    const status = await page.evaluate(() => window.quarndel.status);
    await page.close();
    if (!says.test(hint) || status !== 2) {
      problems.push(`for ${what} the page says "${hint}", status ${status}`);
    }
  }
  return problems;
}

// The desktop game: QUARNDEL_DESKTOP, else a build in the repository.
function desktopGame() {
  const root = path.join(__dirname, '..');
  const found = [process.env.QUARNDEL_DESKTOP, path.join(root, 'build-rel', 'quarndel'),
    path.join(root, 'build', 'quarndel')].find((f) => f && fs.existsSync(f));
  return found && path.resolve(found); // the tools run it from other folders
}
// The command that checks a recording made in the page: the desktop game
// with --replay FILE --headless --verify; without one the browser build
// under node.
function verifyCommand(file) {
  const built = desktopGame();
  if (built) return [built, ['--replay', file, '--headless', '--verify']];
  return [process.execPath, ['--no-experimental-fetch', path.join(__dirname, 'replay-node.js'),
    path.join(__dirname, '..', 'build-web', 'site'), file]];
}

// The game that has just ended in the page was recorded: the page offers it
// for download, the desktop replays it as recorded, and the page plays it
// back from a file the player opens. One problem for each that fails.
async function recordingOfThePage(page) {
  const problems = [];
  const bytes = await page.evaluate(() => window.quarndel.recording &&
    Array.from(window.quarndel.recording));
  const offered = await page.$$eval('#actions button', (b) => b.map((e) => e.textContent));
  if (!bytes || !offered.some((t) => /download/i.test(t))) {
    return [`after the run the page offers ${JSON.stringify(offered)}, with ${bytes ? bytes.length : 'no'} bytes recorded`];
  }
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'quarndel-recording-'));
  const file = path.join(dir, 'page.qrp');
  fs.writeFileSync(file, Buffer.from(bytes));
  const [exe, args] = verifyCommand(file);
  const home = path.join(dir, 'home');
  const run = require('child_process').spawnSync(exe, args, { cwd: path.join(__dirname, '..'), encoding: 'utf8', timeout: 60000,
    env: { ...process.env, HOME: home, XDG_CONFIG_HOME: home, XDG_DATA_HOME: home,
      SDL_VIDEODRIVER: 'dummy', SDL_AUDIODRIVER: 'none' } });
  if (run.status !== 0) {
    problems.push(`the recording made in the page does not verify with ${exe}: ` +
      `${(run.stdout + run.stderr).trim().split('\n').slice(-2).join('; ')}`);
  }
  // Opened from a file, it plays back in the page to its end.
  const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#open')]);
  await chooser.accept([file]);
  await waitFor(page, 'window.quarndel.runs === 3 && window.quarndel.status !== null', 60000)
    .catch(() => {});
  const end = await page.evaluate(() => [window.quarndel.status, document.getElementById('message').textContent]);
  if (end[0] !== 0 || !/recording has ended/.test(end[1])) {
    problems.push(`the recording opened from a file ended with ${end[0]}: "${end[1]}"`);
  }
  fs.rmSync(dir, { recursive: true, force: true });
  return problems;
}

// Level packs on the page, made as an author makes them (quarndel-check
// beside the desktop game: --new-level, then --pack) and climbing out of the
// set ("../" names, by Python's tarfile and zipfile): a pack chosen with
// "Levels…" installs, L lists it and Enter picks it, and both survive a
// reload; the same pack dropped again is kept until "Replace it"; climbing
// packs are refused with the reader's line and write nothing outside the
// levels folder. One problem for each that fails.
async function levelPacks(browser, base) {
  const checker = path.join(path.dirname(desktopGame() || '.'), 'tools', 'levelcheck',
    'quarndel-check');
  if (!fs.existsSync(checker)) return ['no quarndel-check beside a desktop game (QUARNDEL_DESKTOP)'];
  const problems = [];
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'quarndel-packs-'));
  const { execFileSync } = require('child_process');
  fs.mkdirSync(path.join(dir, 'data')); // links to the shipped files: --new-level writes here
  for (const e of fs.readdirSync(path.join(__dirname, '..', 'data'))) {
    fs.symlinkSync(path.join(__dirname, '..', 'data', e), path.join(dir, 'data', e));
  }
  for (const args of [['--new-level', 'data/web_set'], ['--pack', 'data/web_set', 'web_set.zip'],
    ['--pack', 'data/web_set', 'web_set.tar.gz']]) execFileSync(checker, args, { cwd: dir, stdio: 'pipe' });
  execFileSync('python3', ['-c', `import io, tarfile, zipfile
with tarfile.open('climb.tar.gz', 'w:gz') as t:
    t.addfile(tarfile.TarInfo('../outside-climb'), io.BytesIO())
with zipfile.ZipFile('climb.zip', 'w') as z:
    z.writestr('evil/', '')
    z.writestr('evil/../../outside-climb', 'kept')`], { cwd: dir });
  const page = await browser.newPage();
  await page.goto(base);
  await waitFor(page, 'window.quarndel.firstFrameMs !== null', 30000);
  const said = async (act) => { // what the page says of the pack act hands it
    const before = await page.evaluate(() => window.quarndel.packLines.length);
    await act();
    await waitFor(page, `window.quarndel.packLines.length > ${before}`, 20000).catch(() => {});
    return page.evaluate(() => window.quarndel.packLines.slice(-1)[0] || '');
  };
  const drop = (file) => page.evaluate((name, b) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([new Uint8Array(b)], name));
    window.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer }));
  }, file, [...fs.readFileSync(path.join(dir, file))]);
  const levels = () => page.evaluate(() => { // the levels folder, and what the settings pick
    const FS = window.quarndel.module.FS;
    const read = (f) => { try { return f(); } catch (e) { return null; } };
    const settings = read(() => FS.readFile('/home/web_user/.config/quarndel/settings.ini',
      { encoding: 'utf8' }));
    return [(read(() => FS.readdir('/home/web_user/.local/share/quarndel/levels')) || [])
      .filter((n) => n !== '.' && n !== '..').join(),
      (/^levels = (\S*)/m.exec(settings) || [])[1] || ''];
  });
  const keys = async (names, pick = false) => { // a pick waits for the page to store it
    for (const k of names) { await page.keyboard.press(k); await pause(150); }
    if (pick) await settled(page);
  };
  try {
    let line = await said(async () => {
      const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#levels')]);
      await chooser.accept([path.join(dir, 'web_set.zip')]);
    });
    if (!/^Installed the level set web_set \(1 level\)/.test(line)) {
      problems.push(`the chosen pack: "${line}"`);
    }
    await keys(['Space', 'KeyL']); // the first key wakes the page
    if (process.env.QUARNDEL_SCREENSHOTS) {
      await page.screenshot({ path: path.join(process.env.QUARNDEL_SCREENSHOTS, 'levels.png') });
    }
    await keys(['ArrowDown', 'Enter'], true);
    await page.reload();
    await waitFor(page, 'window.quarndel.firstFrameMs !== null', 30000);
    let found = (await levels()).join(' ');
    if (found !== 'web_set web_set') {
      problems.push(`after L, Down, Enter and a reload: levels, pick ${found}`);
    }
    line = await said(() => drop('web_set.tar.gz'));
    if (!/^web_set\.tar\.gz not installed: the set web_set is installed already\.$/.test(line)) {
      problems.push(`the same pack dropped again: "${line}"`);
    } else if (!/^Installed the level set/.test(await said(() => page.click('#actions button')))) {
      problems.push('"Replace it" did not install the pack again');
    }
    for (const [file, name] of [['climb.tar.gz', '../outside-climb'],
      ['climb.zip', 'evil/../../outside-climb']]) {
      line = await said(() => drop(file));
      if (line !== `${file} not installed: a member's name climbs out of the set with "..": ${name}`) {
        problems.push(`the climbing pack ${file}: "${line}"`);
      }
    }
    const outside = await page.evaluate(() => {
      const FS = window.quarndel.module.FS;
      const walk = (d) => FS.readdir(d)
        .filter((n) => n !== '.' && n !== '..' && !['/proc', '/dev'].includes(d + n))
        .flatMap((n) => [...(n.includes('outside-climb') ? [d + n] : []),
          ...(FS.isDir(FS.lstat(d + n).mode) ? walk(`${d}${n}/`) : [])]);
      return walk('/');
    });
    // Back to the shipped levels: L marks the set in play, the one picked before the reload.
    await keys(['Space', 'KeyL', 'ArrowUp', 'Enter'], true);
    found = (await levels()).join(' ');
    if (outside.length > 0 || found !== 'web_set ') {
      problems.push(`written ${outside}; then L, Up, Enter: levels, pick ${found}`);
    }
    // A game played with the set records it, and the recording opened in
    // the page plays with the set installed in the browser.
    await keys(['KeyL', 'ArrowDown', 'Enter'], true);
    await keys(['Enter']); // Start
    await waitFor(page, 'window.quarndel.module._QuarndelTitleRunning() === 0', 5000).catch(() => {});
    await keys(['Escape']);
    await waitFor(page, 'window.quarndel.status !== null', 5000).catch(() => {});
    const recorded = await page.evaluate(() => window.quarndel.recording &&
      new TextDecoder().decode(window.quarndel.recording));
    fs.writeFileSync(path.join(dir, 'set.qrp'), recorded || '');
    const runs = await page.evaluate(() => window.quarndel.runs);
    const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#open')]);
    await chooser.accept([path.join(dir, 'set.qrp')]);
    await waitFor(page, `window.quarndel.runs > ${runs} && window.quarndel.status !== null`, 30000)
      .catch(() => {});
    const end = await page.evaluate(() => [window.quarndel.status, document.getElementById('message').textContent]);
    if (!/^levels web_set$/m.test(recorded || '') || end[0] !== 0) {
      problems.push(`a game with the set recorded ${/^levels .*$/m.exec(recorded || '')}; ` +
        `played back: ${end.join(', ')}`);
    }
  } finally {
    await page.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
  return problems;
}

// Holds a touch on the element selector names for ms (Chromium's touch
// emulation), or taps it.
async function touch(page, selector, ms = 0) {
  const box = await (await page.$(selector)).boundingBox();
  const point = { x: box.x + box.width / 2, y: box.y + box.height / 2 };
  const client = await page.target().createCDPSession();
  await client.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [point] });
  await pause(ms || 50);
  await client.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  await client.detach();
}

// A page opened as the one keeping the settings and scores closes (a reload
// is the same hand-over) waits for the lock the page before lets go of, and
// keeps them; a page opened beside it keeps nothing (the keys row).
async function handOver(browser, base) {
  const before = await browser.newPage();
  await before.goto(base);
  await waitFor(before, 'window.quarndel.firstFrameMs !== null', 30000);
  const after = await browser.newPage();
  const loading = after.goto(base);
  await before.waitForFunction(async () => (await navigator.locks.query()).pending.length > 0,
    { timeout: 10000, polling: 20 }).catch(() => {}); // asked for, or it took another way
  await before.close();
  await loading;
  await waitFor(after, 'window.quarndel.firstFrameMs !== null', 30000).catch(() => {});
  const said = await after.evaluate(() => window.quarndel.storageProblem);
  await after.close();
  return said ? [`a page opened as the keeping one closed says "${said}"`] : [];
}

// A phone held sideways: the on-screen buttons stand beside the game, never
// over it, and move the ship; a gamepad (the Gamepad API, here a stand-in
// PlayStation pad) starts a game with its circle button and steers by its
// d-pad. One problem for each that fails.
async function touchAndPad(browser, base) {
  const problems = [];
  const page = await browser.newPage();
  await page.setViewport({ width: 740, height: 360, isMobile: true, hasTouch: true, isLandscape: true });
  await page.goto(base);
  await waitFor(page, 'window.quarndel.firstFrameMs !== null', 30000);
  const state = (field) => page.evaluate((f) => window.quarndel.module[`_Quarndel${f}`](), field);
  const overlaps = await page.evaluate(() => {
    const game = document.getElementById('screen').getBoundingClientRect();
    return [...document.querySelectorAll('.touch-side button')].filter((b) => {
      const r = b.getBoundingClientRect();
      return r.width === 0 || (r.left < game.right && r.right > game.left && r.top < game.bottom &&
        r.bottom > game.top);
    }).map((b) => b.getAttribute('aria-label'));
  });
  if (overlaps.length > 0) problems.push(`on a phone held sideways, ${overlaps.join(', ')} cover the game or do not show`);
  await touch(page, '.fire'); // wakes the page
  await touch(page, '[aria-label="Choose"]'); // Start
  await waitFor(page, 'window.quarndel.module._QuarndelTitleRunning() === 0', 5000).catch(() => {});
  await pause(300);
  const x0 = await state('ShipX');
  await touch(page, '.dpad .right', 500);
  const x1 = await state('ShipX');
  if (!(x1 > x0)) problems.push(`holding the on-screen right arrow moved the ship from x ${x0} to ${x1}`);
  await page.screenshot({ path: path.join(os.tmpdir(), 'quarndel-touch.png') });
  await page.close();
  // The pad: circle chooses Start (the desktop's PlayStation layout), the
  // d-pad's right (button 15) steers.
  const padPage = await browser.newPage();
  const pad = { pressed: new Set() };
  await padPage.evaluateOnNewDocument(() => {
    let pressed = [];
    const poll = () => {
      (window.padState ? window.padState() : Promise.resolve(pressed)).then((p) => { pressed = p; })
        .catch(() => {}).finally(() => setTimeout(poll, 10));
    };
    poll();
    navigator.getGamepads = () => [{ id: 'Sony DualSense Wireless Controller', mapping: 'standard',
      axes: [0, 0, 0, 0], buttons: Array.from({ length: 17 }, (_, i) => ({ pressed: pressed.includes(i) })) }];
  });
  await padPage.exposeFunction('padState', () => [...pad.pressed]);
  await padPage.goto(base);
  await waitFor(padPage, 'window.quarndel.firstFrameMs !== null', 30000);
  const press = async (button, ms = 150) => {
    pad.pressed.add(button);
    await pause(ms);
    pad.pressed.delete(button);
    await pause(150);
  };
  await press(0); // wakes the page
  await press(1); // circle: Start
  await waitFor(padPage, 'window.quarndel.module._QuarndelTitleRunning() === 0', 5000).catch(() => {});
  await pause(300);
  const padState = (field) => padPage.evaluate((f) => window.quarndel.module[`_Quarndel${f}`](), field);
  const p0 = await padState('ShipX');
  await press(15, 500);
  const p1 = await padState('ShipX');
  if ((await padState('TitleRunning')) !== 0 || !(p1 > p0)) {
    problems.push(`the pad's circle and d-pad: title ${await padState('TitleRunning')}, ship x ${p0} to ${p1}`);
  }
  await padPage.close();
  // A 1366x768 window leaves wide borders round a whole factor; "fill" uses
  // the height the page has (768 less its bar), and the choice is kept with
  // the game's settings.
  const wide = await browser.newPage();
  await wide.setViewport({ width: 1366, height: 768 });
  await wide.goto(base);
  await waitFor(wide, 'window.quarndel.firstFrameMs !== null', 30000);
  const height = () => wide.$eval('#screen', (e) => e.style.height);
  const whole = await height();
  await wide.click('#fit');
  await settled(wide);
  const fill = await height();
  await wide.reload();
  await waitFor(wide, 'window.quarndel.firstFrameMs !== null', 30000);
  const kept = await height();
  await wide.click('#fit');
  if (whole !== '480px' || fill !== '736px' || kept !== '736px' || (await height()) !== '480px') {
    problems.push(`in a 1366x768 window the game is ${whole} high, filled ${fill}, after a reload ${kept}`);
  }
  await wide.close();
  return problems;
}

async function keys(site, png) {
  const server = await serve(site, [path.join(__dirname, '..', 'tests', 'replays', 'title.qrp'),
    path.join(site, 'page.css')]);
  const base = `http://127.0.0.1:${server.address().port}/`;
  const chromium = await launch();
  // The game's state by its field's name (ShipX, Score, Paused, ...).
  const state = (page, field) => page.evaluate((f) => window.quarndel.module[`_Quarndel${f}`](),
    field);
  const problems = [];
  let scored = 0;
  try {
    const page = await chromium.browser.newPage();
    await page.setViewport({ width: 1300, height: 1020 });
    await page.goto(base);
    await waitFor(page, 'window.quarndel.firstFrameMs !== null', 30000);
    const scrolled = () => page.evaluate(() => window.scrollX + window.scrollY);
    const hint = await page.$eval('#hint', (e) => (e.hidden ? '' : e.textContent));
    if (!/press a key/i.test(hint)) problems.push(`the page says "${hint}" before the first key`);
    const width = await page.$eval('#screen', (e) => e.style.width);
    if (width !== '1280px') problems.push(`the canvas is ${width} wide in a 1300x1020 page`);
    await page.keyboard.press('Space'); // wakes the page
    const sound = () => page.evaluate(() => window.QuarndelSound.status());
    await waitFor(page, 'window.QuarndelSound.status().tune', 5000).catch(() => {});
    let heard = await sound();
    if (heard.context !== 'running' || !heard.tune) {
      problems.push(`after the first key the sound is ${JSON.stringify(heard)}`);
    }
    await page.keyboard.press('KeyM');
    await pause(100);
    const mutedGain = (await sound()).gain;
    await page.keyboard.press('KeyM');
    await pause(100);
    if (mutedGain !== 0 || (await sound()).gain !== 1) {
      problems.push(`M twice set the gain to ${mutedGain}, then ${(await sound()).gain}`);
    }
    // The settings are kept in the browser: muted, the game is still muted
    // after a reload; M again unmutes it. So is the music volume set with
    // O's options (the tenth item): a step lower plays the tune so at once
    // and after the reload; a step higher is full again.
    const musicStep = async (key) => {
      await page.keyboard.press('KeyO');
      for (let i = 0; i < 9; ++i) await page.keyboard.press('ArrowDown');
      await page.keyboard.press(key);
      await page.keyboard.press('Escape');
      await pause(100);
      return (await sound()).music;
    };
    const lowered = await musicStep('ArrowLeft');
    await page.keyboard.press('KeyM');
    await settled(page);
    await page.reload();
    await waitFor(page, 'window.quarndel.firstFrameMs !== null', 30000);
    await page.keyboard.press('Space');
    await waitFor(page, 'window.QuarndelSound.status().tune', 5000).catch(() => {});
    const reloaded = await sound();
    await page.keyboard.press('KeyM');
    await settled(page);
    if (reloaded.gain !== 0 || (await sound()).gain !== 1) {
      problems.push(`muted before a reload, the gain is ${reloaded.gain} after it, then M made it ` +
        `${(await sound()).gain}`);
    }
    const raised = await musicStep('ArrowRight');
    if ([lowered, reloaded.music].some((v) => Math.abs(v - 0.9) > 0.01) || raised !== 1) {
      problems.push(`the options' music volume 9 plays the tune at ${lowered}, after a reload at ` +
        `${reloaded.music}; 10 at ${raised}`);
    }
    const effectsBefore = (await sound()).effects;
    await page.keyboard.press('Enter'); // Start
    await waitFor(page, 'window.quarndel.module._QuarndelTitleRunning() === 0', 5000);
    await new Promise((r) => setTimeout(r, 300));
    const x0 = await state(page, 'ShipX');
    const y0 = await state(page, 'ShipY');
    await page.keyboard.down('ArrowRight');
    await page.keyboard.down('ArrowDown');
    await new Promise((r) => setTimeout(r, 500));
    await page.keyboard.up('ArrowRight');
    await page.keyboard.up('ArrowDown');
    const x1 = await state(page, 'ShipX');
    const y1 = await state(page, 'ShipY');
    console.log(`ship moved from (${x0}, ${y0}) to (${x1}, ${y1})`);
    heard = await sound();
    if (heard.effects <= effectsBefore || heard.tune) {
      problems.push(`after Start the sound is ${JSON.stringify(heard)}`);
    }
    if (!(x1 > x0 && y1 > y0)) problems.push('the arrow keys did not move the ship');
    if ((await scrolled()) !== 0) problems.push('the arrow keys scrolled the page');
    if (png) await page.screenshot({ path: png });
    // Tab and Shift+Tab go to the page: from the game to the button and back.
    const focused = () => page.evaluate(() => document.activeElement.id);
    await page.keyboard.press('Tab');
    const tabbed = await focused();
    await page.keyboard.down('Shift');
    await page.keyboard.press('Tab');
    await page.keyboard.up('Shift');
    const back = await focused();
    if (tabbed !== 'open' || back !== 'screen') {
      problems.push(`Tab went to "${tabbed}", Shift+Tab to "${back}"`);
    }
    // Escape in fullscreen leaves fullscreen, and the run goes on.
    await page.click('#fullscreen');
    await waitFor(page, 'document.fullscreenElement !== null', 5000).catch(() => {});
    await page.keyboard.press('Escape');
    await waitFor(page, 'document.fullscreenElement === null', 5000).catch(() => {});
    await pause(300);
    const inPlay = await page.evaluate(() => window.quarndel.status === null &&
      window.quarndel.module._QuarndelTitleRunning() === 0 && document.fullscreenElement === null);
    if (!inPlay) problems.push('Escape in fullscreen did not just leave fullscreen');
    // A key held while the page loses focus is let go: back in sight, the
    // ship stands still.
    await page.keyboard.down('ArrowLeft');
    await pause(200);
    const other = await chromium.browser.newPage();
    await other.bringToFront();
    await pause(100);
    await page.bringToFront();
    await pause(100);
    const xHeld = await state(page, 'ShipX');
    await pause(400);
    const xLater = await state(page, 'ShipX');
    await other.close();
    await page.keyboard.up('ArrowLeft');
    if (xHeld >= x1 || xLater !== xHeld) {
      problems.push(`held left through a lost focus, the ship went from ${x1} to ${xHeld}, then ${xLater}`);
    }
    // The game paused while its tab was hidden; P resumes it.
    const pausedWhileHidden = await state(page, 'Paused');
    await page.keyboard.press('KeyP');
    await pause(100);
    if (pausedWhileHidden !== 1 || (await state(page, 'Paused')) !== 0) {
      problems.push(`hidden, the game's pause was ${pausedWhileHidden}; after P ${await state(page, 'Paused')}`);
    }
    await page.keyboard.press('Escape'); // ends the run
    await waitFor(page, 'window.quarndel.status !== null', 5000);
    const status = await page.evaluate(() => window.quarndel.status);
    if (status !== 0) problems.push(`Escape ended the run with status ${status}`);
    const after = await page.$eval('#hint', (e) => (e.hidden ? '' : e.textContent));
    if (!/play again/i.test(after) || !(await page.$('#hint button'))) {
      problems.push(`after Escape the page says "${after}", with no button to play again`);
    } else {
      // Play again starts a game in the same page, without loading it anew.
      await page.evaluate(() => { window.notReloaded = true; });
      await page.click('#hint button');
      await waitFor(page, 'window.quarndel.runs === 2 && window.quarndel.status === null && ' +
        'window.quarndel.module._QuarndelTitleRunning && window.quarndel.module.calledRun', 10000).catch(() => {});
      await pause(300);
      await page.keyboard.press('Enter');
      await waitFor(page, 'window.quarndel.module._QuarndelTitleRunning() === 0', 5000).catch(() => {});
      const again = await page.evaluate(() => window.notReloaded === true &&
        window.quarndel.status === null && window.quarndel.module._QuarndelTitleRunning() === 0);
      if (!again) problems.push('"Play again" did not start a game in the same page');
      // Firing until the first enemies are hit: a game with a score, which
      // Escape enters into the table.
      for (let i = 0; i < 150 && (await state(page, 'Score')) < 10; ++i) {
        await page.keyboard.press('Space');
        await pause(100);
      }
      scored = await state(page, 'Score');
      await page.keyboard.press('Escape');
      await waitFor(page, 'window.quarndel.status !== null', 5000).catch(() => {});
      problems.push(...await recordingOfThePage(page));
    }
    // The page loaded its files precompressed and showed the download's progress.
    const loadedWhole = ['/quarndel.wasm', '/quarndel.data'].filter((p) => !server.encoded.includes(p));
    if (loadedWhole.length > 0) problems.push(`sent uncompressed: ${loadedWhole.join(', ')}`);
    if (!(await page.evaluate(() => window.quarndel.progressShown))) {
      problems.push('no progress was shown while the data loaded');
    }
    problems.push(...await refusedRecordings(chromium.browser, base, server));
    // A second page while this one is open plays, but keeps nothing: it
    // would put back what this one stored.
    const second = await chromium.browser.newPage();
    await second.goto(base);
    await waitFor(second, 'window.quarndel.firstFrameMs !== null', 30000).catch(() => {});
    const secondSays = await second.evaluate(() => window.quarndel.storageProblem);
    if (!/open in another tab/.test(secondSays || '')) {
      problems.push(`a second page says "${secondSays}" of the kept settings`);
    }
    await second.close();
    // Packs, touch and pad, and the lock's hand-over, each in a browser of
    // their own: this page keeps the settings and scores of this one.
    for (const part of [levelPacks, touchAndPad, handOver]) {
      const own = await launch();
      try {
        problems.push(...await part(own.browser, base));
      } finally {
        await close(own);
      }
    }
    // Once loaded, the page plays offline: with the server gone, a reload
    // still reaches the title screen.
    await page.evaluate(() => navigator.serviceWorker.ready);
    server.close();
    server.closeAllConnections();
    try {
      await page.reload();
      await waitFor(page, 'window.quarndel.firstFrameMs !== null', 30000);
    } catch (e) {
      problems.push(`offline, the reloaded page shows no title frame (${e.message})`);
    }
    // The scoring game is in the table kept in the browser, with its
    // recording, after the reload.
    const table = await page.evaluate(() => {
      const FS = window.quarndel.module.FS;
      const folder = '/home/web_user/.local/share/quarndel/';
      try {
        const text = new TextDecoder().decode(FS.readFile(`${folder}scores`));
        const entry = text.split('\n').find((l) => /^0 1 /.test(l)) || '';
        const recording = entry.split(' ')[5];
        return [entry, recording !== undefined && FS.analyzePath(folder + recording).exists];
      } catch (e) {
        return [`no table: ${e.message}`, false];
      }
    });
    if (!(scored > 0) || table[0].split(' ')[2] !== String(scored) || !table[1]) {
      problems.push(`a game that scored ${scored} left "${table[0]}" in the kept table ` +
        `(its recording ${table[1] ? 'kept' : 'missing'})`);
    }
    await page.close();
  } catch (e) {
    problems.push(`the page stopped answering as it should: ${e.message}`);
  } finally {
    await close(chromium);
    server.close();
  }
  for (const p of problems) console.log(`FAIL ${p}`);
  if (problems.length === 0) {
    console.log('PASS keys through the browser start the tune, mute it, start a game with its ' +
      'effect and move the ship; Tab reaches the page, Escape in fullscreen only leaves it, a ' +
      'lost focus lets keys go and a hidden game pauses; mute, the music volume set with O, the ' +
      'fit and a scoring game are kept through a reload, a second page keeps nothing and one ' +
      'opened as the first closes keeps them; the ' +
      'files come precompressed with a progress bar; a game played in the page is recorded, ' +
      'verifies on the desktop and plays back from a file; play again needs no reload; on a ' +
      'phone held sideways the touch buttons stand beside the game and steer; a pad plays; ' +
      'recordings from another site, unreachable, too large or not recordings are refused on the page; ' +
      'a level pack chosen or dropped on the page installs, L picks it and both survive a reload, ' +
      'and climbing packs are refused');
  }
  return problems.length === 0 ? 0 : 1;
}

function percentile(sorted, p) {
  return sorted[Math.min(sorted.length - 1, Math.floor(p * sorted.length))];
}

async function measure(site, long, short) {
  const server = await serve(site, [long, short]);
  const base = `http://127.0.0.1:${server.address().port}/`;
  const chromium = await launch();
  try {
    const loads = [];
    for (let i = 0; i < 5; ++i) {
      const page = await chromium.browser.newPage();
      await page.goto(base);
      await waitFor(page, 'window.quarndel.firstFrameMs !== null', 30000);
      loads.push(await page.evaluate(() => window.quarndel.firstFrameMs));
      if (i === 4) {
        // Frame pacing: the title screen for three seconds.
        const from = await page.evaluate(() => window.quarndel.frameTimes.length);
        await new Promise((r) => setTimeout(r, 3000));
        const times = await page.evaluate(() => window.quarndel.frameTimes);
        const gaps = times.slice(from).map((t, j, a) => (j ? t - a[j - 1] : null))
          .filter((g) => g !== null).sort((a, b) => a - b);
        console.log(`frame intervals over 3 s of the title: ${gaps.length} frames, median ` +
          `${percentile(gaps, 0.5).toFixed(2)} ms, 99th percentile ` +
          `${percentile(gaps, 0.99).toFixed(2)} ms, longest ${gaps[gaps.length - 1].toFixed(2)} ms`);
      }
      await page.close();
    }
    loads.sort((a, b) => a - b);
    console.log(`load to the first title frame: median ${percentile(loads, 0.5).toFixed(0)} ms ` +
      `(of 5: ${loads.map((l) => l.toFixed(0)).join(', ')})`);
    // Replay speed: the long recording's time less the short one's, per
    // iteration beyond the short one's, so that start-up (loading the
    // pictures) counts for neither.
    const best = [];
    const counts = [];
    for (let f = 0; f < 2; ++f) {
      const runs = [];
      for (let i = 0; i < 5; ++i) {
        const page = await chromium.browser.newPage();
        await page.goto(`${base}?replay=recordings/${f}.qrp&headless=1`);
        await waitFor(page, 'window.quarndel.status !== null', 120000);
        const r = await page.evaluate(() => ({ ...window.quarndel, module: null }));
        counts[f] = Number(/iterations ([0-9]+)/.exec(r.lines.find((l) => l.startsWith('score ')))[1]);
        runs.push(r.replayMs);
        await page.close();
      }
      best[f] = Math.min(...runs);
    }
    const rate = (counts[0] - counts[1]) / (best[0] - best[1]) * 1000;
    console.log(`replay in the browser: ${counts[0]} iterations in ${best[0].toFixed(0)} ms, ` +
      `${counts[1]} in ${best[1].toFixed(0)} ms (best of 5): ${rate.toFixed(0)} iterations/s`);
  } finally {
    await close(chromium);
    server.close();
  }
  return 0;
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

async function replays(site, runs, files) {
  const server = await serve(site, files);
  const base = `http://127.0.0.1:${server.address().port}/`;
  const chromium = await launch();
  try {
    for (let f = 0; f < files.length; ++f) {
      const times = [];
      let iterations = 0;
      for (let i = 0; i < runs; ++i) {
        const page = await chromium.browser.newPage();
        await page.goto(`${base}?replay=recordings/${f}.qrp&headless=1&verify=1`);
        await waitFor(page, 'window.quarndel.status !== null', 120000);
        const r = await page.evaluate(() => ({ ...window.quarndel, module: null }));
        await page.close();
        if (r.status !== 0) throw new Error(`${files[f]} ended with status ${r.status}`);
        iterations = Number(/iterations ([0-9]+)/.exec(r.lines.find((l) => l.startsWith('score ')))[1]);
        times.push(r.replayMs);
      }
      console.log(`${files[f]} ${median(times).toFixed(1)} ${iterations}`);
    }
  } finally {
    await close(chromium);
    server.close();
  }
  return 0;
}

async function main() {
  const [command, site, ...rest] = process.argv.slice(2);
  let status = 2;
  if (command === 'verify' && site && rest.length > 0) status = await verify(site, rest);
  else if (command === 'keys' && site) status = await keys(site, rest[0]);
  else if (command === 'measure' && site && rest.length === 2) status = await measure(site, rest[0], rest[1]);
  else if (command === 'replays' && site && rest.length > 1) {
    status = await replays(site, Number(rest[0]), rest.slice(1));
  } else {
    console.error('usage: browser.js verify SITE FILE... | keys SITE [PNG] | measure SITE LONG SHORT' +
      ' | replays SITE RUNS FILE...');
  }
  process.exit(status);
}

main().catch((e) => {
  console.error(`browser.js: ${e.message}`);
  process.exit(2);
});
