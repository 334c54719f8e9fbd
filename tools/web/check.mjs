// The browser check of the web build (tools/web.sh --check): serves the site
// and the test page on 127.0.0.1, drives the system's Chromium and Firefox
// ESR headless through puppeteer-core (Firefox through WebDriver BiDi) and
// holds the page to what the desktop viewer does. Each engine has its list
// of checks (kEngines, at the end).
//   node check.mjs SITE TEST_PAGE OUT REFERENCES COMPARE_FRAMES
// Firefox draws WebGL only with an X display: run under xvfb-run, as web.sh
// does. VORLUNE_ENGINES=chromium (or firefox) checks in one engine only.
// SITE is the built site as shipped, TEST_PAGE the same page with the test
// hooks (vorlune_capture and the rest), OUT a folder for renders and the
// page's picture, REFERENCES tests/reference (frames.txt and images/),
// COMPARE_FRAMES the native program that judges a render against a
// reference image as the test suite does. Prints every figure; exits 1
// when a check fails.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import zlib from 'node:zlib';
import puppeteer from 'puppeteer-core';

const [site, testPage, out, references, compareFrames] = process.argv.slice(2).map((given) => path.resolve(given));
if (process.argv.length < 7) {
  console.error('usage: node check.mjs SITE TEST_PAGE OUT REFERENCES COMPARE_FRAMES');
  process.exit(2);
}

const kChromium = process.env.VORLUNE_CHROMIUM || '/usr/lib/chromium/chromium';
const kFirefox = process.env.VORLUNE_FIREFOX || '/usr/bin/firefox-esr';
// Firefox hands pages "llvmpipe, or similar" as the renderer's name unless
// told not to; the check prints the real one.
// Its scroll bars float over the page, as headless Chromium's take no room:
// the canvas gets the page's whole width, the reference frames' size. Its
// clock keeps its fractions of a millisecond, which Firefox otherwise rounds
// away on a page that is not cross-origin isolated, for the frame times.
const kFirefoxPrefs = { 'webgl.sanitize-unmasked-renderer': false, 'ui.useOverlayScrollbars': 1,
  'privacy.reduceTimerPrecision': false };
// WebGL turned off, for the page without WebGL2.
const kChromiumNoWebglFlags = ['--disable-webgl'];
const kFirefoxNoWebglPrefs = { 'webgl.disabled': true };
// What the page says, in the canvas's place, when it gets no WebGL2.
const kNoWebgl2Line = 'Vorlune cannot start: this browser gave no WebGL2 context.';
// The viewer's start-up prints why it stopped, as on the desktop: the one
// line expected in the console without WebGL2.
const kStartupStopLine = /^Vorlune cannot start: /;
// SwiftShader, Chromium's own CPU renderer: what a machine without a GPU
// gets. --no-sandbox because CI runs as root, where Chromium's sandbox
// cannot start.
const kBrowserFlags = ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox',
  '--window-size=1360,830'];
// The canvas fills the page's width at 16:9 (puppeteer hides the scroll
// bars): 1280 CSS pixels wide at a pixel ratio of 1, its drawing buffer is
// the reference frames' 1280x720.
const kReferenceViewport = { width: 1280, height: 830 };
// The drawing buffer's largest area (src/web/canvas_size.h).
const kMaxCanvasPixels = 1920 * 1080;
// Mesa's llvmpipe through ANGLE, for timing beside the native build.
const kLlvmpipeFlags = ['--use-gl=angle', '--use-angle=gl-egl', '--ignore-gpu-blocklist', '--no-sandbox'];
// Generous: SwiftShader on two cores takes seconds where a GPU takes
// milliseconds, and a test waits for events, never for a set time.
const kDeadlineMs = 300_000;
const kTimedFrames = 30;
// A key's effect must change more of the frame than the reference
// tolerance lets a render differ from its reference (0.1%).
const kLeastKeyChange = 0.001;
// The slime file written over the packaged one: a face naming a vertex
// that does not exist, which the importer refuses with an exception.
const kBrokenSlime = 'v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n';
const kBrokenSlimeLine = 'ERROR::ASSIMP:: OBJ: vertex index out of range';
const kSlimeCount = 3;
// What the shipped page's script may not offer: the test hooks, and the
// runtime methods only the check needs.
const kTestHookPattern = /^_vorlune_/;
const kTestRuntimeMethods = ['FS', 'ccall', 'cwrap'];

const failures = [];
function check(condition, what) {
  console.log(`${condition ? 'ok  ' : 'FAIL'} ${what}`);
  if (!condition) failures.push(what);
}

// ---- The site, served as any static host would, no special headers ----
// The site at /, the test page at /test_page/.
const kTestPagePath = '/test_page/';
const kTypes = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream' };
const server = http.createServer((request, response) => {
  let name = decodeURIComponent(new URL(request.url, 'http://host').pathname);
  let root = site;
  if (name.startsWith(kTestPagePath)) {
    root = testPage;
    name = name.slice(kTestPagePath.length - 1);
  }
  const file = path.join(root, name === '/' ? 'index.html' : path.normalize(name));
  fs.readFile(file, (error, bytes) => {
    if (error || !file.startsWith(root)) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { 'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream' });
    response.end(bytes);
  });
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const siteUrl = `http://127.0.0.1:${server.address().port}/`;
const testPageUrl = `${siteUrl}${kTestPagePath.slice(1)}`;

function siteSizes() {
  console.log('\nsite (build-web/site):');
  let total = 0;
  let gzipped = 0;
  for (const name of fs.readdirSync(site).sort()) {
    const bytes = fs.readFileSync(path.join(site, name));
    const packed = zlib.gzipSync(bytes, { level: 9 }).length;
    total += bytes.length;
    gzipped += packed;
    console.log(`  ${name.padEnd(12)} ${(bytes.length / 1024).toFixed(0).padStart(6)} KiB   gzip ${(packed / 1024).toFixed(0).padStart(6)} KiB`);
  }
  console.log(`  ${'in all'.padEnd(12)} ${(total / 1048576).toFixed(2).padStart(6)} MiB   gzip ${(gzipped / 1048576).toFixed(2).padStart(6)} MiB`);
  check(total <= 8 * 1048576, 'the site is at most 8 MiB');
}

// A browser page at `url` with its console kept.
async function newPage(browser, url, module = '', viewport = kReferenceViewport) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  const messages = [];
  page.on('console', (message) => messages.push({ type: message.type(), text: message.text() }));
  page.on('pageerror', (error) => messages.push({ type: 'pageerror', text: error.message }));
  if (module) {
    await page.evaluateOnNewDocument(`window.vorluneModule = ${module};`);
  }
  await page.goto(url);
  return { page, messages };
}

