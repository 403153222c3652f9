// The page's tests in Debian's headless Chromium, through puppeteer-core:
// the site folder served by a plain static server (python3 -m http.server),
// as people will host it.
//
//   node page_tests.mjs SITE_DIR [--long]
//
// --long adds the whole show, start to end screen (about 3.5 minutes).
import { test, after, before } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import puppeteer from 'puppeteer-core';

const site = resolve(process.argv[2] || 'build-web');
const long = process.argv.includes('--long');
const chromium = process.env.CHROMIUM || '/usr/bin/chromium';

let server;
let origin;
let browser;
let profile;

// The packed data's table of contents, from the loader emcc wrote into demo.js.
function packageFiles() {
  const script = readFileSync(join(site, 'demo.js'), 'utf8');
  const found = script.match(/loadPackage\((\{"files":\[.*?\],"remote_package_size":\d+,"package_uuid":"[^"]*"\})\)/s);
  assert.ok(found, 'demo.js holds the packed data\'s table');
  return JSON.parse(found[1]).files;
}

// demo.data with one file's bytes replaced by a pattern no decoder takes.
function damagedData(name) {
  const data = Buffer.from(readFileSync(join(site, 'demo.data')));
  const file = packageFiles().find((f) => f.filename === name);
  assert.ok(file, `${name} is in the packed data`);
  for (let i = file.start; i < file.end; ++i)
    data[i] = (i * 37) & 0xff;
  return data;
}

function startServer() {
  return new Promise((resolvePromise, reject) => {
    server = spawn('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '0', '-d', site],
                   { stdio: ['ignore', 'pipe', 'pipe'] });
    let text = '';
    const onData = (chunk) => {
      text += chunk;
      const port = text.match(/port (\d+)/);
      if (port) {
        origin = `http://127.0.0.1:${port[1]}`;
        resolvePromise();
      }
    };
    server.stdout.on('data', onData);
    server.stderr.on('data', () => {});
    server.on('exit', (code) => reject(new Error(`the server ended (${code})`)));
  });
}

before(async () => {
  await startServer();
  profile = mkdtempSync(join(tmpdir(), 'orvi-chromium-'));
  browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--mute-audio'],
  });
});

after(async () => {
  if (browser)
    await browser.close();
  if (server)
    server.kill();
  if (profile)
    rmSync(profile, { recursive: true, force: true });
});

// A page with its console, errors and requests recorded.
async function openPage(options = {}) {
  const page = await browser.newPage();
  const record = { errors: [], console: [], failed: [], responses: [] };
  page.on('pageerror', (error) => record.errors.push(String(error)));
  page.on('console', (message) => record.console.push({ type: message.type(), text: message.text() }));
  page.on('requestfailed', (request) => record.failed.push(`${request.url()} ${request.failure()?.errorText}`));
  page.on('response', (response) => record.responses.push({ url: response.url(), status: response.status() }));
  if (options.refreshHz)
    await page.evaluateOnNewDocument(refreshShim, options.refreshHz);
  if (options.reducedMotion)
    await page.emulateMediaFeatures([{ name: 'prefers-reduced-motion', value: 'reduce' }]);
  if (options.data || options.missing) {
    await page.setRequestInterception(true);
    page.on('request', (request) => {
      if (options.missing && request.url().endsWith(`/${options.missing}`))
        request.respond({ status: 404, contentType: 'text/plain', body: 'Not Found' });
      else if (options.data && request.url().endsWith('/demo.data'))
        request.respond({ status: 200, contentType: 'application/octet-stream', body: options.data });
      else
        request.continue();
    });
  }
  await page.setViewport({ width: 1024, height: 700 });
  await page.goto(`${origin}/`, { waitUntil: 'load' });
  return { page, record };
}

// Animation frames at another display's rate: each callback runs at the next
// refresh of a display of `hz`, with that refresh's time, as a browser does
// (a timer that fires late has missed refreshes, and says the last one).
function refreshShim(hz) {
  const period = 1000 / hz;
  let queue = [];
  let timer = 0;
  const fire = () => {
    timer = 0;
    const refresh = Math.floor(performance.now() / period) * period;
    const callbacks = queue;
    queue = [];
    for (const callback of callbacks)
      callback(refresh);
  };
  window.requestAnimationFrame = (callback) => {
    queue.push(callback);
    if (!timer) {
      const now = performance.now();
      timer = setTimeout(fire, (Math.floor(now / period) + 1) * period - now);
    }
    return queue.length;
  };
}

async function startShow(page, options = {}) {
  await page.waitForFunction(() => window.orviPage && window.orviPage.wasm, { timeout: 60000 });
  if (options.silent)
    await page.click('#silent');
  await page.click('#play');
  await page.waitForFunction(() => window.orviPage.frames > 30, { timeout: 30000 });
}

// The canvas's hash and mean brightness (0 to 255), and the music heard.
function canvasPrint(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById('show');
    const pixels = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let hash = 0;
    let sum = 0;
    for (let i = 0; i < pixels.length; i += 4) {
      hash = (hash * 31 + pixels[i] + pixels[i + 1] * 7 + pixels[i + 2] * 13) | 0;
      sum += pixels[i] + pixels[i + 1] + pixels[i + 2];
    }
    const program = window.orviPage.program;
    return { hash, brightness: sum / (pixels.length * 3 / 4), heard: program ? program._orvi_heard_seconds() : -1 };
  });
}

