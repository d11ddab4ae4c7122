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
const started = process.hrtime.bigint();
const Quarndel = require(path.resolve(site, 'quarndel.js'));
Quarndel({
  arguments: ['--replay', '/' + path.basename(file), '--headless', '--verify'],
  locateFile: (name) => path.resolve(site, name),
  preRun: [(module) => module.FS.writeFile('/' + path.basename(file), recording)],
  print: (line) => console.log(line),
  printErr: (line) => console.error(line),
  onExit: (status) => {
    const ms = Number(process.hrtime.bigint() - started) / 1e6;
    if (process.env.QUARNDEL_TIMING) {
      console.error(`replay took ${ms.toFixed(0)} ms`);
    }
    process.exitCode = status;
  },
});
