// The browser test of the web build: serves build-web/ on 127.0.0.1, opens it in headless
// Chromium driven over the DevTools protocol (a pipe, no packages), starts the demo, reads
// the frame the player presents at chosen demo times and compares each with the native
// player's capture of the same time; checks that the sound runs and the console stays clean.
//
//   node tests/web/browser_test.mjs --site build-web --player build/bin/vexil
//        --demo build/demo --script demo.gma --times 5500,21000 [--keep DIR]
//
// Each compared frame is the first one of a page opened paused at that time (?hold=MS), as each
// native capture is the first frame of a player started there: what a demo keeps from frame to
// frame (the trail tube "zuravisnurr", render targets, device state an effect leaves behind)
// starts from the same state on both sides. The last page then plays on, seeks while playing
// and is checked for its sound.
import { spawn, spawnSync } from 'node:child_process';
import { createServer } from 'node:http';
import { mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync, existsSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { extname, join, resolve, sep } from 'node:path';
import { inflateSync, deflateSync } from 'node:zlib';

const args = Object.fromEntries(
  process.argv.slice(2).reduce((pairs, word, i, all) =>
    word.startsWith('--') ? [...pairs, [word.slice(2), all[i + 1]]] : pairs, []));
const site = resolve(args.site || 'build-web');
const player = resolve(args.player || 'build/bin/vexil');
const demoDir = resolve(args.demo || 'build/demo');
const script = args.script || 'demo.gma';
const times = (args.times || '5500,21000,44000').split(',').map(Number).sort((a, b) => a - b);
const browser = args.browser || 'chromium';
// Frames are compared in blocks of 2 x 2 pixels: a block differs when the mean of a channel is
// more than kTolerance apart, and a frame matches when at most kMaxShare of its blocks differ.
// The browser draws with SwiftShader and the native capture with llvmpipe: fine texture detail
// far away (the torus tunnel's end) is sampled differently pixel by pixel, 2.4% of single
// pixels in the worst frame against 0.13% of blocks; a missing or misdrawn effect differs in
// far more blocks than that.
const kBlock = 2;
const kTolerance = 16;
const kMaxShare = 0.01;
const kStepTimeoutMs = 120000;
// How far the music clock the picture follows may be from the sound the browser plays.
const kClockToleranceMs = 30;

let passed = 0, failed = 0;
function check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (ok) passed++; else failed++;
}

// ---- PNG: the native captures are 8-bit RGB or RGBA, not interlaced ----------------------
function readPng(path) {
  const bytes = readFileSync(path);
  let pos = 8, width = 0, height = 0, type = 0;
  const data = [];
  while (pos < bytes.length) {
    const length = bytes.readUInt32BE(pos);
    const kind = bytes.toString('latin1', pos + 4, pos + 8);
    const body = bytes.subarray(pos + 8, pos + 8 + length);
    if (kind === 'IHDR') {
      width = body.readUInt32BE(0); height = body.readUInt32BE(4); type = body[9];
      if (body[8] !== 8 || body[12] !== 0 || (type !== 2 && type !== 6)) {
        throw new Error(`${path}: only 8-bit RGB(A) PNGs are read here`);
      }
    } else if (kind === 'IDAT') {
      data.push(body);
    }
    pos += 12 + length;
  }
  const channels = type === 6 ? 4 : 3, stride = width * channels;
  const raw = inflateSync(Buffer.concat(data));
  const out = Buffer.alloc(width * height * 4);
  const row = Buffer.alloc(stride), prev = Buffer.alloc(stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; x++) {
      const a = x >= channels ? row[x - channels] : 0, b = prev[x];
      const c = x >= channels ? prev[x - channels] : 0;
      let v = line[x];
      if (filter === 1) v += a;
      else if (filter === 2) v += b;
      else if (filter === 3) v += (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      row[x] = v & 255;
    }
    for (let x = 0; x < width; x++) {
      for (let k = 0; k < 3; k++) out[(y * width + x) * 4 + k] = row[x * channels + k];
      out[(y * width + x) * 4 + 3] = channels === 4 ? row[x * channels + 3] : 255;
    }
    row.copy(prev);
  }
  return { width, height, pixels: out };
}

