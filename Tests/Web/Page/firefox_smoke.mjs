// A smoke test of the page in Debian's firefox-esr, headless, through
// puppeteer-core's WebDriver BiDi: the page loads without an error, a click
// starts the show, the picture moves, Escape ends it on the end screen.
// Chromium's own tests (page_tests.mjs) cover the rest. Without sound: with
// no sound device (a container, a CI machine) Firefox's audio context stays
// suspended, where Chromium's headless one plays to a simulated device; the
// show then follows the no-sound clock, as it does when that is chosen.
//
//   node --no-experimental-fetch firefox_smoke.mjs SITE_DIR
import { test, after, before } from 'node:test';
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { existsSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import puppeteer from 'puppeteer-core';

const site = resolve(process.argv[2] || 'build-web');
const firefox = process.env.FIREFOX || '/usr/bin/firefox-esr';
let server;
let origin;
let browser;
let profile;

before(async () => {
  assert.ok(existsSync(firefox), `${firefox} is installed`);
  server = spawn('python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '0', '-d', site],
                 { stdio: ['ignore', 'pipe', 'ignore'] });
  origin = await new Promise((done) => {
    let text = '';
    server.stdout.on('data', (chunk) => {
      text += chunk;
      const port = text.match(/port (\d+)/);
      if (port)
        done(`http://127.0.0.1:${port[1]}`);
    });
  });
  profile = mkdtempSync(join(tmpdir(), 'orvi-firefox-'));
  browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath: firefox,
    headless: true,
    userDataDir: profile,
    extraPrefsFirefox: { 'media.autoplay.default': 0, 'media.volume_scale': '0.0' },
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

test('firefox: the page loads, a click plays the show without sound, Escape ends it', { timeout: 180000 }, async () => {
  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  page.on('console', (message) => message.type() === 'error' && errors.push(message.text()));
  await page.goto(`${origin}/`, { waitUntil: 'load' });
  await page.waitForFunction(() => window.orviPage && window.orviPage.wasm, { timeout: 120000 });
  await page.click('#silent');
  await page.click('#play');
  await page.waitForFunction(() => window.orviPage.frames > 120, { timeout: 60000 });
  // The opening is dark, its figure flashing on the beats: pictures over
  // 8 s of music, as the program hears it.
  const prints = [];
  for (;;) {
    const print = await page.evaluate(() => {
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
    assert.ok(print.heard >= 0, 'the show is still playing');
    prints.push(print);
    if (print.heard >= 8)
      break;
    await new Promise((r) => setTimeout(r, 100));
  }
  assert.ok(new Set(prints.map((p) => p.hash)).size >= 3, 'the picture moves');
  assert.ok(prints.some((p) => p.brightness > 0.5), 'a figure shows');
  await page.keyboard.press('Escape');
  await page.waitForFunction(() => !document.getElementById('end').hidden, { timeout: 30000 });
  assert.deepEqual(errors, []);
  await page.close();
});