// The test page with its console kept, once it draws; `module` is merged
// into the page's Module before its script runs (the page's own hook for
// embedding).
async function openPage(browser, module = '', viewport = kReferenceViewport) {
  const { page, messages } = await newPage(browser, testPageUrl, module, viewport);
  await page.waitForFunction(() => window.Module && Module.calledRun && Module._vorlune_state() !== 0,
    { timeout: kDeadlineMs });
  // The first drawn frame: the scene is loaded once the page draws.
  await page.waitForFunction(() => Module._vorlune_first_frame_ms() > 0, { timeout: kDeadlineMs });
  return { page, messages };
}

// The site as a visitor gets it, without the test page's hooks: it loads,
// draws, and offers none of the test page's functions or runtime methods.
async function checkShippedSite(browser) {
  console.log('\nthe site as shipped (build-web/site):');
  const script = fs.readFileSync(path.join(site, 'index.js'), 'utf8');
  check(!/_vorlune_/.test(script), 'its script names no _vorlune_ function');
  const { page, messages } = await newPage(browser, siteUrl);
  // The status line hides once the scene is made; the page says why in the
  // canvas's place when it cannot start, or on the status line when it
  // stopped. Empty while it loads.
  const outcome = () => {
    const [status, failure] = ['status', 'failure'].map((id) => document.getElementById(id));
    if (status.hidden && failure.hidden) {
      return 'loaded';
    }
    return failure.hidden ? status.textContent.match(/stopped.*/)?.[0] ?? '' : failure.textContent;
  };
  await page.waitForFunction(outcome, { timeout: kDeadlineMs });
  const result = await page.evaluate(outcome);
  check(result === 'loaded', `it loads its scene${result === 'loaded' ? '' : ': ' + result}`);
  // The tour moves the camera from frame to frame: a page that draws nothing,
  // or only clears, shows the same picture twice.
  const canvas = await page.$('#canvas');
  const shot = async () => {
    await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
    return Buffer.from(await canvas.screenshot());
  };
  check(!(await shot()).equals(await shot()), 'it draws: its picture moves on from frame to frame');
  const offered = await page.evaluate((hookPattern, methods) => {
    const hooks = [...new Set([...Object.keys(window), ...Object.keys(Module)])]
      .filter((name) => new RegExp(hookPattern).test(name));
    return [...hooks, ...methods.filter((method) => Module[method] !== undefined).map((method) => `Module.${method}`)];
  }, kTestHookPattern.source, kTestRuntimeMethods);
  check(offered.length === 0, `it exports no test hook and no runtime method the shell does not use${
    offered.length ? ': ' + offered.join(', ') : ''}`);
  checkNothingReported(messages, 'nothing reported');
  await page.close();
}

// What the viewer or the browser reported as wrong: console errors, page
// errors, WebGL's complaints, and the viewer's own error lines.
function problems(messages) {
  return messages.filter(({ type, text }) => type === 'error' || type === 'pageerror'
    || /^WebGL|GL_INVALID|^ERROR::|Framebuffer not complete|cannot start/.test(text));
}

// Checks that the page reported nothing wrong but the lines `expected`
// (strings, or patterns).
function checkNothingReported(messages, what, expected = []) {
  const isExpected = (text) => expected.some((line) => (line instanceof RegExp ? line.test(text) : line === text));
  const reported = problems(messages).filter(({ text }) => !isExpected(text));
  check(reported.length === 0, `${what}${reported.length ? ': ' + reported.map((m) => m.text).join(' | ') : ''}`);
}

// Where an engine's renders go: each engine's of its own.
const framesFolder = (engine) => path.join(out, 'frames', engine.file);

// Runs the page's capture for one frames.txt line and brings its images
// out: their paths here.
async function capture(page, engine, name, args) {
  const written = await page.evaluate((name, args) => {
    Module.FS.mkdirTree('/frames');
    return Module.ccall('vorlune_capture', 'number', ['string'], [`--out /frames --prefix ${name} ${args}`]);
  }, name, args);
  const paths = [];
  for (let i = 0; i < written; ++i) {
    const file = `${name}-${String(i).padStart(3, '0')}.png`;
    const bytes = await page.evaluate((file) => Array.from(Module.FS.readFile(`/frames/${file}`)), file);
    const into = path.join(framesFolder(engine), file);
    fs.writeFileSync(into, Buffer.from(bytes));
    paths.push(into);
  }
  return paths;
}

// compare_frames' verdict on a render: within the suite's tolerance or not,
// with its share of pixels over the threshold and its largest difference.
function judge(reference, render) {
  try {
    return { within: true, text: execFileSync(compareFrames, [reference, render], { encoding: 'utf8' }).trim() };
  } catch (error) {
    return { within: false, text: String(error.stdout || error.message).trim() };
  }
}

function referenceLines() {
  return fs.readFileSync(path.join(references, 'frames.txt'), 'utf8').split('\n')
    .map((line) => line.trim()).filter((line) => line && !line.startsWith('#'))
    .map((line) => { const [name, ...args] = line.split(/\s+/); return { name, args: args.join(' ') }; });
}

async function describeRenderer(page) {
  return page.evaluate(() => {
    const gl = Module.ctx;
    const info = gl.getExtension('WEBGL_debug_renderer_info');
    return {
      renderer: info ? gl.getParameter(info.UNMASKED_RENDERER_WEBGL) : gl.getParameter(gl.RENDERER),
      version: gl.getParameter(gl.VERSION),
      maxTexture: gl.getParameter(gl.MAX_TEXTURE_SIZE),
      timer: gl.getSupportedExtensions().includes('EXT_disjoint_timer_query_webgl2'),
    };
  });
}

