// The page around the show: loads the program (demo.js, demo.wasm) and its
// packed data (demo.data) once, with a progress bar; starts an instance of
// the program on a click (which also lets the browser play sound); shows its
// frames 4:3 on a canvas, paced to 60 a second; gives it the keys it is meant
// to have; shows its warning boxes; and shows what ended it, in words.
//
// Each play is a fresh instance of the compiled program, with its own memory
// and so its own static state, made from the module and data kept here:
// playing again fetches nothing.
'use strict';

(() => {
  const $ = (id) => document.getElementById(id);
  const Period = 1000 / 60;  // the scenes' decays run once a frame, tuned at 60
  const Slack = 4;           // ms early an animation frame may be and still count

  const page = {
    wasm: null,         // WebAssembly.Module, compiled once
    data: null,         // ArrayBuffer of demo.data, fetched once
    loaded: null,       // promise of both
    program: null,      // the running instance
    playing: false,
    stopped: false,     // the viewer ended it
    lines: [],          // the program's own lines of this play
    frames: 0,          // frames presented in this play
    busy: [],           // main-thread ms of each frame (program's frame + present)
    clickTime: 0,
    firstFrameTime: 0,
    failed: false,
  };
  window.orviPage = page;  // for the tests and the benchmark page

  const screens = ['start', 'stage', 'end', 'failure'];
  function showScreen(name) {
    for (const s of screens) $(s).hidden = s !== name;
  }

  function fail(text, detail, retry) {
    page.failed = true;
    page.playing = false;
    $('failure-text').textContent = text;
    $('failure-detail').hidden = !detail;
    $('failure-detail').textContent = detail || '';
    $('retry').hidden = !retry;
    if (document.fullscreenElement)
      document.exitFullscreen().catch(() => {});
    showScreen('failure');
  }

  // --- before anything: can the show run here at all? -------------------------------
  if (location.protocol === 'file:') {
    fail('This page was opened as a file, and a browser does not let a page ' +
         'load its program and data from files. Serve the folder instead: in ' +
         'the folder that holds this page, run\n\n    python3 -m http.server\n\n' +
         'and open http://localhost:8000/ in the browser.');
    return;
  }
  if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
    fail('This browser cannot run WebAssembly, which the show is made of. A ' +
         'current Chromium, Firefox or Safari can; so can this one with ' +
         'WebAssembly switched on again.');
    return;
  }

  // --- loading, with bytes loaded of the total ---------------------------------------
  const progress = { loaded: 0, total: 0 };
  function megabytes(n) { return (n / 1e6).toFixed(1) + ' MB'; }
  function showProgress() {
    const bar = $('bar');
    if (progress.total > 0) {
      bar.max = progress.total;
      bar.value = Math.min(progress.loaded, progress.total);
      $('bytes').textContent = `${megabytes(progress.loaded)} of ${megabytes(progress.total)}`;
    } else {
      bar.removeAttribute('value');
      $('bytes').textContent = `${megabytes(progress.loaded)} loaded`;
    }
  }

  // The whole file as an ArrayBuffer, counting its bytes as they come. A
  // host's compression hides the size: then only the bytes loaded are shown.
  async function fetchCounted(url) {
    const response = await fetch(url);
    if (!response.ok)
      throw new Error(`${url}: ${response.status} ${response.statusText}`);
    const length = response.headers.get('Content-Encoding') ? 0 : Number(response.headers.get('Content-Length')) || 0;
    if (length)
      progress.total += length;
    else
      progress.total = 0;
    showProgress();
    if (!response.body)
      return response.arrayBuffer();
    const reader = response.body.getReader();
    const chunks = [];
    let size = 0;
    for (;;) {
      const { done, value } = await reader.read();
      if (done)
        break;
      chunks.push(value);
      size += value.length;
      progress.loaded += value.length;
      showProgress();
    }
    const whole = new Uint8Array(size);
    let at = 0;
    for (const chunk of chunks) {
      whole.set(chunk, at);
      at += chunk.length;
    }
    return whole.buffer;
  }

  function loadScript(url) {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = url;
      script.onload = resolve;
      script.onerror = () => reject(new Error(`${url} could not be loaded`));
      document.head.appendChild(script);
    });
  }

  page.loaded = Promise.all([
    loadScript('demo.js'),
    fetchCounted('demo.wasm').then((bytes) => WebAssembly.compile(bytes)),
    fetchCounted('demo.data'),
  ]).then(([, wasm, data]) => {
    page.wasm = wasm;
    page.data = data;
    $('bytes').textContent = `${megabytes(progress.loaded)} loaded: ready`;
    $('bar').max = 1;
    $('bar').value = 1;
  }, (error) => {
    fail('The show could not be loaded: ' + error.message + '. Check that every ' +
         'file of the show\'s folder is on the server, then load the page again.', '', true);
    throw error;
  });
  page.loaded.catch(() => {});

  // --- the picture: 4:3, centred, whole device pixels, not smoothed ------------------
  const canvas = $('show');
  const stage = $('stage');
  let context = null;

  function sizeCanvas() {
    const ratio = window.devicePixelRatio || 1;
    const width = Math.floor(Math.min(stage.clientWidth * ratio, stage.clientHeight * ratio * 4 / 3));
    const height = Math.floor(width * 3 / 4);
    canvas.style.width = `${width / ratio}px`;
    canvas.style.height = `${height / ratio}px`;
  }
  window.addEventListener('resize', sizeCanvas);

  let resumedAt = 0;
  function present(bytes, width, height) {
    if (!context)
      context = canvas.getContext('2d', { alpha: false });
    context.putImageData(new ImageData(new Uint8ClampedArray(bytes.buffer, bytes.byteOffset, bytes.byteLength),
                                       width, height), 0, 0);
    if (page.frames === 0)
      page.firstFrameTime = performance.now();
    page.frames++;
    if (resumedAt)
      page.busy.push(performance.now() - resumedAt);
  }

  // 60 frames a second on any display of 60 Hz or more: an animation frame
  // counts once the next frame is due (a few ms early is due), and the due
  // times follow a fixed schedule, so 120 Hz shows every second refresh and
  // 144 Hz alternates two and three. A late frame is made up on the next
  // refreshes of a faster display; a schedule more than four frames behind
  // (a stall, or a display below 60 Hz, where every refresh counts) starts
  // afresh instead of rushing.
  //
  // A hidden page gets no animation frames while its sound plays on: the
  // show then steps on by a timer, which the browser slows, so that it
  // follows the music and ends with it.
  let due = 0;
  function waitFrame() {
    return new Promise((resolve) => {
      let done = false;
      const go = (now) => {
        if (done)
          return;
        done = true;
        due = due + Period < now - 4 * Period ? now + Period : due + Period;
        resumedAt = performance.now();
        resolve();
      };
      const tick = (now) => {
        if (done)
          return;
        if (now >= due - Slack)
          go(now);
        else
          requestAnimationFrame(tick);
      };
      requestAnimationFrame(tick);
      const hidden = () => {
        if (done)
          return;
        if (document.hidden)
          go(performance.now());
        else
          setTimeout(hidden, 250);
      };
      setTimeout(hidden, 250);
    });
  }

  // --- the warning box: modal, answered with Return, Escape, Space or a click ---------
  const box = $('box');
  let answerBox = null;
  function warningBox(caption, text) {
    return new Promise((resolve) => {
      $('box-caption').textContent = caption;
      $('box-text').textContent = text;
      answerBox = () => {
        answerBox = null;
        box.close();
        resolve();
      };
      box.showModal();
      $('box-ok').focus();
    });
  }
  $('box-ok').addEventListener('click', () => answerBox && answerBox());
  box.addEventListener('cancel', (event) => {
    event.preventDefault();
    if (answerBox)
      answerBox();
  });

  // --- full screen, keys, pointer ------------------------------------------------------
  let leftFullScreenAt = -1e9;
  function toggleFullScreen() {
    if (document.fullscreenElement)
      document.exitFullscreen().catch(() => {});
    else if (stage.requestFullscreen)
      stage.requestFullscreen().catch(() => {});
  }
  document.addEventListener('fullscreenchange', () => {
    if (!document.fullscreenElement)
      leftFullScreenAt = performance.now();
    sizeCanvas();
  });
  $('fullscreen').addEventListener('click', toggleFullScreen);
  $('stop').addEventListener('click', stopShow);

  function stopShow() {
    if (!page.playing || !page.program)
      return;
    page.stopped = true;
    page.program._orvi_press_escape();
  }

  document.addEventListener('keydown', (event) => {
    if (answerBox) {
      if (['Enter', 'Escape', ' ', 'NumpadEnter'].includes(event.key)) {
        event.preventDefault();
        event.stopPropagation();
        answerBox();
      }
      return;
    }
    if (!page.playing || event.ctrlKey || event.altKey || event.metaKey)
      return;
    if (event.key === 'Escape') {
      // In full screen the first Escape is the browser's: it leaves full
      // screen, and the show plays on.
      if (document.fullscreenElement || performance.now() - leftFullScreenAt < 500)
        return;
      event.preventDefault();
      stopShow();
    } else if (event.key === 'f' || event.key === 'F') {
      event.preventDefault();
      toggleFullScreen();
    }
  }, true);

  let idleTimer = 0;
  function wake() {
    stage.classList.remove('idle');
    clearTimeout(idleTimer);
    idleTimer = setTimeout(() => stage.classList.add('idle'), 2500);
  }
  stage.addEventListener('pointermove', wake);
  stage.addEventListener('pointerdown', wake);

  // --- playing -------------------------------------------------------------------------
  const sdlCanvas = $('canvas');  // SDL's own, never shown

  async function play() {
    page.clickTime = performance.now();
    // The sound's audio context, made here, in the click itself: a browser
    // lets a page start sound only from a viewer's gesture, and Firefox
    // does not count the program's start, a few awaits later, as one. SDL
    // takes a context it finds (and closes it when the show ends).
    const audioContext = $('silent').checked ? null : makeAudioContext();
    if (!page.wasm) {
      $('play').disabled = true;
      $('bytes').textContent = 'Loading, then the show starts\u2026';
      try {
        await page.loaded;
      } catch (error) {
        return;
      }
    }
    page.playing = true;
    page.stopped = false;
    page.lines = [];
    page.frames = 0;
    page.busy = [];
    page.firstFrameTime = 0;
    due = 0;
    resumedAt = 0;
    showScreen('stage');
    sizeCanvas();
    wake();
    if (context)
      context.clearRect(0, 0, canvas.width, canvas.height);

    // As on a command line: the calm stage, and no sound.
    const args = [];
    if ($('calm').checked)
      args.push('--calm');
    if ($('silent').checked)
      args.push('-n');
    const settings = {
      canvas: sdlCanvas,
      print: (line) => console.log(line),
      printErr: (line) => {
        console.log(line);
        page.lines.push(line);
      },
      instantiateWasm: (imports, done) => {
        WebAssembly.instantiate(page.wasm, imports).then((instance) => done(instance, page.wasm),
          (error) => fail('The show\'s program could not start: ' + error.message));
        return {};
      },
      getPreloadedPackage: () => page.data,
      locateFile: (path) => path,
      onAbort: (what) => fail('The show stopped with an error in its program.', String(what)),
      orvi: { present, waitFrame, warningBox },
    };
    if (audioContext)
      settings.SDL2 = { audioContext };
    let program;
    try {
      program = await window.Orvi(settings);
    } catch (error) {
      fail('The show\'s program could not start: ' + error.message);
      return;
    }
    page.program = program;
    let code;
    try {
      code = await runMain(program, args);
    } catch (error) {
      if (!page.failed)
        fail('The show stopped with an error in its program.', String(error && error.stack || error));
      return;
    }
    try {
      program._orvi_after_show();
    } catch (error) {
      // Nothing is left to clean up.
    }
    page.program = null;
    ended(code);
  }

  function makeAudioContext() {
    const Context = window.AudioContext || window.webkitAudioContext;
    if (!Context)
      return null;  // SDL then reports the sound card missing, and the show plays without
    try {
      const context = new Context();
      context.resume().catch(() => {});
      return context;
    } catch (error) {
      return null;
    }
  }

  // main(argc, argv), waited for through Asyncify: the promise gives main's
  // return value, the show's exit status, once the show has ended.
  function runMain(program, args) {
    const words = ['demo', ...args];
    const argv = program._malloc(4 * (words.length + 1));
    words.forEach((word, i) => {
      const size = program.lengthBytesUTF8(word) + 1;
      const text = program._malloc(size);
      program.stringToUTF8(word, text, size);
      program.HEAPU32[(argv >> 2) + i] = text;
    });
    program.HEAPU32[(argv >> 2) + words.length] = 0;
    return program.ccall('main', 'number', ['number', 'number'], [words.length, argv], { async: true });
  }

  function ended(code) {
    page.playing = false;
    if (page.failed)
      return;
    if (document.fullscreenElement)
      document.exitFullscreen().catch(() => {});
    if (code !== 0) {
      fail('The music could not be played: its module (tekno.xm, in demo.data) is damaged or missing, ' +
           'so the show ended. Load the page again; if that does not help, the server\'s copy of ' +
           'demo.data needs replacing.', page.lines.join('\n'), true);
      return;
    }
    $('end-text').textContent = page.stopped ? 'Stopped.' : 'The end. Thank you for watching.';
    showScreen('end');
    $('again').focus();
  }

  $('play').addEventListener('click', play);
  $('again').addEventListener('click', play);
  $('retry').addEventListener('click', () => location.reload());

  // --- the start screen ----------------------------------------------------------------
  if (window.matchMedia && window.matchMedia('(prefers-reduced-motion: reduce)').matches)
    $('calm').checked = true;
  showScreen('start');
  $('play').focus();
})();
