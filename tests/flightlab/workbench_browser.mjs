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
  const redraws = () => page.evaluate(() => window.workbench.redraws);
  const problems = [];
  page.on('pageerror', (e) => problems.push(e.message));
  page.on('console', (m) => m.type() === 'error' && problems.push(m.text()));
  step('browser started');
  await page.goto(address);
  await page.waitForFunction(() => window.workbench?.redraws >= 1, null, { timeout: 30000 });
  assert.equal(await page.locator('#sliders .slider').count(), 14);
  step('page loaded and drawn');
  // WORKBENCH_TIME_LIMIT shortens the flights, so that a sanitizer build keeps the test short.
  if (process.env.WORKBENCH_TIME_LIMIT) {
    const n = await redraws();
    await page.fill('#launch-timeLimit', process.env.WORKBENCH_TIME_LIMIT);
    await page.locator('#launch-timeLimit').dispatchEvent('change');
    await page.waitForFunction((k) => window.workbench.redraws > k && !window.workbench.busy, n);
  }

  // A slider move re-flies: the figures and the side view change.
  const figures = () => page.locator('#figures tbody tr').first().innerText();
  const sidePlot = () => page.evaluate(() => document.querySelector('#plot-side canvas').toDataURL());
  const beforeFigures = await figures(), beforePlot = await sidePlot();
  async function move(value) {
    const n = await redraws();
    await page.locator('#r-wl_lift').fill(String(value));
    await page.waitForFunction((k) => window.workbench.redraws > k && !window.workbench.busy, n);
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
    const first = wb.latencies.length, firstView = wb.viewLatencies.length, firstPart = wb.parts.length;
    const flown = [];
    for (let i = 0; i < 50; i++) {
      const n = wb.redraws;
      range.value = String(Math.round(50 + i * 17) / 100);
      range.dispatchEvent(new Event('input', { bubbles: true }));
      while (wb.redraws <= n || wb.busy) await new Promise(requestAnimationFrame);
      flown.push(wb.flownLast);
    }
    return { latencies: wb.latencies.slice(first), viewLatencies: wb.viewLatencies.slice(firstView), parts: wb.parts.slice(firstPart), flown };
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

  // The pitch and angle-of-attack plots are drawn, and the 3D view's boxes turn with the car:
  // the nose of each box points where the flight's own pitch says.
  for (const id of ['plot-pitch', 'plot-aoa']) assert.equal(await page.locator(`#${id} canvas`).count(), 1, `${id} is not drawn`);
  const worstNose = await page.evaluate(async () => {
    const { orientationAt } = await import('./view3d.js');
    const { Vector3 } = await import('./vendor/three.module.js');
    let worst = 0;
    for (const f of window.workbench.flights) {
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
  const camera = () => page.evaluate(() => window.workbench.view.cameraState());
  const box = await page.locator('#view3d canvas').boundingBox();
  const c0 = await camera();
  await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
  await page.mouse.down();
  await page.mouse.move(box.x + box.width / 2 + 120, box.y + box.height / 2 + 30, { steps: 8 });
  await page.mouse.up();
  const c1 = await camera();
  assert.ok(Math.abs(c1.x - c0.x) > 1 && Math.abs(c1.distance - c0.distance) < 1, 'the drag did not orbit');
  await page.mouse.wheel(0, 300);
  await page.waitForFunction((d) => Math.abs(window.workbench.view.cameraState().distance - d) > 1, c1.distance);
  step('orbited and zoomed the 3D view');

  // The launch grid, then the page as a designer sees it: a base preset, scrubbed to a moment
  // in the flight.
  const n = await redraws();
  await page.selectOption('#preset-picker', 'base:1');
  await page.waitForFunction((k) => window.workbench.redraws > k && !window.workbench.busy, n);
  await page.click('#grid-run');
  await page.waitForFunction(() => window.workbench.grid, null, { timeout: 120000 });
  await page.locator('#scrubber').fill('150');
  await page.waitForFunction(() => document.querySelector('#hud').naturalWidth > 0, null, { timeout: 30000 });
  await page.screenshot({ path: join(shots, 'workbench.png'), fullPage: true });
  await page.evaluate(() => window.scrollTo(0, 0));
  await page.screenshot({ path: join(shots, 'overview.png'), clip: { x: 0, y: 0, width: 1500, height: 1300 } });
  step('flew the launch grid, saved screenshots');

  // A short tune (the current flight's own distance) fills the sliders and shows its verdict.
  const distance = await page.evaluate(() => window.workbench.flights[0].figures.distance);
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
  const lift = await page.evaluate(() => window.workbench.sliders.wl_lift);
  const session = hostSession(['sim_settings', 'wl_preset "Browser Glide"', 'wl_lift']);
  assert.match(session, /Browser Glide@Browser Glide/);
  const shown = /wl_lift = ([0-9.]+)/.exec(session);
  assert.ok(shown && Math.abs(Number(shown[1]) - lift) < 0.0015, `wl_lift after picking the preset: ${session}`);
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