async function checkReferenceFrames(page, engine) {
  console.log(`\nreference frames rendered in ${engine.name}, against the desktop's images:`);
  for (const { name, args } of referenceLines()) {
    const renders = await capture(page, engine, name, args);
    check(renders.length > 0, `${name}: rendered`);
    for (const render of renders) {
      const image = path.basename(render);
      const verdict = judge(path.join(references, 'images', image), render);
      check(verdict.within, `${image}: ${verdict.text}`);
    }
  }
}

// The tour's frame at 3.0 s with the switches as the keys left them, written
// to the page's /frames/`file`: the share of its pixels that differ from
// the previous such frame.
const renderLive = (page, file) => page.evaluate((file) => Module.ccall('vorlune_capture_live', 'number',
  ['string', 'number'], [`/frames/${file}`, 3.0]), file);

// A still picture: the light paused (L), the camera held in free look
// (Space, by its character: WebDriver BiDi knows no key named Space), and
// both keys taken, as the buttons show what the viewer holds.
async function holdStill(page) {
  await page.focus('#canvas');
  await page.keyboard.press('KeyL');
  await page.keyboard.press(' ');
  await page.waitForFunction(() => document.getElementById('switch-L').getAttribute('aria-pressed') === 'false'
    && document.getElementById('switch-Space').getAttribute('aria-pressed') === 'true', { timeout: kDeadlineMs });
}

async function checkKeys(page) {
  console.log('\nkeys (a frame at 3.0 s before and after each):');
  await page.focus('#canvas');
  const live = (file) => renderLive(page, file);
  await live('keys-before.png');
  for (const [key, effect] of [['s', 'shadows'], ['g', 'god rays'], ['b', 'bloom'], ['h', 'the overlay']]) {
    await page.keyboard.press(`Key${key.toUpperCase()}`);
    const changed = await live(`keys-${key}-off.png`);
    check(changed > kLeastKeyChange, `${key.toUpperCase()} switches ${effect}: ${(100 * changed).toFixed(2)}% of pixels change`);
    await page.keyboard.press(`Key${key.toUpperCase()}`);
    const back = await live(`keys-${key}-on.png`);
    check(back > kLeastKeyChange, `${key.toUpperCase()} again switches ${effect} back: ${(100 * back).toFixed(2)}% change again`);
  }
  // V steps through the passes' images, each unlike the one before (their
  // programs made and linked at the first), and back to the frame.
  for (const view of ['god-ray occlusion', 'bloom bright', 'bloom blur', 'shadow cube map', 'frame']) {
    await page.keyboard.press('KeyV');
    const changed = await live(`keys-v-${view.replaceAll(' ', '-')}.png`);
    check(changed > kLeastKeyChange, `V shows the ${view}: ${(100 * changed).toFixed(2)}% of pixels change`);
  }
}

// Free look in a page of its own, whose clock the other checks have not
// taken over: with the light's animation paused (L) and free look on
// (Space) the picture stands still until the mouse, holding the pointer
// after a click, turns the camera.
async function checkFreeLook(browser) {
  console.log('\nfree look:');
  const { page, messages } = await openPage(browser);
  const canvas = await page.$('#canvas');
  await page.focus('#canvas');
  await page.keyboard.press('KeyL');
  // By its character: WebDriver BiDi knows no key named Space.
  await page.keyboard.press(' ');
  const still = async () => {
    await page.evaluate(() => new Promise((resolve) => setTimeout(resolve, 300)));
    return canvas.screenshot();
  };
  const first = await still();
  check(first.equals(await still()), 'with free look on and the animation paused the picture stands still');
  const box = await canvas.boundingBox();
  await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
  const locked = await page.evaluate(() => document.pointerLockElement === Module.canvas);
  check(locked, 'a click on the picture takes the pointer');
  await page.mouse.move(box.x + box.width / 2 + 200, box.y + box.height / 2 - 60, { steps: 10 });
  check(!first.equals(await still()), 'moving the mouse then turns the camera');
  checkNothingReported(messages, 'nothing reported');
  await page.close();
}

const frameTimes = {};

// The canvas's size on the page in CSS pixels and its drawing buffer's, once
// the page has fitted the one to the other (on its next animation frame):
// the CSS size times the pixel ratio to the nearest pixel, or within the
// area cap at the same aspect. Null if it never does.
function fittedCanvas(page) {
  return page.waitForFunction((cap) => {
    const box = Module.canvas.getBoundingClientRect();
    const [width, height, ratio] = [Module.canvas.width, Module.canvas.height, devicePixelRatio];
    const fits = box.width * box.height * ratio ** 2 > cap
      ? width * height <= cap && width * height > 0.99 * cap && Math.abs(width / box.width - height / box.height) < 0.01
      : width === Math.round(box.width * ratio) && height === Math.round(box.height * ratio);
    return fits && { css: [box.width, box.height], buffer: [width, height] };
  }, { timeout: kDeadlineMs }, kMaxCanvasPixels).then((result) => result.jsonValue(), () => null);
}

const sizeText = (size) => (size ? size.map((side) => +side.toFixed(1)).join('x') : 'never fitted');

// Draws a frame and reads back how many colours the drawing buffer's top row
// and right column hold: a frame drawn smaller than its buffer leaves both
// one colour.
async function checkFrameFills(page, buffer) {
  const edges = await page.evaluate(() => {
    Module.ccall('vorlune_capture_live', 'number', ['string', 'number'], ['/edges.png', 3.0]);
    const gl = Module.ctx;
    const colours = (x, y, width, height) => {
      const pixels = new Uint32Array(width * height);
      gl.readPixels(x, y, width, height, gl.RGBA, gl.UNSIGNED_BYTE, new Uint8Array(pixels.buffer));
      return new Set(pixels).size;
    };
    return [colours(0, gl.drawingBufferHeight - 1, gl.drawingBufferWidth, 1),
      colours(gl.drawingBufferWidth - 1, 0, 1, gl.drawingBufferHeight)];
  });
  check(edges[0] > 1 && edges[1] > 1, `a frame drawn at ${sizeText(buffer)} fills it (${edges[0]} colours along its top`
    + ` edge, ${edges[1]} along its right)`);
}