// Canvas prints every 100 ms until the music has played to `until` seconds.
async function watch(page, until) {
  const prints = [];
  for (;;) {
    const print = await canvasPrint(page);
    assert.ok(print.heard >= 0, 'the show is still playing');
    prints.push(print);
    if (print.heard >= until)
      return prints;
    await new Promise((r) => setTimeout(r, 100));
  }
}

test('the page loads with no error, no failed request (the icon too) and nothing on console.error', async () => {
  const { page, record } = await openPage();
  await page.waitForFunction(() => window.orviPage && window.orviPage.wasm, { timeout: 60000 });
  const icon = await page.evaluate(async () => (await fetch('icon.png')).status);
  assert.equal(icon, 200);
  assert.deepEqual(record.errors, []);
  assert.deepEqual(record.failed, []);
  assert.deepEqual(record.responses.filter((r) => r.status >= 400), []);
  assert.deepEqual(record.console.filter((m) => m.type === 'error'), []);
  await page.close();
});

test('the start screen shows the title, the warning, the choices and one start control', async () => {
  const { page } = await openPage();
  const screen = await page.evaluate(() => ({
    start: !document.getElementById('start').hidden,
    title: document.querySelector('#start h1').textContent,
    warning: document.getElementById('warning-text').textContent.trim(),
    calm: document.getElementById('calm').checked,
    silent: !!document.getElementById('silent'),
    buttons: document.querySelectorAll('#start button').length,
  }));
  assert.deepEqual(screen, { start: true, title: 'Orvi', warning: screen.warning, calm: false, silent: true, buttons: 1 });
  // The release's one warning text, word for word.
  const release = readFileSync(new URL('../../../Tools/Release/Flash_Warning.txt', import.meta.url), 'utf8').trim();
  assert.equal(screen.warning, release);
  await page.close();
  // Reduced motion asks for the calm show: chosen, it plays calm and with
  // its sound, by the program's own start line.
  const reduced = await openPage({ reducedMotion: true });
  assert.equal(await reduced.page.evaluate(() => document.getElementById('calm').checked), true);
  await startShow(reduced.page);
  const start = reduced.record.console.find((m) => /^demo: playing/.test(m.text));
  assert.match(start ? start.text : '', /with sound.*calm/);
  assert.equal(await reduced.page.evaluate(() => window.orviPage.program.SDL2.audioContext.state), 'running');
  await reduced.page.close();
});

test('a click starts the show with sound: the picture moves, the opening scene is on, the audio context runs; ' +
     'Escape ends it on the end screen and play again plays within 2 s without fetching', async () => {
  const { page, record } = await openPage();
  await startShow(page);
  // The opening scene: dark, its figure flashing on the beats (the native
  // build's frames of the first 20 s average under 5 of 255).
  const prints = await watch(page, 12);
  const hashes = new Set(prints.map((p) => p.hash));
  const brightness = prints.reduce((sum, p) => sum + p.brightness, 0) / prints.length;
  assert.ok(hashes.size >= 3, `the picture moves: ${hashes.size} different pictures`);
  assert.ok(prints.some((p) => p.brightness > 0.5), 'a figure shows');
  assert.ok(brightness < 10, `the opening is dark: ${brightness.toFixed(1)}`);
  assert.equal(await page.evaluate(() => window.orviPage.program.SDL2.audioContext.state), 'running');
  assert.ok(record.console.some((m) => m.type === 'log' && /sound/i.test(m.text)), 'the program\'s start line');

  const program = await page.evaluate(() => { window.oldProgram = window.orviPage.program; return true; });
  assert.ok(program);
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => !document.getElementById('end').hidden, { timeout: 10000 });
  assert.equal(await page.evaluate(() => window.oldProgram.SDL2.audioContext), undefined, 'the sound is closed');

  const requests = record.responses.length;
  await page.click('#again');
  const started = await page.evaluate(async () => {
    const click = window.orviPage.clickTime;
    while (window.orviPage.frames < 1)
      await new Promise((r) => setTimeout(r, 10));
    return window.orviPage.firstFrameTime - click;
  });
  assert.ok(started < 2000, `play again: first frame after ${started.toFixed(0)} ms`);
  assert.equal(record.responses.length, requests, 'nothing fetched again');
  await page.waitForFunction(() => window.orviPage.frames > 30, { timeout: 10000 });
  await page.click('#stop').catch(async () => page.evaluate(() => document.getElementById('stop').click()));
  await page.waitForFunction(() => !document.getElementById('end').hidden, { timeout: 10000 });
  assert.deepEqual(record.errors, []);
  assert.deepEqual(record.console.filter((m) => m.type === 'error'), []);
  console.log(`# play again: first frame ${started.toFixed(0)} ms after the click`);
  await page.close();
});

