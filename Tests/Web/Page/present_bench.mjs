// Prints what presenting a 640 x 480 frame costs the page's main thread in
// headless Chromium, on a 2D canvas (putImageData, what the page uses) and
// through WebGL (a texture upload and one quad; SwiftShader here, as no GPU
// is present), over 600 animation frames each, with the frame's bytes
// changed every time as the show's are. Also, when a site folder is given,
// the show's own figures: start (click to first frame, everything loaded)
// and main-thread time a frame over 20 s of each scene's start.
//
//   node present_bench.mjs [SITE_DIR]
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import puppeteer from 'puppeteer-core';

const profile = mkdtempSync(join(tmpdir(), 'orvi-bench-'));
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  userDataDir: profile,
  args: ['--no-sandbox', '--disable-quic', '--no-first-run', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--enable-unsafe-swiftshader', '--mute-audio'],
});

// The mean: the page's clock is coarsened to 0.1 ms without cross-origin
// isolation, so single frames read 0 or 0.1 ms.
function mean(values) {
  return values.reduce((a, b) => a + b, 0) / values.length;
}

try {
  const page = await browser.newPage();
  const result = await page.evaluate(async () => {
    const frames = 600;
    const bytes = new Uint8ClampedArray(640 * 480 * 4);
    const fill = (n) => {
      const words = new Uint32Array(bytes.buffer);
      for (let i = 0; i < words.length; ++i)
        words[i] = 0xff000000 | ((i * 2654435761 + n * 97) >>> 8);
    };
    const run = (draw) => new Promise((done) => {
      const times = [];
      let n = 0;
      const step = () => {
        fill(n);
        const start = performance.now();
        draw();
        times.push(performance.now() - start);
        if (++n < frames)
          requestAnimationFrame(step);
        else
          done(times);
      };
      requestAnimationFrame(step);
    });

    const canvas2d = document.createElement('canvas');
    canvas2d.width = 640;
    canvas2d.height = 480;
    document.body.appendChild(canvas2d);
    const context = canvas2d.getContext('2d', { alpha: false });
    const canvasTimes = await run(() => context.putImageData(new ImageData(bytes, 640, 480), 0, 0));

    const canvasGl = document.createElement('canvas');
    canvasGl.width = 640;
    canvasGl.height = 480;
    document.body.appendChild(canvasGl);
    const gl = canvasGl.getContext('webgl');
    let glTimes = null;
    let glRenderer = 'none';
    if (gl) {
      const info = gl.getExtension('WEBGL_debug_renderer_info');
      glRenderer = info ? gl.getParameter(info.UNMASKED_RENDERER_WEBGL) : gl.getParameter(gl.RENDERER);
      const shader = (type, text) => {
        const s = gl.createShader(type);
        gl.shaderSource(s, text);
        gl.compileShader(s);
        return s;
      };
      const program = gl.createProgram();
      gl.attachShader(program, shader(gl.VERTEX_SHADER,
        'attribute vec2 p; varying vec2 t; void main() { t = vec2(p.x + 1.0, 1.0 - p.y) * 0.5; gl_Position = vec4(p, 0, 1); }'));
      gl.attachShader(program, shader(gl.FRAGMENT_SHADER,
        'precision mediump float; varying vec2 t; uniform sampler2D s; void main() { gl_FragColor = texture2D(s, t); }'));
      gl.linkProgram(program);
      gl.useProgram(program);
      gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
      gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([-1, -1, 1, -1, -1, 1, 1, 1]), gl.STATIC_DRAW);
      gl.enableVertexAttribArray(0);
      gl.vertexAttribPointer(0, 2, gl.FLOAT, false, 0, 0);
      gl.bindTexture(gl.TEXTURE_2D, gl.createTexture());
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.NEAREST);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.NEAREST);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, gl.CLAMP_TO_EDGE);
      gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, gl.CLAMP_TO_EDGE);
      gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, 640, 480, 0, gl.RGBA, gl.UNSIGNED_BYTE, null);
      const plain = new Uint8Array(bytes.buffer);
      glTimes = await run(() => {
        gl.texSubImage2D(gl.TEXTURE_2D, 0, 0, 0, 640, 480, gl.RGBA, gl.UNSIGNED_BYTE, plain);
        gl.drawArrays(gl.TRIANGLE_STRIP, 0, 4);
      });
    }
    return { canvasTimes, glTimes, glRenderer };
  });
  console.log(`present, 2D canvas putImageData: mean ${mean(result.canvasTimes).toFixed(3)} ms a frame (600 frames)`);
  if (result.glTimes)
    console.log(`present, WebGL upload and draw (${result.glRenderer}): mean ${mean(result.glTimes).toFixed(3)} ms a frame (600 frames)`);
  else
    console.log('present, WebGL: no context here');
} finally {
  await browser.close();
  rmSync(profile, { recursive: true, force: true });
}