// The canvas at a pixel ratio of 2: its drawing buffer twice its CSS size,
// following the page as it narrows, filling the screen in fullscreen (within
// the cap).
async function checkCanvasSizes(browser) {
  console.log('\nthe canvas at other sizes and pixel ratios:');
  const { page, messages } = await openPage(browser, '', { width: 800, height: 600, deviceScaleFactor: 2 });
  let canvas = await fittedCanvas(page);
  check(sizeText(canvas?.css) === '800x450' && sizeText(canvas?.buffer) === '1600x900', `800x600 at ratio 2: the`
    + ` canvas fills the page's width at 16:9 (${sizeText(canvas?.css)} CSS), drawn at ${sizeText(canvas?.buffer)}`);
  await checkFrameFills(page, canvas?.buffer);
  await page.screenshot({ path: path.join(out, 'page-dpr2.png') });
  await page.setViewport({ width: 600, height: 600, deviceScaleFactor: 2 });
  canvas = await fittedCanvas(page);
  check(sizeText(canvas?.buffer) === '1200x675', `narrowed to 600 CSS pixels, drawn at ${sizeText(canvas?.buffer)}`);
  await checkFrameFills(page, canvas?.buffer);
  // Large enough that fullscreen, where granted, reaches the cap.
  await page.setViewport({ width: 2400, height: 1400, deviceScaleFactor: 2 });

  const fullscreen = await page.evaluate(() => [document.fullscreenEnabled, !document.getElementById('switch-F').hidden]);
  check(fullscreen[0] === fullscreen[1], `the fullscreen switch's button is ${fullscreen[1] ? 'shown' : 'hidden'}`
    + ` where fullscreen is ${fullscreen[0] ? 'enabled' : 'not enabled'}`);
  // Headless Chromium may refuse fullscreen: followed only where granted.
  if (!await page.evaluate(() => document.getElementById('stage').requestFullscreen().then(() => true, () => false))) {
    console.log('     (this browser refused fullscreen: not followed)');
  } else {
    canvas = await fittedCanvas(page);
    const screen = await page.evaluate(() => [innerWidth, innerHeight]);
    check(sizeText(canvas?.css) === sizeText(screen), `in fullscreen the canvas fills the screen`
      + ` (${sizeText(canvas?.css)} CSS), drawn at ${sizeText(canvas?.buffer)}`);
    // F flips the switch as the page last saw fullscreen, once an animation
    // frame has passed on what the browser did.
    const pressF = async (shown) => {
      await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
      await page.keyboard.press('KeyF');
      return page.waitForFunction((shown) => Boolean(document.fullscreenElement) === shown, { timeout: kDeadlineMs },
        shown).then(() => true, () => false);
    };
    await page.focus('#canvas');
    check(await pressF(false) && await pressF(true), 'F leaves fullscreen, and enters it again');
    await page.evaluate(() => document.exitFullscreen());
  }
  checkNothingReported(messages, 'nothing reported');
  await page.close();
}

// A phone's screen, upright then on its side, at ratio 3, touched as the
// engine can (engine.touch).
const kPhone = { width: 390, height: 844, deviceScaleFactor: 3 };
const kPhoneOnItsSide = { width: kPhone.height, height: kPhone.width, deviceScaleFactor: kPhone.deviceScaleFactor };

async function checkPhone(browser, engine) {
  const { page, messages } = await openPage(browser, '', { ...kPhone, ...engine.touch.viewport });
  const canvas = await fittedCanvas(page);
  check(canvas?.buffer[0] === kPhone.deviceScaleFactor * kPhone.width, `on a phone (${kPhone.width}x${kPhone.height}`
    + ` at ratio ${kPhone.deviceScaleFactor}): ${sizeText(canvas?.css)} CSS, drawn at ${sizeText(canvas?.buffer)}`);
  await nextFrames(page);
  await page.screenshot({ path: path.join(out, `page-phone-${engine.file}.png`) });
  await checkTouch(page, engine);
  checkNothingReported(messages, 'nothing reported');
  await page.close();
}

// Two animation frames: the viewer's, which takes the page's input before
// drawing, has run at least once after whatever came before.
const nextFrames = (page) => page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));