test('a damaged module on the server: the box, then the page says the music cannot play', async () => {
  const { page } = await openPage({ data: damagedData('/tekno.xm') });
  await page.waitForFunction(() => window.orviPage && window.orviPage.wasm, { timeout: 60000 });
  await page.click('#play');
  await page.waitForSelector('#box[open]', { timeout: 20000 });
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => !document.getElementById('failure').hidden, { timeout: 20000 });
  const text = await page.evaluate(() => document.getElementById('failure-text').textContent);
  assert.match(text, /music could not be played/);
  await page.close();
});

test('a damaged picture: its box is answered with Escape and the show plays on', async () => {
  const name = packageFiles().map((f) => f.filename).find((f) => /^\/texture\/.*\.jpg$/.test(f) && !/cinemascope/.test(f));
  const { page } = await openPage({ data: damagedData(name) });
  await page.waitForFunction(() => window.orviPage && window.orviPage.wasm, { timeout: 60000 });
  await page.click('#silent');
  await page.click('#play');
  await page.waitForSelector('#box[open]', { timeout: 20000 });
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => window.orviPage.frames > 60, { timeout: 20000 });
  assert.equal(await page.evaluate(() => document.getElementById('stage').hidden), false, 'still playing');
  await page.close();
});

test('failures in words: opened as a file, no WebAssembly, the data missing on the server', async () => {
  const failure = (page) => page.evaluate(() => !document.getElementById('failure').hidden &&
                                                document.getElementById('failure-text').textContent);
  const local = await browser.newPage();
  await local.goto(`file://${join(site, 'index.html')}`, { waitUntil: 'load' });
  assert.match(await failure(local), /python3 -m http\.server/);
  await local.close();

  const bare = await browser.newPage();
  await bare.evaluateOnNewDocument(() => { delete window.WebAssembly; });
  await bare.goto(`${origin}/`, { waitUntil: 'load' });
  assert.match(await failure(bare), /cannot run WebAssembly/);
  await bare.close();

  const { page } = await openPage({ missing: 'demo.data' });
  await page.waitForFunction(() => !document.getElementById('failure').hidden, { timeout: 30000 });
  assert.match(await failure(page), /could not be loaded: demo\.data: 404/);
  await page.close();
});

for (const hz of [120, 144]) {
  test(`at ${hz} Hz the show presents 60 frames a second (600 +- 6 in 10 s)`, async () => {
    const { page } = await openPage({ refreshHz: hz });
    await startShow(page, { silent: true });
    const frames = await page.evaluate(async () => {
      const from = window.orviPage.frames;
      await new Promise((r) => setTimeout(r, 10000));
      return window.orviPage.frames - from;
    });
    console.log(`# ${hz} Hz: ${frames} frames in 10 s`);
    assert.ok(Math.abs(frames - 600) <= 6, `${frames} frames`);
    await page.close();
  });
}

if (long) {
  test('the whole show plays to its end screen', { timeout: 6 * 60000 }, async () => {
    const { page, record } = await openPage();
    await startShow(page);
    // The tunnel (from order 10, 57 s) and the warp (from order 22, 125 s)
    // are bright: the native frames average 40 to 120 of 255.
    for (const [from, to, name] of [[62, 66, 'tunnel'], [126, 130, 'warp']]) {
      await page.waitForFunction((t) => window.orviPage.program._orvi_heard_seconds() >= t, { timeout: 3 * 60000, polling: 200 }, from);
      const prints = await watch(page, to);
      const brightness = prints.reduce((sum, p) => sum + p.brightness, 0) / prints.length;
      assert.ok(brightness > 25, `the ${name} is bright: ${brightness.toFixed(1)}`);
    }
    await page.waitForFunction(() => !document.getElementById('end').hidden, { timeout: 5 * 60000, polling: 1000 });
    const result = await page.evaluate(() => ({
      text: document.getElementById('end-text').textContent,
      frames: window.orviPage.frames,
      busy: window.orviPage.busy.slice().sort((a, b) => a - b),
    }));
    assert.match(result.text, /The end/);
    const median = result.busy[result.busy.length >> 1];
    const worst = result.busy[result.busy.length - 1];
    console.log(`# whole show: ${result.frames} frames; main thread a frame: median ${median.toFixed(2)} ms, ` +
                `99th percentile ${result.busy[Math.floor(result.busy.length * 0.99)].toFixed(2)} ms, worst ${worst.toFixed(2)} ms`);
    assert.ok(result.frames > 11000, `${result.frames} frames`);
    assert.deepEqual(record.errors, []);
    await page.close();
  });
}