// Writes RGBA as a PNG (for looking at a frame that did not match).
function writePng(path, width, height, pixels) {
  const crcTable = Array.from({ length: 256 }, (_, n) => {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    return c >>> 0;
  });
  const crc = (buf) => {
    let c = 0xffffffff;
    for (const byte of buf) c = crcTable[(c ^ byte) & 255] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
  };
  const chunk = (kind, body) => {
    const head = Buffer.alloc(8);
    head.writeUInt32BE(body.length, 0);
    head.write(kind, 4, 'latin1');
    const tail = Buffer.alloc(4);
    tail.writeUInt32BE(crc(Buffer.concat([head.subarray(4), body])), 0);
    return Buffer.concat([head, body, tail]);
  };
  const ihdr = Buffer.alloc(13);
  ihdr.writeUInt32BE(width, 0); ihdr.writeUInt32BE(height, 4);
  ihdr[8] = 8; ihdr[9] = 6;
  const raw = Buffer.alloc((width * 4 + 1) * height);
  for (let y = 0; y < height; y++) {
    pixels.copy(raw, y * (width * 4 + 1) + 1, y * width * 4, (y + 1) * width * 4);
  }
  writeFileSync(path, Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]),
    chunk('IHDR', ihdr), chunk('IDAT', deflateSync(raw)), chunk('IEND', Buffer.alloc(0))]));
}

function compare(expected, actual) {
  if (expected.width !== actual.width || expected.height !== actual.height) {
    return { sameSize: false, share: 1, largest: 255 };
  }
  const { width, height } = expected;
  let different = 0, blocks = 0, largest = 0;
  for (let y = 0; y + kBlock <= height; y += kBlock) {
    for (let x = 0; x + kBlock <= width; x += kBlock) {
      let worst = 0;
      for (let k = 0; k < 3; k++) {
        let sum = 0;
        for (let j = 0; j < kBlock; j++) {
          for (let i = 0; i < kBlock; i++) {
            const at = ((y + j) * width + x + i) * 4 + k;
            sum += expected.pixels[at] - actual.pixels[at];
          }
        }
        worst = Math.max(worst, Math.abs(sum) / (kBlock * kBlock));
      }
      largest = Math.max(largest, worst);
      if (worst > kTolerance) different++;
      blocks++;
    }
  }
  return { sameSize: true, share: different / blocks, largest: Math.round(largest) };
}