// The switches' buttons, their taps, a finger turning the camera and keys
// on a focused button, on the phone `page`, then the layout on its side.
async function checkTouch(page, engine) {
  console.log(`\non a phone, by touch (${engine.touch.how}):`);
  // Every button and the canvas on screen, no sideways scrolling; and, as
  // the made-up touches of either engine scroll nothing, the rule that keeps
  // a finger on the canvas (only) from scrolling, checked as such.
  const layout = async (name) => {
    const seen = await page.evaluate(() => {
      const boxes = [...document.querySelectorAll('#switches button:not([hidden])')]
        .map((button) => button.getBoundingClientRect());
      const inside = (box) => box.width > 0 && box.left >= 0 && box.right <= innerWidth && box.bottom <= innerHeight;
      return { shown: boxes.length, inside: boxes.filter(inside).length,
        canvas: inside(Module.canvas.getBoundingClientRect()), wide: document.documentElement.scrollWidth > innerWidth,
        touch: `${getComputedStyle(Module.canvas).touchAction}/${getComputedStyle(document.body).touchAction}` };
    });
    check(seen.shown >= 6 && seen.inside === seen.shown && seen.canvas && !seen.wide && seen.touch === 'none/auto',
      `${name}: ${seen.inside} of ${seen.shown} buttons${seen.canvas ? ' and the canvas' : ''} on screen,`
      + ` ${seen.wide ? '' : 'no '}sideways scrolling, touch-action ${seen.touch} on the canvas/page`);
  };
  await layout('upright');

  const pressed = (key) => page.$eval(`#switch-${key}`, (button) => button.getAttribute('aria-pressed'));
  // Waits for the viewer to show `key`'s switch as `value`, then for a frame
  // more: a second flip would show by then.
  const becomes = async (key, value) => {
    await page.waitForFunction((key, value) => document.getElementById(`switch-${key}`).getAttribute('aria-pressed')
      === value, { timeout: kDeadlineMs }, key, value);
    await nextFrames(page);
    return await pressed(key) === value;
  };
  await page.focus('#canvas');
  await page.keyboard.press('KeyL');
  check(await becomes('L', 'false'), 'L pauses the light');
  await page.evaluate(() => Module.FS.mkdirTree('/frames'));
  const live = async (file) => {
    const share = await renderLive(page, file);
    const bytes = await page.evaluate((file) => Array.from(Module.FS.readFile(`/frames/${file}`)), file);
    fs.writeFileSync(path.join(framesFolder(engine), file), Buffer.from(bytes));
    return share;
  };
  await live('touch-before.png');
  await engine.touch.tap(page, '#switch-S');
  const off = await becomes('S', 'false');
  const changed = await live('touch-s-off.png');
  check(off && changed > kLeastKeyChange, `a tap on the shadows button switches them off once:`
    + ` ${(100 * changed).toFixed(2)}% of pixels change`);
  await engine.touch.tap(page, '#switch-S');
  const on = await becomes('S', 'true');
  const again = await live('touch-s-on.png');
  // The same frame with the same switches, from the same renderer: the same
  // image, to the byte.
  const frame = (file) => fs.readFileSync(path.join(framesFolder(engine), file));
  check(on && frame('touch-before.png').equals(frame('touch-s-on.png')), `a second tap gives the frame back`
    + ` (${(100 * again).toFixed(2)}% change again)`);

  await engine.touch.tap(page, '#switch-Space');
  check(await becomes('Space', 'true'), 'a tap on the camera button enters free look');
  // A page long enough to scroll, scrolled a little: a drag on the canvas
  // must move neither.
  const canvas = await page.$('#canvas');
  await page.evaluate(() => { document.body.style.minHeight = '200vh'; scrollTo(0, 20); });
  await nextFrames(page);
  const first = await canvas.screenshot();
  await nextFrames(page);
  const still = first.equals(await canvas.screenshot());
  const scrolled = await page.evaluate(() => scrollY);
  await engine.touch.drag(page, '#canvas');
  await nextFrames(page);
  const scrolledAfter = await page.evaluate(() => scrollY);
  check(still && !first.equals(await canvas.screenshot()) && scrolledAfter === scrolled,
    `a finger dragged on the canvas turns the camera, and the page stays scrolled at ${scrolledAfter} (was ${scrolled})`);
  await page.evaluate(() => { document.body.style.minHeight = ''; scrollTo(0, 0); });

  // Space on the focused camera button presses it, and reaches the viewer's
  // own Space no more.
  await page.focus('#switch-Space');
  // By its character: WebDriver BiDi knows no key named Space.
  await page.keyboard.press(' ');
  // The key's click is queued before these frames, and the viewer takes it
  // in the first: flipped twice, the switch would show no change.
  await nextFrames(page);
  check(await pressed('Space') === 'false', 'Space on the focused camera button leaves free look once');

  await page.setViewport({ ...kPhoneOnItsSide, ...engine.touch.viewport });
  await nextFrames(page);
  await layout(`on its side (${kPhoneOnItsSide.width}x${kPhoneOnItsSide.height})`);
}

// `label` names the engine and the renderer: web.sh prints each beside the
// native benchmark.
async function timeFrames(page, label) {
  const buffer = await page.evaluate(() => [Module.canvas.width, Module.canvas.height]);
  console.log(`\nframe time in ${label} at ${sizeText(buffer)} (${kTimedFrames} tour frames`
    + ' back to back, each ended by a 1-pixel readPixels):');
  frameTimes[label] = {};
  for (const [name, effects] of [['all effects on', 1], ['all effects off', 0]]) {
    const ms = await page.evaluate((n, e) => Module._vorlune_time_frames(n, e), kTimedFrames, effects);
    frameTimes[label][name] = ms;
    console.log(`  ${name.padEnd(16)} median ${ms.toFixed(2)} ms`);
  }
  fs.writeFileSync(path.join(out, 'browser-frame-times.json'), JSON.stringify(frameTimes, null, 1));
}

// The same frames in Chromium on Mesa's llvmpipe through ANGLE: the
// rasteriser the native benchmark uses here, so the two times compare the
// builds rather than two software renderers. Chromium only: Firefox draws
// on llvmpipe already.
async function timeFramesOnLlvmpipe() {
  const browser = await puppeteer.launch({ executablePath: kChromium, headless: true, args: kLlvmpipeFlags,
    protocolTimeout: kDeadlineMs });
  try {
    const { page } = await openPage(browser);
    const { renderer } = await describeRenderer(page);
    if (!/llvmpipe/.test(renderer)) {
      console.log(`\nno llvmpipe through ANGLE here (${renderer}): Chromium's frame times on SwiftShader only`);
      return;
    }
    await timeFrames(page, 'Chromium on llvmpipe through ANGLE');
  } finally {
    await browser.close();
  }
}

async function timePasses(page, engine) {
  console.log(`\nper-pass GPU times in ${engine.name} (EXT_disjoint_timer_query_webgl2):`);
  for (const [name, effects] of [['all effects on', 1], ['all effects off', 0]]) {
    let timed = true;
    for (let i = 0; i < kTimedFrames && timed; ++i) {
      timed = await page.evaluate((i, n, e) => Module._vorlune_timed_frame(i, n, e) === 1, i, kTimedFrames, effects);
      // Results come back only between the browser's tasks.
      await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(resolve)));
    }
    if (!timed) {
      console.log(`  not available in ${engine.name}: it offers no timer queries`);
      return;
    }
    await page.evaluate(() => new Promise((resolve) => setTimeout(resolve, 100)));
    const lines = await page.evaluate(() => UTF8ToString(Module._vorlune_pass_times()));
    console.log(`  ${name}:`);
    for (const line of lines.trim().split('\n').filter(Boolean)) {
      const [pass, ms, count] = line.split('\t');
      console.log(`    ${pass.padEnd(18)} ${Number(ms).toFixed(2).padStart(8)} ms  (${count} frames)`);
    }
  }
}

