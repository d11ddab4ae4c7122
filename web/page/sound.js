// The page's half of the game's sound (web/mixer.c holds the other): effect
// samples and the rendered title tune played through Web Audio, one source
// per mixer channel; effects and the tune each through a gain the settings'
// volumes set, both through one gain that mute sets to zero. Browsers
// let a page sound only after a key or click: until then effects are
// skipped, and the tune starts with the first key.
'use strict';
const QuarndelSound = (() => {
  let context = null;
  let master = null;
  let effectsGain = null;
  let musicGain = null;
  const samples = new Map();
  const channels = [];
  let tune = null; // the decoded tune, once decoded
  let tuneSource = null;
  let tuneWanted = false;
  let effectsStarted = 0;

  function startTune() {
    if (!tuneWanted || tuneSource || !tune || context.state !== 'running') return;
    tuneSource = context.createBufferSource();
    tuneSource.buffer = tune;
    tuneSource.loop = true;
    tuneSource.connect(musicGain);
    tuneSource.start();
  }

  function stop(source) {
    try { source.stop(); } catch (e) { /* already over */ }
  }

  // The calls web/mixer.c makes; heap() gives the game's memory now.
  function create(heap) {
    return {
      open() {
        const Context = window.AudioContext || window.webkitAudioContext;
        if (!Context) return 0;
        if (context) context.close().catch(() => {}); // the game before "play again"
        context = new Context();
        master = context.createGain();
        master.connect(context.destination);
        effectsGain = context.createGain();
        effectsGain.connect(master);
        musicGain = context.createGain();
        musicGain.connect(master);
        return 1;
      },
      chunk(id, pointer, frames, count, rate) {
        const buffer = context.createBuffer(count, frames, rate);
        const pcm = new Int16Array(heap().buffer, pointer, frames * count);
        for (let c = 0; c < count; ++c) {
          const data = buffer.getChannelData(c);
          for (let i = 0; i < frames; ++i) data[i] = pcm[i * count + c] / 32768;
        }
        samples.set(id, buffer);
      },
      freeChunk(id) { samples.delete(id); },
      play(channel, id) {
        this.halt(channel);
        if (context.state !== 'running' || !samples.has(id)) return;
        const source = context.createBufferSource();
        source.buffer = samples.get(id);
        source.connect(effectsGain);
        source.start();
        channels[channel] = source;
        effectsStarted += 1;
      },
      halt(channel) {
        if (channels[channel]) stop(channels[channel]);
        channels[channel] = null;
      },
      music(id, pointer, size) {
        const bytes = heap().slice(pointer, pointer + size);
        context.decodeAudioData(bytes.buffer).then((decoded) => {
          tune = decoded;
          startTune();
        }, () => {});
      },
      playMusic() {
        tuneWanted = true;
        startTune();
      },
      haltMusic() {
        tuneWanted = false;
        if (tuneSource) stop(tuneSource);
        tuneSource = null;
      },
      mute(muted) { master.gain.value = muted ? 0 : 1; },
      volume(music, level) { (music ? musicGain : effectsGain).gain.value = level; },
    };
  }

  // A key or click: the browser now lets the page sound.
  function unlock() {
    if (context && context.state !== 'running') context.resume().then(startTune, () => {});
  }

  // What the tests read.
  function status() {
    return { context: context ? context.state : 'none', tune: tuneSource !== null,
      effects: effectsStarted, gain: master ? master.gain.value : null,
      music: musicGain ? musicGain.gain.value : null,
      effectsVolume: effectsGain ? effectsGain.gain.value : null };
  }

  return { create, unlock, status };
})();
window.QuarndelSound = QuarndelSound;
