// Drives Debian's Chromium headless against the browser build, served from
// this machine only (127.0.0.1, a free port):
//
//   node web/browser.js verify SITE FILE...  plays each recording headless in
//       the page; exits 0 when every one ends as recorded (and the canvas
//       shows the recorded last frame), else 1 naming the first difference;
//       with QUARNDEL_SCREENSHOTS=DIR a screenshot of each page goes there;
//       with QUARNDEL_WINDOWED=1 the recordings play paced, frame by frame
//   node web/browser.js keys SITE [PNG]      keys through the browser start the
//       tune, mute it, start a game and move the ship, Escape ends the run, and
//       the page reloads offline; PNG gets a screenshot of the page in play
//   node web/browser.js measure SITE LONG SHORT   load time, frame intervals,
//       replay speed (iterations of the long recording beyond the short one's
//       per second), printed one per line
'use strict';
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const kTypes = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.data': 'application/octet-stream', '.qrp': 'text/plain' };

// Serves the site, and the recordings under /recordings/N.qrp.
function serve(site, recordings) {
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://127.0.0.1');
    let file = null;
    const m = /^\/recordings\/([0-9]+)\.qrp$/.exec(url.pathname);
    if (m) {
      file = recordings[Number(m[1])];
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
    // page's offline worker kept.
    response.writeHead(200, { 'Content-Type': kTypes[path.extname(file)] ||
      'application/octet-stream', 'Cache-Control': 'no-store' });
    fs.createReadStream(file).pipe(response);
  });
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

async function keys(site, png) {
  const server = await serve(site, []);
  const base = `http://127.0.0.1:${server.address().port}/`;
  const chromium = await launch();
  const state = (page, what) => page.evaluate((w) => window.quarndel.module._QuarndelState(w),
    what);
  const problems = [];
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
    await new Promise((r) => setTimeout(r, 100));
    const mutedGain = (await sound()).gain;
    await page.keyboard.press('KeyM');
    await new Promise((r) => setTimeout(r, 100));
    if (mutedGain !== 0 || (await sound()).gain !== 1) {
      problems.push(`M twice set the gain to ${mutedGain}, then ${(await sound()).gain}`);
    }
    const effectsBefore = (await sound()).effects;
    await page.keyboard.press('Enter'); // Start
    await waitFor(page, 'window.quarndel.module._QuarndelState(0) === 0', 5000);
    await new Promise((r) => setTimeout(r, 300));
    const x0 = await state(page, 1);
    const y0 = await state(page, 2);
    await page.keyboard.down('ArrowRight');
    await page.keyboard.down('ArrowDown');
    await new Promise((r) => setTimeout(r, 500));
    await page.keyboard.up('ArrowRight');
    await page.keyboard.up('ArrowDown');
    const x1 = await state(page, 1);
    const y1 = await state(page, 2);
    console.log(`ship moved from (${x0}, ${y0}) to (${x1}, ${y1})`);
    heard = await sound();
    if (heard.effects <= effectsBefore || heard.tune) {
      problems.push(`after Start the sound is ${JSON.stringify(heard)}`);
    }
    if (!(x1 > x0 && y1 > y0)) problems.push('the arrow keys did not move the ship');
    if ((await scrolled()) !== 0) problems.push('the arrow keys scrolled the page');
    if (png) await page.screenshot({ path: png });
    await page.keyboard.press('Escape'); // ends the run
    await waitFor(page, 'window.quarndel.status !== null', 5000);
    const status = await page.evaluate(() => window.quarndel.status);
    if (status !== 0) problems.push(`Escape ended the run with status ${status}`);
    const after = await page.$eval('#hint', (e) => (e.hidden ? '' : e.textContent));
    if (!/play again/i.test(after)) problems.push(`after Escape the page says "${after}"`);
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
    await page.close();
  } finally {
    await close(chromium);
    server.close();
  }
  for (const p of problems) console.log(`FAIL ${p}`);
  if (problems.length === 0) console.log('PASS keys through the browser start the tune, mute it, start a game with its effect and move the ship');
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

async function main() {
  const [command, site, ...rest] = process.argv.slice(2);
  let status = 2;
  if (command === 'verify' && site && rest.length > 0) status = await verify(site, rest);
  else if (command === 'keys' && site) status = await keys(site, rest[0]);
  else if (command === 'measure' && site && rest.length === 2) status = await measure(site, rest[0], rest[1]);
  else console.error('usage: browser.js verify SITE FILE... | keys SITE [PNG] | measure SITE LONG SHORT');
  process.exit(status);
}

main().catch((e) => {
  console.error(`browser.js: ${e.message}`);
  process.exit(2);
});
