// Plays the show with sound in headless Chromium for a while and prints:
// the start (click to first frame, everything loaded), the page's main-thread
// time a frame (the program's frame and its presentation), and how far the
// row the picture acts on is from the row heard when the frame is shown.
//
//   node --no-experimental-fetch show_measure.mjs SITE_DIR [SECONDS]
//
// The heard row comes from the audio graph itself, not from the program's
// estimate: SDL's script processor node says at each of its callbacks at
// which audio-context time its buffer will play (playbackTime), and the
// program says how many frames of the play it had handed over once the
// callback's mix was made. The context's output timestamp maps the frame's
// presentation (the animation frame after it was drawn) to context time.
// Headless Chromium's output device is simulated: this shows what the
// program's estimate does with the browser's buffering and its callback
// timing, not a real device's latency.
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import puppeteer from 'puppeteer-core';

const site = resolve(process.argv[2] || 'build-web');
const seconds = Number(process.argv[3] || 60);

const server = spawn('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '0', '-d', site],
                     { stdio: ['ignore', 'pipe', 'ignore'] });
const origin = await new Promise((done) => {
  let text = '';
  server.stdout.on('data', (chunk) => {
    text += chunk;
    const port = text.match(/port (\d+)/);
    if (port)
      done(`http://127.0.0.1:${port[1]}`);
  });
});
const profile = mkdtempSync(join(tmpdir(), 'orvi-measure-'));
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  userDataDir: profile,
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--mute-audio'],
});

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted.length ? sorted[Math.floor(sorted.length / 2)] : NaN;
}

try {
  const page = await browser.newPage();
  await page.goto(`${origin}/`, { waitUntil: 'load' });
  await page.waitForFunction(() => window.orviPage && window.orviPage.wasm, { timeout: 120000 });
  // Watch the program's presents and SDL's audio callbacks once they exist.
  await page.evaluate(() => {
    const measure = { buffers: [], frames: [], hooked: false };
    window.orviMeasure = measure;
    const hook = () => {
      const program = window.orviPage.program;
      const node = program && program.SDL2 && program.SDL2.audio && program.SDL2.audio.scriptProcessorNode;
      if (!node || !node.onaudioprocess) {
        setTimeout(hook, 5);
        return;
      }
      const mix = node.onaudioprocess;
      node.onaudioprocess = (event) => {
        mix(event);
        measure.buffers.push({ at: event.playbackTime, length: event.outputBuffer.length,
                               pulled: program._orvi_frames_pulled() });
      };
      const context = program.SDL2.audioContext;
      const present = program.orvi.present;
      program.orvi.present = (bytes, width, height) => {
        present(bytes, width, height);
        const frame = program._orvi_heard_seconds() * 44100;
        // Shown at the next animation frame.
        requestAnimationFrame((shown) => {
          const stamp = context.getOutputTimestamp();
          measure.frames.push({ frame, shown: stamp.contextTime + (shown - stamp.performanceTime) / 1000 });
        });
      };
      measure.hooked = true;
    };
    hook();
  });
  await page.click('#play');
  await page.waitForFunction(() => window.orviMeasure.hooked && window.orviPage.frames > 0, { timeout: 60000 });
  await new Promise((r) => setTimeout(r, seconds * 1000));
  const result = await page.evaluate(() => {
    const { buffers, frames } = window.orviMeasure;
    const program = window.orviPage.program;
    const rows = [];
    let b = 0;
    for (const f of frames) {
      while (b + 1 < buffers.length && buffers[b + 1].at <= f.shown)
        ++b;
      const buffer = buffers[b];
      if (!buffer || buffer.at > f.shown || buffer.pulled < buffer.length)
        continue;  // before the music's first buffer plays
      const heard = buffer.pulled - buffer.length + (f.shown - buffer.at) * 44100;
      const row = (p) => (p & 0xffff) * 64 + (p >>> 16);  // every pattern here has 64 rows
      rows.push({ ms: (f.frame - heard) / 44.1,
                  rows: row(program._orvi_position_at(f.frame)) - row(program._orvi_position_at(heard)) });
    }
    const page = window.orviPage;
    return { rows, start: page.firstFrameTime - page.clickTime, busy: page.busy, frames: page.frames,
             buffers: buffers.length, latency: program.SDL2.audioContext.baseLatency };
  });
  const ms = result.rows.map((r) => r.ms);
  const off = result.rows.map((r) => Math.abs(r.rows));
  console.log(`start: ${result.start.toFixed(0)} ms from the click to the first frame`);
  console.log(`main thread: median ${median(result.busy).toFixed(2)} ms a frame, ` +
              `worst ${Math.max(...result.busy).toFixed(1)} ms (${result.frames} frames in ${seconds} s)`);
  console.log(`picture ahead of the heard sound: median ${median(ms).toFixed(1)} ms, ` +
              `range ${Math.min(...ms).toFixed(1)} to ${Math.max(...ms).toFixed(1)} ms ` +
              `(${ms.length} frames, ${result.buffers} audio buffers, baseLatency ${result.latency})`);
  console.log(`rows off: median ${median(off)}, worst ${Math.max(...off)}, ` +
              `${off.filter((n) => n > 0).length} of ${off.length} frames on another row than the heard one`);
} finally {
  await browser.close();
  server.kill();
  rmSync(profile, { recursive: true, force: true });
}
