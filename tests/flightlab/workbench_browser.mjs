// The workbench in a real browser: headless Chromium opens the page served by
// wingleaf-flightlab --serve, moves a slider, measures input-to-redraw latency, orbits the 3D
// view, tunes, cancels a tune, saves a preset and finds it in a wingleaf-host session.
// Usage: node workbench_browser.mjs FLIGHTLAB HOST PLUGIN NODE_MODULES SCREENSHOT_DIR
import { spawn, spawnSync } from 'node:child_process';
import { mkdtempSync, mkdirSync, rmSync, existsSync } from 'node:fs';
import { createRequire } from 'node:module';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import assert from 'node:assert/strict';

const [flightlab, host, plugin, nodeModules, shots] = process.argv.slice(2);
const { chromium } = createRequire(join(nodeModules, 'x.js'))('playwright-core');
const browserPath = '/usr/bin/chromium';
assert.ok(existsSync(browserPath), 'Chromium is missing: run scripts/bootstrap.sh');

const scratch = mkdtempSync(join(tmpdir(), 'wingleaf-workbench-'));
const game = join(scratch, 'game');
mkdirSync(shots, { recursive: true });
let server, browser, page;

const began = Date.now();
const step = (text) => console.log(`workbench: ${((Date.now() - began) / 1000).toFixed(1)} s: ${text}`);

function hostSession(lines) {
  const args = ['--root', game, '--plugin', plugin];
  for (const l of lines) args.push('-c', l);
  const r = spawnSync(host, args, { input: '', encoding: 'utf8' });
  assert.equal(r.status, 0, r.stderr);
  return r.stdout;
}

function startServer() {
  server = spawn(flightlab, ['--serve', '--port', '0', '--game', game], { stdio: ['ignore', 'pipe', 'pipe'] });
  let err = '';
  server.stderr.on('data', (d) => { err += d; });
  return new Promise((resolve, reject) => {
    let out = '';
    server.stdout.on('data', (d) => {
      out += d;
      const m = /workbench at (http:\/\/\S+)/.exec(out);
      if (m) resolve(m[1]);
    });
    server.on('exit', (code) => reject(new Error(`the server ended (${code}): ${err}`)));
  });
}

