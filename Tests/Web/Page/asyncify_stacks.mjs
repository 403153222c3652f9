// The program's functions on the stack whenever it yields to the page, from
// a site whose demo.wasm keeps its function names (em++ --profiling-funcs):
// the frame loop's wait for an animation frame, and the warning box, shown
// for a damaged picture and for a damaged module. Prints them as a JSON list
// for -sASYNCIFY_ONLY (Tools/Web/asyncify_cost.sh). A yield from a stack not
// seen here would break a program linked with that list.
//
//   node --no-experimental-fetch asyncify_stacks.mjs SITE_DIR
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import puppeteer from 'puppeteer-core';

const site = resolve(process.argv[2] || 'build-web');

// demo.data with one packed file's bytes replaced by a pattern no decoder takes.
function damagedData(test) {
  const script = readFileSync(join(site, 'demo.js'), 'utf8');
  const table = script.match(/loadPackage\((\{"files":\[.*?\],"remote_package_size":\d+,"package_uuid":"[^"]*"\})\)/s);
  const file = JSON.parse(table[1]).files.find((f) => test(f.filename));
  const data = Buffer.from(readFileSync(join(site, 'demo.data')));
  for (let i = file.start; i < file.end; ++i)
    data[i] = (i * 37) & 0xff;
  return data;
}

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
const profile = mkdtempSync(join(tmpdir(), 'orvi-stacks-'));
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  userDataDir: profile,
  args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--mute-audio'],
});

// Plays with `data` in place of demo.data for `seconds`, answering every
// warning box, and returns the stacks seen at each yield.
async function stacks(data, seconds) {
  const page = await browser.newPage();
  if (data) {
    await page.setRequestInterception(true);
    page.on('request', (request) => request.url().endsWith('/demo.data')
      ? request.respond({ status: 200, contentType: 'application/octet-stream', body: data })
      : request.continue());
  }
  await page.goto(`${origin}/`, { waitUntil: 'load' });
  await page.waitForFunction(() => window.orviPage && window.orviPage.wasm, { timeout: 120000 });
  await page.evaluate(() => {
    Error.stackTraceLimit = 500;
    window.orviStacks = new Set();
    // Each play's settings, before the program starts: a box may come
    // before the first frame.
    const make = window.Orvi;
    window.Orvi = (settings) => {
      for (const name of ['waitFrame', 'warningBox']) {
        const original = settings.orvi[name];
        settings.orvi[name] = (...args) => {
          window.orviStacks.add(new Error().stack);
          if (name === 'warningBox')
            setTimeout(() => document.getElementById('box-ok').click(), 50);
          return original(...args);
        };
      }
      return make(settings);
    };
  });
  await page.click('#play');
  await new Promise((r) => setTimeout(r, seconds * 1000));
  const seen = await page.evaluate(() => [...window.orviStacks]);
  await page.close();
  return seen;
}

try {
  const all = [
    ...await stacks(null, 8),
    ...await stacks(damagedData((name) => /^\/texture\/.*\.jpg$/.test(name) && !/cinemascope/.test(name)), 8),
    ...await stacks(damagedData((name) => name === '/tekno.xm'), 5),
  ];
  const names = new Set();
  for (const stack of all)
    for (const match of stack.matchAll(/^\s*at (.+?) \(wasm:\/\//gm))
      names.add(match[1]);
  console.log(JSON.stringify([...names].sort(), null, 1));
} finally {
  await browser.close();
  server.kill();
  rmSync(profile, { recursive: true, force: true });
}