// A dial's input set through the page, the picture held still: the frame
// changes, and set back to its default it is the one from before. With the
// overlay shown, an arrow on the focused input moves only that input; on
// the canvas it turns the overlay's first dial, and scrolls nothing.
const kCheckedDial = 'bloom strength';
const kCheckedDialValue = 3;
async function checkDials(browser) {
  console.log('\nthe dials\' inputs:');
  const { page, messages } = await openPage(browser);
  await holdStill(page);
  await page.evaluate(() => Module.FS.mkdirTree('/frames'));
  const id = await page.$$eval('#dials label', (labels, name) => labels.find((label) => label.firstChild.textContent
    === `${name} `)?.htmlFor, kCheckedDial);
  const setTo = (value) => page.$eval(`#${id}`, (input, value) => {
    input.value = value;
    input.dispatchEvent(new Event('input'));
  }, value);
  const label = (which) => page.$eval(`label[for="${which}"]`, (label) => label.textContent);
  const relabelled = (which, from) => page.waitForFunction((which, from) => document.querySelector(
    `label[for="${which}"]`).textContent !== from, { timeout: kDeadlineMs }, which, from).then(() => true, () => false);
  // The viewer shows the value it took in the animation frame that builds
  // the program again: the live frame after that has the dial's effect.
  const setAndRender = async (value, file) => {
    const shown = await label(id);
    await setTo(value);
    return await relabelled(id, shown) ? renderLive(page, file) : 0;
  };
  await renderLive(page, 'dials-before.png');
  const moved = await setAndRender(kCheckedDialValue, 'dials-moved.png');
  check(moved > kLeastKeyChange, `set to ${kCheckedDialValue}, "${await label(id)}": ${(100 * moved).toFixed(2)}%`
    + ' of pixels change');
  await setAndRender(await page.$eval(`#${id}`, (input) => input.defaultValue), 'dials-back.png');
  const same = await page.evaluate(() => ['before', 'back']
    .map((name) => Module.FS.readFile(`/frames/dials-${name}.png`).join()).reduce((before, back) => before === back));
  check(same, `set back to its default, "${await label(id)}": the frame is the one from before`);
  await page.keyboard.press('KeyH');
  // Folded away, the inputs take no focus.
  await page.$eval('#dials', (dials) => { dials.open = true; });
  await page.focus(`#${id}`);
  const [first, ours] = [await label('dial-0'), await label(id)];
  await page.keyboard.press('ArrowRight');
  check(await relabelled(id, ours) && await label('dial-0') === first,
    `an arrow on the focused input moves it, "${await label(id)}", not the overlay's dial`);
  await page.focus('#canvas');
  await page.evaluate(() => addEventListener('keydown', (event) => { window.keptFromPage = event.defaultPrevented; }));
  await page.keyboard.press('ArrowRight');
  check(await relabelled('dial-0', first) && await page.evaluate(() => window.keptFromPage), 'on the canvas it turns'
    + ` the overlay's dial, "${await label('dial-0')}", and the page keeps it from scrolling`);
  checkNothingReported(messages, 'nothing reported');
  await page.close();
}

// How many times in a row the check takes the context away and gives it
// back: the heap must stand where the first return left it.
const kContextLosses = 10;
// The target for drawing again once the context is back, on SwiftShader:
// printed against the time taken, not judged (a busy machine may miss it).
const kRestoreTargetMs = 2000;
// What ten returns may leave on the heap, in bytes: malloc's bookkeeping
// moves by a few; the scene's objects made again and kept would be megabytes.
const kHeapSlackBytes = 64 * 1024;

// The browser takes the page's WebGL context away (WEBGL_lose_context) and
// gives it back: the page says so while it is gone, then draws the picture
// it drew before from objects made anew, and its switches still work; ten
// times over, it draws the same frame and its heap stays where it was.
async function checkLostContext(browser) {
  console.log('\na lost WebGL context, given back:');
  const { page, messages } = await openPage(browser);
  await holdStill(page);
  const canvas = await page.$('#canvas');
  const picture = async () => { await nextFrames(page); return canvas.screenshot(); };
  // Each takes the context away and gives it back: what the page said in
  // between, and the milliseconds it took to draw again (null: it did not).
  const loseAndRestore = async () => {
    const restores = await page.evaluate(() => Module._vorlune_restores());
    // Asked for while the context is there: a lost context offers no extension.
    await page.evaluate(() => { window.loseContext = Module.ctx.getExtension('WEBGL_lose_context');
      window.loseContext.loseContext(); });
    const said = await page.waitForFunction(() => Module._vorlune_state() === 3, { timeout: kDeadlineMs })
      .then(() => page.$eval('#notice', (notice) => (notice.hidden ? '' : notice.textContent)), () => '');
    await page.evaluate(() => window.loseContext.restoreContext());
    const ms = await page.waitForFunction((before) => Module._vorlune_state() === 1
      && Module._vorlune_restores() > before, { timeout: kDeadlineMs }, restores)
      .then(() => page.evaluate(() => Module._vorlune_last_restore_ms()), () => null);
    return { said, ms };
  };

  const before = await picture();
  const first = await loseAndRestore();
  check(/context/.test(first.said), `while it is gone the page says so over the picture: "${first.said}"`);
  check(first.ms !== null && before.equals(await picture()), `once it is back the page draws the same picture`
    + ` again, ${first.ms === null ? 'never' : `${first.ms.toFixed(0)} ms after`} (target: under ${kRestoreTargetMs} ms)`);
  await page.evaluate(() => Module.FS.mkdirTree('/frames'));
  const live = (file) => renderLive(page, file);
  await live('context-before.png');
  await page.keyboard.press('KeyS');
  const changed = await live('context-s-off.png');
  await page.keyboard.press('KeyS');
  await live('context-s-on.png');
  check(changed > kLeastKeyChange, `S still switches the shadows: ${(100 * changed).toFixed(2)}% of pixels change`);

  const heap = await page.evaluate(() => Module._vorlune_heap_bytes());
  const times = [first.ms];
  for (let i = 1; i < kContextLosses; ++i) {
    times.push((await loseAndRestore()).ms);
  }
  const grown = await page.evaluate(() => Module._vorlune_heap_bytes()) - heap;
  const drawn = times.filter((ms) => ms !== null).sort((a, b) => a - b);
  const last = await live('context-last.png');
  check(drawn.length === kContextLosses && last === 0 && Math.abs(grown) <= kHeapSlackBytes, `${kContextLosses}`
    + ` losses in a row: the page drew again after ${drawn.length}, in ${drawn.length ? drawn[0].toFixed(0) : '-'}`
    + ` to ${drawn.length ? drawn.at(-1).toFixed(0) : '-'} ms; then ${(100 * last).toFixed(2)}% of the frame`
    + ` differs from before; the heap moved by ${grown} bytes`);
  checkNothingReported(messages, 'nothing reported');
  await page.close();
}

