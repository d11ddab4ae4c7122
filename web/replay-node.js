// Plays a recorded game headless with the browser build under node, like
// `quarndel --replay FILE --headless --verify`: the same end line, the same
// exit status (0 as recorded, 1 different, 2 unreadable).
//
//   node --no-experimental-fetch web/replay-node.js SITE_DIR FILE
'use strict';
const fs = require('fs');
const path = require('path');

const [site, file] = process.argv.slice(2);
if (!site || !file) {
  console.error('usage: replay-node.js SITE_DIR FILE');
  process.exit(2);
}
let recording;
try {
  recording = fs.readFileSync(file);
} catch (e) {
  console.error(`quarndel: ${file}: cannot read the recording`);
  process.exit(2);
}
// The game's lines go straight to the descriptor: console.log would first
// load node's own stream code, which costs more than the replay's last
// iterations and is no part of the game.
function writeLine(fd, line) {
  const bytes = Buffer.from(line + '\n');
  for (let at = 0; at < bytes.length; ) {
    try {
      at += fs.writeSync(fd, bytes, at);
    } catch (e) {
      if (e.code !== 'EAGAIN') throw e;
    }
  }
}
// QUARNDEL_TIMING=1: on standard error, the time and CPU time from the
// game's start (the module compiled, the data loaded) to its end.
let started = null;
let cpuStarted = null;
const Quarndel = require(path.resolve(site, 'quarndel.js'));
Quarndel({
  arguments: ['--replay', '/' + path.basename(file), '--headless', '--verify'],
  locateFile: (name) => path.resolve(site, name),
  preRun: [(module) => module.FS.writeFile('/' + path.basename(file), recording)],
  print: (line) => writeLine(1, line),
  printErr: (line) => writeLine(2, line),
  onRuntimeInitialized: () => {
    started = process.hrtime.bigint();
    cpuStarted = process.cpuUsage();
  },
  onExit: (status) => {
    if (process.env.QUARNDEL_TIMING) {
      const ms = Number(process.hrtime.bigint() - started) / 1e6;
      const cpu = process.cpuUsage(cpuStarted);
      console.error(`replay took ${ms.toFixed(1)} ms, cpu ${((cpu.user + cpu.system) / 1000).toFixed(1)} ms`);
    }
    process.exitCode = status;
  },
});