// ---- a static server for the site, on the loopback only --------------------------------
const kTypes = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream' };
function serve() {
  const server = createServer((request, response) => {
    const path = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = resolve(join(site, path === '/' ? 'index.html' : path));
    if (!file.startsWith(site + sep) || !existsSync(file) || !statSync(file).isFile()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': kTypes[extname(file)] || 'application/octet-stream' });
    response.end(readFileSync(file));
  });
  return new Promise((done) => server.listen(0, '127.0.0.1', () => done(server)));
}

// ---- Chromium over the DevTools protocol on a pipe (fd 3 to it, fd 4 from it) ----------
function launch(profile) {
  const child = spawn(browser, [
    '--headless=new', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
    '--autoplay-policy=no-user-gesture-required', '--remote-debugging-pipe',
    '--no-first-run', '--no-default-browser-check', '--disable-extensions',
    `--user-data-dir=${profile}`, 'about:blank'],
  // A process group of its own, so that its helper processes end with it.
  { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'], detached: true });
  child.stderr.on('data', () => {});
  let nextId = 1, buffer = '';
  const waiting = new Map(), listeners = [];
  child.stdio[4].on('data', (chunk) => {
    buffer += chunk.toString('utf8');
    let end;
    while ((end = buffer.indexOf('\0')) >= 0) {
      const message = JSON.parse(buffer.slice(0, end));
      buffer = buffer.slice(end + 1);
      if (message.id && waiting.has(message.id)) {
        const { done, fail } = waiting.get(message.id);
        waiting.delete(message.id);
        message.error ? fail(new Error(message.error.message)) : done(message.result);
      } else if (message.method) {
        for (const listener of listeners) listener(message);
      }
    }
  });
  const send = (method, params = {}, sessionId) => new Promise((done, fail) => {
    const id = nextId++;
    waiting.set(id, { done, fail });
    child.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + '\0');
  });
  const on = (listener) => listeners.push(listener);
  const once = (method) => new Promise((done) => on((message) => {
    if (message.method === method) done(message.params);
  }));
  return { child, send, on, once };
}

function withTimeout(promise, ms, what) {
  let timer;
  return Promise.race([promise, new Promise((_, fail) => {
    timer = setTimeout(() => fail(new Error(`${what}: no answer in ${ms / 1000} s`)), ms);
  })]).finally(() => clearTimeout(timer));
}

// A script whose one picture is missing.
const kMissingPictureScript = `<?xml version="1.0"?>
<demo name="missing picture">
  <settings><width value="320"/><height value="240"/><fullscreen value="0"/>
    <setupdialog value="0"/></settings>
  <libraries><library file="effectpack.dll"/></libraries>
  <resources>
    <texture type="texture" name="gone"><param name="filename" type="string" value="gone.png"/></texture>
  </resources>
  <timeline>
    <picture type="showimage" start="0" end="1000" layer="1">
      <param name="texture" type="string" value="gone"/>
    </picture>
  </timeline>
</demo>
`;

// ---- the run ------------------------------------------------------------------------------
const scratch = mkdtempSync(join(tmpdir(), 'vexil-web-test-'));
const keep = args.keep ? resolve(args.keep) : null;
if (keep) mkdirSync(keep, { recursive: true });
let server, chrome;
try {
  // Native captures of the same moments, each from a player started there.
  const native = {};
  for (const ms of times) {
    const dir = join(scratch, `native-${ms}`);
    const run = spawnSync(player, ['--capture', dir, '--from', String(ms), '--to', String(ms), script],
      { cwd: demoDir, timeout: 300000, env: { ...process.env, SDL_VIDEODRIVER: 'offscreen',
        SDL_AUDIODRIVER: 'dummy' }, stdio: ['ignore', 'ignore', 'pipe'] });
    if (run.status !== 0) throw new Error(`native capture at ${ms} ms failed: ${run.stderr}`);
    // The one frame, numbered from the demo's start like every rendered frame.
    const [frame] = readdirSync(dir).filter((name) => /^frame-\d+\.png$/.test(name));
    native[ms] = readPng(join(dir, frame));
  }

  server = await serve();
  const pageUrl = `http://127.0.0.1:${server.address().port}/index.html`;
  chrome = launch(join(scratch, 'profile'));
  const problems = [];
  chrome.on((message) => {
    const p = message.params || {};
    if (message.method === 'Runtime.consoleAPICalled' && (p.type === 'error' || p.type === 'assert')) {
      problems.push(`console.${p.type}: ${p.args.map((a) => a.value ?? a.description).join(' ')}`);
    } else if (message.method === 'Runtime.exceptionThrown') {
      problems.push(`exception: ${p.exceptionDetails.exception?.description || p.exceptionDetails.text}`);
    } else if (message.method === 'Log.entryAdded' && p.entry.level === 'error') {
      problems.push(`log: ${p.entry.text} ${p.entry.url || ''}`);
    }
  });
  const { targetId } = await chrome.send('Target.createTarget', { url: 'about:blank' });
  const { sessionId } = await chrome.send('Target.attachToTarget', { targetId, flatten: true });
  const page = (method, params) => chrome.send(method, params, sessionId);
  const evaluate = async (expression, timeout = kStepTimeoutMs) => {
    const answer = await withTimeout(page('Runtime.evaluate',
      { expression, awaitPromise: true, returnByValue: true }), timeout, expression.slice(0, 60));
    if (answer.exceptionDetails) {
      throw new Error(answer.exceptionDetails.exception?.description || answer.exceptionDetails.text);
    }
    return answer.result.value;
  };
  const open = async (query) => {
    const loaded = chrome.once('Page.loadEventFired');
    await page('Page.navigate', { url: `${pageUrl}?${query}` });
    await withTimeout(loaded, kStepTimeoutMs, 'loading the page');
  };
  await page('Runtime.enable');
  await page('Log.enable');
  await page('Page.enable');
  // Every page notes each buffer the sound output hands to the browser: how many frames, and
  // the context time the browser plays it at. From that and the context's output latency the
  // test works out the moment of the demo's sound being heard, apart from the player's clock.
  await page('Page.addScriptToEvaluateOnNewDocument', { source: `(() => {
    const buffers = window.vexilTestBuffers = [];
    const native = Object.getOwnPropertyDescriptor(ScriptProcessorNode.prototype, 'onaudioprocess');
    const create = AudioContext.prototype.createScriptProcessor;
    AudioContext.prototype.createScriptProcessor = function (...rest) {
      const node = create.apply(this, rest);
      let handler = null;
      Object.defineProperty(node, 'onaudioprocess', {
        get() { return handler; },
        set(fill) {
          handler = fill;
          native.set.call(node, (e) => {
            fill(e);
            buffers.push({ frames: e.outputBuffer.length, at: e.playbackTime });
          });
        } });
      return node;
    };
  })();` });

  // The next frame the player presents, with the demo time it was drawn at. `action` runs
  // once the page is ready for it.
  const kTakeFrame = `Module.vexilTakeFrame = (rgba, width, height) => {
      Module.vexilTakeFrame = null;
      let text = '';
      for (let i = 0; i < rgba.length; i += 0x8000) {
        text += String.fromCharCode.apply(null, rgba.subarray(i, i + 0x8000));
      }
      done({ width, height, time: Module.vexilTransport.frameTime, data: btoa(text) });
    };
    Module.vexilFrameWanted = true;`;
  const compareFrame = (frame, ms, what) => {
    const actual = { width: frame.width, height: frame.height, pixels: Buffer.from(frame.data, 'base64') };
    const difference = compare(native[ms], actual);
    check(frame.time === ms && difference.sameSize && difference.share <= kMaxShare,
      `${what} at ${ms} ms (drawn at ${frame.time} ms) matches the native capture ` +
      `(${(difference.share * 100).toFixed(3)}% of ${kBlock}x${kBlock} blocks differ by more ` +
      `than ${kTolerance}, ` +
      `largest difference ${difference.largest})`);
    if (keep || difference.share > kMaxShare) {
      const folder = keep || scratch;
      writePng(join(folder, `web-${ms}.png`), actual.width, actual.height, actual.pixels);
      if (keep) writePng(join(folder, `native-${ms}.png`), native[ms].width, native[ms].height, native[ms].pixels);
    }
  };

  // Each time: the page opened paused there and started with the click it asks for; its first
  // frame is compared.
  const started = Date.now();
  for (const ms of times) {
    await open(`hold=${ms}`);
    const frame = await evaluate(`new Promise((done, fail) => {
      const t0 = Date.now();
      (function wait() {
        const start = document.getElementById('start');
        if (start && !start.disabled) {
          ${kTakeFrame}
          start.click();
        } else if (Date.now() - t0 > ${kStepTimeoutMs}) {
          fail(new Error('the page never asked for a click'));
        } else {
          setTimeout(wait, 50);
        }
      })();
    })`);
    compareFrame(frame, ms, 'the first frame');
  }
  console.log(`frames read in ${((Date.now() - started) / 1000).toFixed(1)} s`);

  // On the last page: the demo plays on once the page lets it, with its sound running.
  const last = times[times.length - 1];
  await evaluate('Module.vexilTransport.play(), true');
  const played = await evaluate(`new Promise((done) => setTimeout(() => {
    const context = Module.SDL2 && Module.SDL2.audioContext;
    const first = context ? context.currentTime : -1;
    setTimeout(() => done({ state: context ? context.state : 'none', first,
                            later: context ? context.currentTime : -1,
                            time: Module.vexilTransport.frameTime }), 1000);
  }, 200))`);
  check(played.time > last,
    `the demo plays on from ${last} ms once the page lets it (now at ${played.time} ms)`);
  check(played.state === 'running' && played.later > played.first,
    `the audio context runs (${played.state}, ${played.first.toFixed(2)} s -> ${played.later.toFixed(2)} s)`);
  // The picture follows the music's clock: that clock must be the sound being heard, not the
  // sound being mixed (which the browser plays a buffer or two and its output latency later).
  // Heard now: the buffers play back to back, each from its play time; those times come late
  // when the page is busy, so the earliest of the last second's buffers places them. The
  // output is at the context's time less the latencies it reports.
  const sync = await evaluate(`new Promise((done) => {
    const context = Module.SDL2.audioContext, gaps = [];
    (function sample() {
      const clock = Module._vexil_music_clock_ms();
      const out = context.currentTime - (context.outputLatency || 0) - (context.baseLatency || 0);
      let frames = 0, zero = Infinity;
      for (const b of window.vexilTestBuffers) {
        if (b.at > context.currentTime - 1) zero = Math.min(zero, b.at - frames / context.sampleRate);
        frames += b.frames;
      }
      if (clock >= 0 && zero < Infinity) gaps.push(clock - (out - zero) * 1000);
      if (gaps.length < 40) setTimeout(sample, 23);
      else done(gaps);
    })();
  })`);
  const worst = sync.reduce((w, g) => Math.max(w, Math.abs(g)), 0);
  const mean = sync.reduce((a, g) => a + g, 0) / sync.length;
  check(worst <= kClockToleranceMs,
    `the music clock is the sound being heard (clock minus heard: mean ${mean.toFixed(1)} ms, ` +
    `worst ${worst.toFixed(1)} ms of ${sync.length} readings; tolerance ${kClockToleranceMs} ms)`);
  // A seek while it plays: the next frame is drawn at the time sought (an effect that keeps
  // state from frame to frame may look different from a fresh start there, so the picture is
  // not compared), and the demo plays on from there.
  const sought = await evaluate(`new Promise((done) => {
    ${kTakeFrame}
    Module.vexilTransport.seek(${last});
  })`);
  const after = await evaluate(`new Promise((done) => setTimeout(() =>
    done(Module.vexilTransport.frameTime), 500))`);
  check(sought.time === last && after > last,
    `a seek while playing draws its next frame at ${last} ms (${sought.time} ms) and plays on ` +
    `(${after} ms)`);

  const messages = await evaluate(
    `Array.from(document.querySelectorAll('.message.error')).map((m) => m.textContent)`);
  check(messages.length === 0, `the page shows no error${messages.length ? ': ' + messages.join('; ') : ''}`);
  check(problems.length === 0, `the console has no errors${problems.length ? ':\n  ' + problems.join('\n  ') : ''}`);

  // A script that is not there: the page says so itself, and the player ends.
  await open('script=no-such-script.xml&autostart');
  const missing = await evaluate(`new Promise((done) => {
    const t0 = Date.now();
    (function wait() {
      const shown = Array.from(document.querySelectorAll('.message.error')).map((m) => m.textContent);
      const status = document.getElementById('status').textContent;
      if ((shown.length && /could not play/.test(status)) || Date.now() - t0 > ${kStepTimeoutMs}) {
        done({ shown, status });
      } else {
        setTimeout(wait, 50);
      }
    })();
  })`);
  check(missing.shown.some((text) => text.includes('no-such-script.xml')) &&
        /could not play/.test(missing.status),
    `a missing script is reported in the page (${JSON.stringify(missing.shown)}, "${missing.status}")`);

  // A picture that is not there: the page shows the player's message.
  await open('script=missing-picture.xml');
  const missingFile = await evaluate(`new Promise((done) => {
    const t0 = Date.now();
    (function wait() {
      const start = document.getElementById('start');
      if (start && !start.disabled && !start.dataset.clicked) {
        start.dataset.clicked = '1';
        Module.FS.writeFile('/demo/missing-picture.xml', ${JSON.stringify(kMissingPictureScript)});
        start.click();
      }
      const shown = Array.from(document.querySelectorAll('.message')).map((m) => m.textContent);
      if (shown.length || Date.now() - t0 > ${kStepTimeoutMs}) done(shown);
      else setTimeout(wait, 50);
    })();
  })`);
  check(missingFile.some((text) => /not found/i.test(text)),
    `a missing picture is reported in the page (${JSON.stringify(missingFile)})`);
} catch (error) {
  check(false, String(error && error.stack || error));
} finally {
  if (chrome) {
    const group = -chrome.child.pid;
    const signal = (name) => { try { process.kill(group, name); } catch { /* already gone */ } };
    signal('SIGTERM');
    await new Promise((done) => { chrome.child.once('exit', done); setTimeout(done, 5000); });
    signal('SIGKILL');
  }
  if (server) server.close();
  // Its last helper processes may still be closing files in the profile for a moment.
  const remove = (path) => rmSync(path, { recursive: true, force: true, maxRetries: 10, retryDelay: 200 });
  remove(join(scratch, 'profile'));
  if (keep || failed === 0) remove(scratch);
  else console.log(`what the failed run left (frames that did not match) is in ${scratch}`);
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