// The context taken away while the scene loads, and given back: the page
// loads its scene again and draws it whole, as the desktop does.
async function checkLostWhileLoading(browser, engine) {
  console.log('\na WebGL context lost while the scene loads, given back:');
  const { page, messages } = await newPage(browser, testPageUrl);
  const loading = await page.waitForFunction(() => window.Module && Module.calledRun && Module._vorlune_state() === 0
    && /Loading the hallway: [1-9]/.test(document.getElementById('status').textContent), { timeout: kDeadlineMs })
    .then(() => true, () => false);
  await page.evaluate(() => { window.loseContext = Module.ctx.getExtension('WEBGL_lose_context');
    window.loseContext.loseContext(); });
  await page.waitForFunction(() => Module._vorlune_state() === 3, { timeout: kDeadlineMs });
  await page.evaluate(() => window.loseContext.restoreContext());
  await page.waitForFunction(() => Module._vorlune_first_frame_ms() > 0, { timeout: kDeadlineMs });
  const [render] = await capture(page, engine, 'lost-while-loading', '3.0');
  const verdict = judge(path.join(references, 'images', 'near-beacon-000.png'), render);
  check(loading && verdict.within, `lost after the first models, the page then draws the whole scene: ${verdict.text}`);
  checkNothingReported(messages, 'nothing reported');
  await page.close();
}

async function checkBrokenModel(browser, engine) {
  console.log('\na malformed slime.obj written into the page\'s file system before main:');
  const { page, messages } = await openPage(browser, `{ onRuntimeInitialized() {
    Module.FS.writeFile('/data/models/slime.obj', ${JSON.stringify(kBrokenSlime)});
  } }`);
  const reported = messages.filter(({ text }) => text === kBrokenSlimeLine).length;
  check(reported === kSlimeCount, `its import error is printed once per slime (${reported} of ${kSlimeCount})`);
  check(await page.evaluate(() => Module._vorlune_state()) === 1, 'the page goes on drawing');
  const [render] = await capture(page, engine, 'broken-slime', '3.0');
  const verdict = judge(path.join(references, 'images', 'near-beacon-000.png'), render);
  const share = Number((verdict.text.match(/([0-9.e-]+)% of pixels/) || [])[1]);
  // Without the slimes a little of the frame differs; without the rest of
  // the scene nearly all of it would.
  check(share > 0 && share < 10, `the rest of the scene draws: ${share}% of pixels differ from the full scene`);
  checkNothingReported(messages, 'nothing else reported', [kBrokenSlimeLine]);
  await page.close();
}

// The site in a browser started with WebGL turned off: it says why it
// cannot start where the picture would have been, shows no canvas, and
// nothing goes wrong on the way.
async function checkWithoutWebgl2(_browser, engine) {
  console.log(`\nthe site in ${engine.name} started with WebGL turned off:`);
  const browser = await engine.launch({ webgl: false });
  try {
    const { page, messages } = await newPage(browser, siteUrl);
    await page.waitForFunction(() => !document.getElementById('failure').hidden
      || /stopped/.test(document.getElementById('status').textContent), { timeout: kDeadlineMs });
    const seen = await page.evaluate(() => {
      const failure = document.getElementById('failure').getBoundingClientRect();
      const canvas = Module.canvas.getBoundingClientRect();
      const status = document.getElementById('status');
      return { text: document.getElementById('failure').textContent,
        onScreen: failure.height > 0 && failure.top >= 0 && failure.bottom <= innerHeight,
        fullWidth: Math.abs(failure.width - document.documentElement.clientWidth) < 1,
        canvas: canvas.width * canvas.height, status: status.hidden ? '' : status.textContent };
    });
    check(seen.text === kNoWebgl2Line && seen.onScreen && seen.fullWidth,
      `it says "${seen.text}" on screen, across the page's width where the picture would be`);
    check(seen.canvas === 0, 'it shows no canvas');
    check(seen.status === '', `its status line says nothing more${seen.status ? ': ' + seen.status : ''}`);
    checkNothingReported(messages, 'no error but the start-up\'s own reason in the console', [kStartupStopLine]);
    await page.screenshot({ path: path.join(out, `page-no-webgl2-${engine.file}.png`) });
  } finally {
    await browser.close();
  }
}

// The test page's start, in one page that the checks in
// `engine.testPageChecks` then drive in turn.
async function checkTestPage(browser, engine) {
  const { page, messages } = await openPage(browser);
  const renderer = await describeRenderer(page);
  engine.seen = `${await browser.version()} on ${renderer.renderer}`;
  console.log(`\nbrowser: ${await browser.version()}${engine.launchedWith ? ', ' + engine.launchedWith : ''}`);
  console.log(`renderer: ${renderer.renderer}; ${renderer.version}; max texture ${renderer.maxTexture};`
    + ` timer queries: ${renderer.timer ? 'yes' : 'no'}`);
  const firstFrame = await page.evaluate(() => Module._vorlune_first_frame_ms());
  console.log(`page load to first drawn frame: ${(firstFrame / 1000).toFixed(2)} s`);
  const step = await page.evaluate(() => Module._vorlune_longest_loading_step_ms());
  console.log(`longest the page went unanswering while the scene loaded (one model): ${step.toFixed(0)} ms`);
  check(await page.evaluate(() => Module._vorlune_state()) === 1, 'the page draws its scene');
  const linked = await page.evaluate(() => [Module._vorlune_programs_linked(), Module._vorlune_program_total()]);
  check(linked[0] === linked[1], `every program compiles and links in the browser (${linked[0]} of ${linked[1]})`);
  const { buffer } = await fittedCanvas(page) ?? {};
  check(sizeText(buffer) === '1280x720', `at ${kReferenceViewport.width} CSS pixels wide and ratio 1 the canvas is`
    + ` drawn at ${sizeText(buffer)}, the reference frames' size`);
  checkNothingReported(messages, 'the page loads with nothing in the console');
  // The page as a person sees it, once a few frames have gone by.
  await page.evaluate(() => new Promise((resolve) => setTimeout(resolve, 1500)));
  await page.screenshot({ path: path.join(out, `page-${engine.file}.png`) });
  for (const run of engine.testPageChecks) {
    await run(page, engine);
  }
  checkNothingReported(messages, 'nothing reported while the checks ran');
  await page.close();
}