async function main() {
  hostSession([]); // lays out the game folder
  const address = await startServer();
  step(`server at ${address}`);
  browser = await chromium.launch({
    executablePath: browserPath,
    // As Chromium runs on a machine without a GPU: WebGL in SwiftShader, compositing in software.
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--disable-gpu-compositing'],
  });
  page = await browser.newPage({ viewport: { width: 1500, height: 1500 } });
  const redraws = () => page.evaluate(() => window.workbench.latency.redraws);
  // Waits until the page has redrawn since redraw N and nothing waits to be flown.
  const redrawnAfter = (n) => page.waitForFunction((k) => window.workbench.latency.redraws > k && !window.workbench.queue.busy, n);
  const problems = [];
  page.on('pageerror', (e) => problems.push(e.message));
  page.on('console', (m) => m.type() === 'error' && problems.push(m.text()));
  step('browser started');
  await page.goto(address);
  await page.waitForFunction(() => window.workbench?.latency.redraws >= 1, null, { timeout: 30000 });
  assert.equal(await page.locator('#sliders .slider').count(), 14);
  step('page loaded and drawn');
  // WORKBENCH_TIME_LIMIT shortens the flights, so that a sanitizer build keeps the test short.
  if (process.env.WORKBENCH_TIME_LIMIT) {
    const n = await redraws();
    await page.fill('#launch-timeLimit', process.env.WORKBENCH_TIME_LIMIT);
    await page.locator('#launch-timeLimit').dispatchEvent('change');
    await redrawnAfter(n);
  }

  // A slider move re-flies: the figures and the side view change.
  const figures = () => page.locator('#figures tbody tr').first().innerText();
  const sidePlot = () => page.evaluate(() => document.querySelector('#plot-side canvas').toDataURL());
  const beforeFigures = await figures(), beforePlot = await sidePlot();
  async function move(value) {
    const n = await redraws();
    await page.locator('#r-wl_lift').fill(String(value));
    await redrawnAfter(n);
  }
  await move(6);
  assert.notEqual(await figures(), beforeFigures, 'the figures did not change');
  assert.notEqual(await sidePlot(), beforePlot, 'the side view did not change');
  step('a slider move changed the figures and the side view');

  // Input-to-redraw latency over 50 moves with two set-ups (current and stock), each move to a
  // value not flown before, so that every one waits for a flight. The moves are made in the page,
  // one after the other's redraw, as a hand on the slider would.
  const measured = await page.evaluate(async () => {
    const wb = window.workbench;
    const range = document.getElementById('r-wl_lift');
    const first = wb.latency.latencies.length, firstView = wb.latency.viewLatencies.length, firstPart = wb.latency.parts.length;
    const flown = [];
    for (let i = 0; i < 50; i++) {
      const n = wb.latency.redraws;
      range.value = String(Math.round(50 + i * 17) / 100);
      range.dispatchEvent(new Event('input', { bubbles: true }));
      while (wb.latency.redraws <= n || wb.queue.busy) await new Promise(requestAnimationFrame);
      flown.push(wb.queue.flownLast);
    }
    const { latencies, viewLatencies, parts } = wb.latency;
    return { latencies: latencies.slice(first), viewLatencies: viewLatencies.slice(firstView), parts: parts.slice(firstPart), flown };
  });
  assert.ok(measured.flown.every((n) => n === 1), `a slider move re-flies the current values only: ${measured.flown}`);
  const sorted = (list) => [...list].sort((a, b) => a - b);
  const latencies = sorted(measured.latencies);
  assert.ok(latencies.length >= 50, `only ${latencies.length} moves were measured`);
  const p95 = latencies[Math.ceil(latencies.length * 0.95) - 1];
  const views = sorted(measured.viewLatencies);
  const viewP95 = views[Math.ceil(views.length * 0.95) - 1];
  const median = (key) => sorted(measured.parts.map((p) => p[key]))[measured.parts.length >> 1].toFixed(1);
  step(`input-to-redraw latency over ${latencies.length} moves, two set-ups: p95 ${p95.toFixed(1)} ms, median ${latencies[latencies.length >> 1].toFixed(1)} ms ` +
    `(medians: flight ${median('fly')} ms, drawing ${median('draw')} ms, of which plots ${median('plots')} ms, painting ${median('paint')} ms); ` +
    `the 3D view a frame later: p95 ${viewP95.toFixed(1)} ms, median ${views[views.length >> 1].toFixed(1)} ms (drawing ${median('view')} ms)`);

  // A drag along a slider: each redraw keeps one latency (from the oldest input it shows), and
  // each input is shown by one redraw, never again by a later one.
  const counts = () => page.evaluate(() => {
    const l = window.workbench.latency;
    return { redraws: l.redraws, latencies: l.latencies.length, views: l.viewLatencies.length,
      inputs: window.liftInputs ?? 0, shown: l.parts.reduce((sum, p) => sum + p.inputs, 0) };
  });
  await page.evaluate(() => document.getElementById('r-wl_lift').addEventListener('input', () => { window.liftInputs = (window.liftInputs ?? 0) + 1; }));
  const atStart = await counts();
  const track = await page.locator('#r-wl_lift').boundingBox();
  await page.mouse.move(track.x + 4, track.y + track.height / 2);
  await page.mouse.down();
  await page.mouse.move(track.x + track.width - 4, track.y + track.height / 2, { steps: 60 });
  await page.mouse.up();
  await page.waitForFunction(() => !window.workbench.queue.busy);
  const atEnd = await counts();
  const drag = Object.fromEntries(Object.keys(atStart).map((k) => [k, atEnd[k] - atStart[k]]));
  assert.ok(drag.redraws > 1 && drag.latencies === drag.redraws && drag.views === drag.redraws && drag.shown === drag.inputs,
    `a drag kept ${JSON.stringify(drag)}`);
  step(`a drag of ${drag.inputs} inputs: ${drag.redraws} redraws, ${drag.latencies} latencies kept`);

  // Sliders and boxes step and show at the precision a preset file keeps, and what flies is what
  // the box shows: a typed value is rounded as the plug-in writes it (the float's exact value,
  // ties to even), then kept inside the range as the plug-in keeps a value it reads (a file's
  // 0.000 for wl_speed is read as its lowest, 0.000499).
  const offStep = await page.evaluate(() => [...document.querySelectorAll('#sliders input')].filter((i) => i.step !== '0.001').map((i) => i.id)
    .concat(Object.entries(window.workbench.design.sliders).filter(([, v]) => Number(v.toFixed(3)) !== v).map(([k]) => k)));
  assert.deepEqual(offStep, [], 'sliders off preset precision');
  assert.equal(await page.getAttribute('label[for="r-wl_speed"]', 'title'), 'wl_speed: 0.000499 to 10.000, default 1.000');
  const flownBodies = [];
  const onRequest = (r) => r.url().endsWith('/api/fly') && flownBodies.push(r.postDataJSON());
  page.on('request', onRequest);
  // (0.0355 is held as 0.035500001, 0.0345 as 0.034499999; 0.0625 is a tie.)
  for (const [name, typed, shown] of [['wl_air_density', '0.0355', '0.036'], ['wl_air_density', 'ArrowRight', '0.037'],
    ['wl_drag_x', '0.0345', '0.034'], ['wl_lift', '0.0625', '0.062'], ['wl_speed', '0.000499', '0.000499'], ['wl_speed', '0.0006', '0.001']]) {
    const k = await redraws();
    if (typed === 'ArrowRight') {
      await page.focus(`#r-${name}`);
      await page.keyboard.press(typed);
    } else {
      await page.fill(`#n-${name}`, typed);
      await page.locator(`#n-${name}`).dispatchEvent('change');
    }
    await redrawnAfter(k);
    assert.equal(await page.inputValue(`#n-${name}`), shown, `${name} after ${typed}`);
    assert.equal(Math.fround(flownBodies.at(-1)?.setups[0].sliders[name]), Math.fround(shown), `${name} flown after ${typed}`);
  }
  page.off('request', onRequest);
  step('sliders step, show and fly at preset precision');

  // The pitch and angle-of-attack plots are drawn, and the 3D view's boxes turn with the car:
  // the nose of each box points where the flight's own pitch says.
  for (const id of ['plot-pitch', 'plot-aoa']) assert.equal(await page.locator(`#${id} canvas`).count(), 1, `${id} is not drawn`);
  const worstNose = await page.evaluate(async () => {
    const { orientationAt } = await import('./view3d.js');
    const { Vector3 } = await import('./vendor/three.module.js');
    let worst = 0;
    for (const f of window.workbench.panels.flights) {
      const s = f.samples;
      for (let i = 0; i < s.t.length; i += 7) {
        const nose = new Vector3(1, 0, 0).applyQuaternion(orientationAt(s, i));
        worst = Math.max(worst, Math.abs((Math.asin(nose.y) * 180) / Math.PI - s.pitch[i]));
      }
    }
    return worst;
  });
  assert.ok(worstNose < 0.1, `a box's nose is ${worstNose.toFixed(2)} degrees off the flight's pitch`);

  // The 3D view orbits with a drag and zooms with the wheel.
  const camera = () => page.evaluate(() => window.workbench.panels.view.cameraState());
  const box = await page.locator('#view3d canvas').boundingBox();
  const c0 = await camera();
  await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
  await page.mouse.down();
  await page.mouse.move(box.x + box.width / 2 + 120, box.y + box.height / 2 + 30, { steps: 8 });
  await page.mouse.up();
  const c1 = await camera();
  assert.ok(Math.abs(c1.x - c0.x) > 1 && Math.abs(c1.distance - c0.distance) < 1, 'the drag did not orbit');
  await page.mouse.wheel(0, 300);
  await page.waitForFunction((d) => Math.abs(window.workbench.panels.view.cameraState().distance - d) > 1, c1.distance);
  step('orbited and zoomed the 3D view');

  // The launch grid, then the page as a designer sees it: a base preset, scrubbed to a moment
  // in the flight.
  const n = await redraws();
  await page.selectOption('#preset-picker', 'base:1');
  await redrawnAfter(n);
  await page.click('#grid-run');
  await page.waitForFunction(() => window.workbench.tools.grid, null, { timeout: 120000 });
  // The grid follows the lab's colour rule, as the server hands it out: the cell farthest from
  // stock has the full colour of its side.
  const ruled = await page.evaluate(() => {
    const { tools, design } = window.workbench;
    const extreme = tools.grid.cells.reduce((a, c) => (Math.abs(c.distanceGain) > Math.abs(a.distanceGain) ? c : a));
    const css = design.vocabulary.stockColours[extreme.distanceGain > 0 ? 'above' : 'below'];
    const want = [1, 3, 5].map((i) => parseInt(css.slice(i, i + 2), 16));
    const canvas = document.getElementById('grid');
    const px = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    for (let i = 0; i < px.length; i += 4) if (px[i] === want[0] && px[i + 1] === want[1] && px[i + 2] === want[2]) return true;
    return false;
  });
  assert.ok(ruled, "the grid's farthest cell is not in its side's colour");
  await page.locator('#scrubber').fill('150');
  await page.waitForFunction(() => document.querySelector('#hud').naturalWidth > 0, null, { timeout: 30000 });
  await page.screenshot({ path: join(shots, 'workbench.png'), fullPage: true });
  await page.evaluate(() => window.scrollTo(0, 0));
  await page.screenshot({ path: join(shots, 'overview.png'), clip: { x: 0, y: 0, width: 1500, height: 1300 } });
  step('flew the launch grid, saved screenshots');

  // A short tune (the current flight's own distance) fills the sliders and shows its verdict.
  const distance = await page.evaluate(() => window.workbench.panels.flights[0].figures.distance);
  await page.fill('#target-distance', distance.toFixed(1));
  await page.click('#tune-start');
  await page.waitForFunction(() => /targets/.test(document.querySelector('#tune-message').textContent), null, { timeout: 120000 });
  assert.match(await page.locator('#verdict').innerText(), /distance/);
  await page.locator('.tune-box').screenshot({ path: join(shots, 'tune.png') });
  // A long one is cancelled.
  await page.fill('#target-distance', '×0.3');
  await page.fill('#target-airtime', '9.5');
  await page.click('#tune-start');
  await page.waitForFunction(() => /flights, best error/.test(document.querySelector('#tune-message').textContent), null, { timeout: 60000 });
  await page.click('#tune-cancel');
  await page.waitForFunction(() => /cancelled/.test(document.querySelector('#tune-message').textContent), null, { timeout: 60000 });
  step('tuned once, cancelled a second tune');

  // Saved through the plug-in into the game folder: listed and selectable in a host session.
  await page.fill('#save-name', 'Browser Glide');
  await page.click('#save');
  await page.waitForFunction(() => /saved as/.test(document.querySelector('#save-message').textContent));
  const lift = await page.evaluate(() => window.workbench.design.sliders.wl_lift);
  const session = hostSession(['sim_settings', 'wl_preset "Browser Glide"', 'wl_lift']);
  assert.match(session, /Browser Glide@Browser Glide/);
  const shown = /wl_lift = ([0-9.]+)/.exec(session);
  assert.ok(shown && Number(shown[1]) === lift, `wl_lift after picking the preset (the page flew ${lift}): ${session}`);
  step('saved preset listed and selected in a wingleaf-host session');

  assert.deepEqual(problems, [], 'the page reported errors');
}

let failed = false;
try {
  await main();
} catch (e) {
  failed = true;
  console.error(`workbench: FAILED: ${e.stack || e}`);
  // What the page said last, for the failure's cause.
  const said = await page?.evaluate(() => ['status', 'tune-message', 'save-message'].map((id) => `${id}: ${document.getElementById(id)?.textContent}`)).catch(() => []);
  for (const line of said ?? []) console.error(`workbench: ${line}`);
} finally {
  if (browser) await browser.close();
  if (server && server.exitCode === null) {
    const ended = new Promise((resolve) => server.on('exit', resolve));
    server.kill('SIGINT');
    const code = await ended;
    if (code !== 0) {
      failed = true;
      console.error(`workbench: the server ended with ${code} after Ctrl-C`);
    }
  }
  rmSync(scratch, { recursive: true, force: true });
}
process.exit(failed ? 1 : 0);