// A finger's tap and drag. Chromium emulates a touch screen; Firefox through
// WebDriver BiDi cannot (it ignores hasTouch), so there the page gets the
// pointer events of type touch that a finger makes, dispatched on the
// element: what the page's script listens to. Neither scrolls the page
// here, so the page's touch-action rule stands for that in the layout check.
const kDragSteps = 10;
const kDragStep = [10, 5];
const emulatedTouch = {
  how: 'emulated touch screen',
  viewport: { isMobile: true, hasTouch: true },
  tap: (page, selector) => page.tap(selector),
  async drag(page, selector) {
    const box = await (await page.$(selector)).boundingBox();
    const [x, y] = [box.x + box.width / 2, box.y + box.height / 2];
    await page.touchscreen.touchStart(x, y);
    for (let step = 1; step <= kDragSteps; ++step) {
      await page.touchscreen.touchMove(x + kDragStep[0] * step, y + kDragStep[1] * step);
    }
    await page.touchscreen.touchEnd();
  },
};
// Down, moves and up (a click after a tap, as a browser sends) at the
// element's centre, from one made-up finger.
function dispatchTouch(element, moves, click) {
  const box = element.getBoundingClientRect();
  const at = (dx, dy) => ({ pointerId: 2, pointerType: 'touch', isPrimary: true, bubbles: true, cancelable: true,
    composed: true, clientX: box.left + box.width / 2 + dx, clientY: box.top + box.height / 2 + dy });
  element.dispatchEvent(new PointerEvent('pointerdown', at(0, 0)));
  for (const [dx, dy] of moves) {
    element.dispatchEvent(new PointerEvent('pointermove', at(dx, dy)));
  }
  const [dx, dy] = moves.at(-1) ?? [0, 0];
  element.dispatchEvent(new PointerEvent('pointerup', at(dx, dy)));
  if (click) {
    element.dispatchEvent(new PointerEvent('click', at(dx, dy)));
  }
}
const dispatchedTouch = {
  how: 'pointer events of type touch',
  viewport: {},
  tap: (page, selector) => page.$eval(selector, dispatchTouch, [], true),
  drag: (page, selector) => page.$eval(selector, dispatchTouch,
    Array.from({ length: kDragSteps }, (_, i) => [kDragStep[0] * (i + 1), kDragStep[1] * (i + 1)]), false),
};

// Each engine, how it starts (with WebGL or without) and its checks, each
// given the browser: the test page's start then `testPageChecks` on that
// one page, then checks that open pages (or browsers) of their own.
const kEngines = [
  {
    name: 'Chromium',
    file: 'chromium',
    launchedWith: `flags ${kBrowserFlags.join(' ')}`,
    launch: ({ webgl = true } = {}) => puppeteer.launch({ executablePath: kChromium, headless: true,
      args: [...kBrowserFlags, ...(webgl ? [] : kChromiumNoWebglFlags)], protocolTimeout: kDeadlineMs }),
    touch: emulatedTouch,
    testPageChecks: [checkReferenceFrames, checkKeys, (page) => timeFrames(page, 'Chromium on SwiftShader'),
      timePasses],
    checks: [checkTestPage, checkFreeLook, checkCanvasSizes, checkPhone, checkDials, checkLostContext,
      checkLostWhileLoading, checkBrokenModel, checkShippedSite, checkWithoutWebgl2, timeFramesOnLlvmpipe],
  },
  {
    // Left to Chromium: other pixel ratios and fullscreen (the canvas is
    // sized by the page's own code, the same in both engines) and the
    // timing on llvmpipe through ANGLE (Firefox draws on llvmpipe itself).
    name: 'Firefox ESR',
    file: 'firefox',
    // Headless with no display it gives no WebGL2 context at all.
    needsDisplay: true,
    launch: ({ webgl = true } = {}) => puppeteer.launch({ browser: 'firefox', executablePath: kFirefox,
      protocol: 'webDriverBiDi', headless: true, protocolTimeout: kDeadlineMs,
      extraPrefsFirefox: { ...kFirefoxPrefs, ...(webgl ? {} : kFirefoxNoWebglPrefs) } }),
    touch: dispatchedTouch,
    testPageChecks: [checkReferenceFrames, checkKeys, (page) => timeFrames(page, 'Firefox on llvmpipe'), timePasses],
    checks: [checkTestPage, checkFreeLook, checkPhone, checkDials, checkLostContext, checkLostWhileLoading,
      checkBrokenModel, checkShippedSite, checkWithoutWebgl2],
  },
];

const chosen = (process.env.VORLUNE_ENGINES || kEngines.map(({ file }) => file).join(',')).split(',');
siteSizes();
const engineTimes = [];
try {
  for (const engine of kEngines.filter(({ file }) => chosen.includes(file))) {
    console.log(`\n======== ${engine.name} ========`);
    if (engine.needsDisplay && !process.env.DISPLAY) {
      check(false, `${engine.name} draws WebGL only with an X display: run this under xvfb-run, as web.sh does`);
      continue;
    }
    const start = Date.now();
    fs.mkdirSync(framesFolder(engine), { recursive: true });
    const browser = await engine.launch();
    try {
      for (const run of engine.checks) {
        await run(browser, engine);
      }
    } finally {
      await browser.close();
    }
    engineTimes.push(`${engine.name} (${engine.seen}): checked in ${((Date.now() - start) / 1000).toFixed(0)} s`);
  }
} finally {
  server.close();
}
if (engineTimes.length) {
  console.log(`\n${engineTimes.join('\n')}`);
}
console.log(failures.length ? `\n${failures.length} browser check(s) failed` : '\nevery browser check passed');
process.exit(failures.length ? 1 : 0);
