// The workbench page: sliders, launch and body in; flights, figures, views and tools out. Every
// figure shown comes from the server; the page only draws.
import { ApiError, getJson, postBlob, postJson, streamTune } from './api.js';
import { Plots } from './plots.js';
import { View3d } from './view3d.js';
import { drawGrid } from './grid.js';

const COLOURS = { current: '#2563eb', stock: '#6b7280', pins: ['#ea580c', '#16a34a', '#9333ea', '#db2777', '#0891b2', '#ca8a04'] };
const LAUNCH_FIELDS = [
  ['speed', 'speed uu/s', 10], ['pitch', 'pitch deg', 1], ['height', 'height uu', 10],
  ['heading', 'heading deg', 5], ['boostTime', 'boost s', 0.05], ['timeLimit', 'time limit s', 0.5],
];
// Controller input held through the flight, each from -1 to 1.
const HELD_INPUT = ['pitch', 'yaw', 'roll', 'throttle'];
const TARGETS = [['airtime', 'airtime s'], ['distance', 'distance uu'], ['top', 'top height uu'], ['landing', 'landing speed uu/s']];

const $ = (id) => document.getElementById(id);

// What the page holds; window.workbench exposes it to the browser test.
const state = {
  vocabulary: null,
  presets: { base: [], user: [] },
  sliders: {},
  launch: {},
  body: 'octane',
  pins: [],
  flights: [],
  tick: 0,
  // Per input event shown, ms: to the figures, plots and state painted; to the 3D view painted.
  latencies: [],
  viewLatencies: [],
  // Per redraw, ms: the flight's request, drawing (plots, state table; the 3D view after), then
  // painting.
  parts: [],
  redraws: 0,
  sent: 0,
  busy: false,
};
window.workbench = state;

let plots, view;

function setStatus(text, error = false) {
  $('status').textContent = text;
  $('status').style.color = error ? '#fca5a5' : '';
}

function message(el, text, kind = '') {
  el.textContent = text;
  el.className = 'message ' + kind;
}

const fmt = (v, digits) => (v == null ? '–' : Number(v).toFixed(digits));

// ---- inputs -------------------------------------------------------------------------------

function buildSliders() {
  const box = $('sliders');
  for (const s of state.vocabulary.sliders) {
    state.sliders[s.name] = s.default;
    const row = document.createElement('div');
    row.className = 'slider';
    row.dataset.name = s.name;
    const step = (s.max - s.min) / 1000;
    row.innerHTML = `<label for="r-${s.name}" title="${s.min} to ${s.max}, default ${s.default}">${s.name.replace(/^wl_/, '')}</label>
      <input type="range" id="r-${s.name}" min="${s.min}" max="${s.max}" step="${step}" value="${s.default}">
      <input type="number" id="n-${s.name}" min="${s.min}" max="${s.max}" step="0.001" value="${s.default}" aria-label="${s.name}">`;
    box.append(row);
    const range = row.querySelector('input[type=range]');
    const number = row.querySelector('input[type=number]');
    range.addEventListener('input', (e) => {
      number.value = Number(range.value).toFixed(3);
      setSlider(s.name, Number(range.value), e.timeStamp);
    });
    number.addEventListener('change', (e) => {
      const v = Number(number.value);
      if (!Number.isFinite(v) || v < s.min || v > s.max) {
        number.setCustomValidity(`${s.min} to ${s.max}`);
        number.reportValidity();
        return;
      }
      number.setCustomValidity('');
      range.value = v;
      setSlider(s.name, v, e.timeStamp);
    });
  }
}

function setSlider(name, value, stamp) {
  state.sliders[name] = value;
  markChanged();
  requestFlight(stamp);
}

function showSliders(values) {
  for (const s of state.vocabulary.sliders) {
    if (values[s.name] == null) continue;
    state.sliders[s.name] = values[s.name];
    $(`r-${s.name}`).value = values[s.name];
    $(`n-${s.name}`).value = Number(values[s.name]).toFixed(3);
  }
  markChanged();
}

function markChanged() {
  for (const s of state.vocabulary.sliders)
    document.querySelector(`.slider[data-name="${s.name}"]`).classList.toggle('changed', Math.abs(state.sliders[s.name] - s.default) > 1e-9);
}

function buildLaunch() {
  const box = $('launch');
  state.launch = { ...state.vocabulary.launch };
  for (const [key, label, step] of LAUNCH_FIELDS) {
    const row = document.createElement('label');
    row.className = 'field';
    row.innerHTML = `<span>${label}</span><input type="number" id="launch-${key}" step="${step}" value="${state.launch[key]}">`;
    box.append(row);
    row.querySelector('input').addEventListener('change', (e) => {
      const v = Number(e.target.value);
      if (!Number.isFinite(v)) return;
      state.launch[key] = v;
      if (key === 'heading') view.framed = false; // the flights go elsewhere: look at them anew
      requestFlight(e.timeStamp);
    });
  }
  state.launch.input = { ...state.vocabulary.launch.input };
  for (const axis of HELD_INPUT) {
    const row = document.createElement('label');
    row.className = 'field';
    row.innerHTML = `<span>held ${axis}</span><input type="number" id="input-${axis}" min="-1" max="1" step="0.1" value="0">`;
    box.append(row);
    const input = row.querySelector('input');
    input.addEventListener('change', (e) => {
      const v = Number(input.value);
      if (!Number.isFinite(v) || v < -1 || v > 1) {
        input.setCustomValidity('-1 to 1');
        input.reportValidity();
        return;
      }
      input.setCustomValidity('');
      state.launch.input = { ...state.launch.input, [axis]: v };
      requestFlight(e.timeStamp);
    });
  }
  const body = $('body');
  for (const b of state.vocabulary.bodies) body.add(new Option(b.name, b.name));
  body.addEventListener('change', (e) => {
    state.body = body.value;
    requestFlight(e.timeStamp);
  });
}

function buildPresetPicker() {
  const picker = $('preset-picker');
  picker.textContent = '';
  picker.add(new Option('— pick a preset —', ''));
  const group = (label, list, kind) => {
    if (list.length === 0) return;
    const g = document.createElement('optgroup');
    g.label = label;
    for (const p of list) g.append(new Option(kind === 'base' ? `${p.preset} ${p.label}`.trim() : p.label, `${kind}:${p.preset}`));
    picker.append(g);
  };
  group('Base presets', state.presets.base, 'base');
  group(state.vocabulary.game ? 'User presets of the game folder' : 'User presets (start with --game)', state.presets.user, 'user');
}

function pickPreset(value, stamp) {
  const [kind, name] = [value.slice(0, value.indexOf(':')), value.slice(value.indexOf(':') + 1)];
  const p = state.presets[kind]?.find((x) => x.preset === name);
  if (!p) return;
  showSliders(p.sliders);
  requestFlight(stamp);
}

// ---- flying -------------------------------------------------------------------------------

function setups() {
  const list = [
    { label: 'current', model: true, sliders: { ...state.sliders }, body: state.body },
    { label: 'stock', model: false, body: state.body },
  ];
  for (const pin of state.pins) list.push({ label: pin.label, model: true, sliders: pin.sliders, body: state.body });
  return list;
}

// Input events not yet shown, with their times; newer requests supersede older ones.
let waiting = [];
let inFlight = false;
let queued = false;

function requestFlight(stamp = performance.now()) {
  waiting.push(stamp);
  if (inFlight) {
    queued = true;
    return;
  }
  fly();
}

// Flights already flown, by launch and set-up: a slider move re-flies only the set-ups it
// changes (the current values), never stock or the pins. Only the latest few are kept.
const flown = new Map();
const FLOWN_KEPT = 24;
const flightKey = (launch, setup) => JSON.stringify([launch, { ...setup, label: '' }]);

function remember(key, flight) {
  flown.delete(key);
  flown.set(key, flight);
  while (flown.size > FLOWN_KEPT) flown.delete(flown.keys().next().value);
}

async function fly() {
  inFlight = state.busy = true;
  queued = false;
  const covered = waiting;
  waiting = [];
  const launch = { ...state.launch, input: { ...state.launch.input } };
  const wanted = setups();
  const keys = wanted.map((s) => flightKey(launch, s));
  const found = keys.map((k) => flown.get(k));
  found.forEach((f, i) => f && remember(keys[i], f));
  const missing = wanted.map((_, i) => i).filter((i) => !found[i]);
  try {
    const t0 = performance.now();
    if (missing.length > 0) {
      state.sent++;
      const answer = await postJson('api/fly', { launch, setups: missing.map((i) => wanted[i]) });
      answer.flights.forEach((f, j) => remember(keys[missing[j]], (found[missing[j]] = f)));
      if (queued) return; // a newer request is about to fly: drawing this one would be stale work
    }
    const t1 = performance.now();
    state.flights = wanted.map((s, i) => ({ ...found[i], label: s.label, colour: colourOf(i), width: i === 0 ? 2.4 : 1.6, dash: i === 1 ? [5, 4] : undefined }));
    // The figures, plots and state table come first; the 3D view, which a software renderer (a
    // machine without a GPU) paints slowest, follows in the next frame.
    redraw({ viewLater: true });
    const drawnParts = { ...drawParts, draw: performance.now() - t1 };
    // The redraw counts once the browser has painted it: the frame after this one has begun.
    await nextPaint();
    const drawn = performance.now();
    drawView();
    await nextPaint();
    const viewDrawn = performance.now();
    drawnParts.view = drawParts.view;
    state.parts.push({ fly: t1 - t0, ...drawnParts, paint: drawn - t1 - drawnParts.draw });
    for (const stamp of covered) {
      state.latencies.push(drawn - stamp);
      state.viewLatencies.push(viewDrawn - stamp);
    }
    state.redraws++;
    state.flownLast = missing.length;
    setStatus(`flew ${missing.length} of ${wanted.length} set-ups · ${fmt(drawn - covered[covered.length - 1], 0)} ms from input to redraw`);
  } catch (e) {
    if (e instanceof ApiError && e.status === 409) {
      waiting = covered.concat(waiting);
      queued = true;
    } else {
      setStatus(`flight failed: ${e.message}`, true);
    }
  } finally {
    inFlight = false;
    if (queued) {
      waiting = covered.concat(waiting).filter((v, i, a) => a.indexOf(v) === i);
      fly();
    } else {
      state.busy = false;
    }
  }
}

function colourOf(i) {
  if (i === 0) return COLOURS.current;
  if (i === 1) return COLOURS.stock;
  return COLOURS.pins[(i - 2) % COLOURS.pins.length];
}

// ---- drawing ------------------------------------------------------------------------------

// Where the last redraw's time went, in ms: plots, 3D view, state table.
let drawParts = {};

// Resolves once what was just drawn is painted: the next animation frame is the one that shows
// it, and a message posted from its callback runs after that frame's paint.
function nextPaint() {
  return new Promise((resolve) => requestAnimationFrame(() => {
    const channel = new MessageChannel();
    channel.port1.onmessage = () => resolve();
    channel.port2.postMessage(null);
  }));
}

function sampleIndices() {
  return state.flights.map((f) => Math.min(state.tick, f.samples.t.length - 1));
}

function redraw({ viewLater = false } = {}) {
  const longest = Math.max(...state.flights.map((f) => f.samples.t.length)) - 1;
  const scrubber = $('scrubber');
  scrubber.max = longest;
  if (state.tick > longest) state.tick = longest;
  drawFigures();
  drawMoment({ viewLater });
}

function drawFigures() {
  fillRows($('figures').tBodies[0], state.flights.map((f) => {
    const g = f.figures;
    return `<td><span class="swatch" style="background:${f.colour}"></span></td><td>${escapeHtml(f.label)}</td>
      <td>${fmt(g.airtime, 3)}${g.landed ? '' : '+'}</td><td>${fmt(g.distance, 1)}</td><td>${fmt(g.top, 1)}</td><td>${fmt(g.landingSpeed, 1)}</td>`;
  }));
}

// Sets the rows of BODY to the cells in ROWS (one HTML text per row), touching only the rows
// that changed: a slider move changes the current flight's row, not stock's or the pins'.
function fillRows(body, rows) {
  while (body.rows.length > rows.length) body.deleteRow(-1);
  rows.forEach((html, i) => {
    const row = body.rows[i] ?? body.insertRow();
    if (row.dataset.html !== html) {
      row.innerHTML = html;
      row.dataset.html = html;
    }
  });
}

// Draws the plots, the state table and, unless VIEWLATER (the caller then calls drawView), the
// 3D view at the scrubbed moment.
function drawMoment({ viewLater = false } = {}) {
  const at = sampleIndices();
  const time = state.tick * state.vocabulary.tickSeconds;
  $('scrub-time').textContent = time.toFixed(3);
  const a = performance.now();
  plots.draw(state.flights, time, at);
  const b = performance.now();
  drawState(at);
  scheduleHud();
  drawParts = { plots: b - a, state: performance.now() - b, view: 0 };
  if (!viewLater) drawView();
}

function drawView() {
  const a = performance.now();
  const body = state.vocabulary.bodies.find((b) => b.name === state.body);
  view.draw(state.flights, sampleIndices(), body);
  drawParts.view = performance.now() - a;
}

function drawState(at) {
  const rows = [
    ['height uu', (s, i) => fmt(s.z[i], 1)], ['distance uu', (s, i) => fmt(s.along[i], 1)], ['sideways uu', (s, i) => fmt(s.side[i], 1)],
    ['speed uu/s', (s, i) => fmt(s.speed[i], 1)], ['climb uu/s', (s, i) => fmt(s.vz[i], 1)],
    ['pitch deg', (s, i) => fmt(s.pitch[i], 1)], ['angle of attack deg', (s, i) => fmt(s.aoa[i], 1)],
  ];
  const head = `<th></th>${state.flights.map((f) => `<th style="color:${f.colour}">${escapeHtml(f.label)}</th>`).join('')}`;
  fillRows($('state').tBodies[0], [head, ...rows.map(([name, value]) => {
    const cells = state.flights.map((f, k) => {
      const ended = state.tick >= f.samples.t.length;
      return `<td>${ended ? '<span title="flight ended">·</span>' : value(f.samples, at[k])}</td>`;
    });
    return `<td>${name}</td>${cells.join('')}`;
  })]);
}

let hudTimer = 0;
let hudUrl = '';
function scheduleHud() {
  clearTimeout(hudTimer);
  hudTimer = setTimeout(async () => {
    try {
      const blob = await postBlob('api/hud', { launch: state.launch, setup: setups()[0], tick: state.tick });
      if (hudUrl) URL.revokeObjectURL(hudUrl);
      hudUrl = URL.createObjectURL(blob);
      $('hud').src = hudUrl;
      $('hud-link').href = hudUrl;
    } catch (e) {
      $('hud').alt = `HUD not drawn: ${e.message}`;
    }
  }, 250);
}

function escapeHtml(text) {
  return String(text).replace(/[&<>"']/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', "'": '&#39;' }[c]));
}

// ---- tools --------------------------------------------------------------------------------

function buildTargets() {
  const box = $('targets');
  for (const [key, label] of TARGETS) {
    const row = document.createElement('label');
    row.className = 'target';
    row.innerHTML = `<span>${label}</span><input id="target-${key}" placeholder="e.g. ${key === 'airtime' ? '6 or ×1.5' : '×1.2'}">`;
    box.append(row);
  }
}

// A target as typed: "6.2" is absolute, "×1.5" or "x1.5" is a factor of stock's figure.
function targetOf(text) {
  const t = text.trim();
  if (!t) return undefined;
  const m = /^[×xX*]\s*([0-9.eE+-]+)$/.exec(t);
  const n = Number(m ? m[1] : t);
  if (!Number.isFinite(n)) throw new Error(`'${t}' is not a number or ×FACTOR`);
  return m ? { relative: n } : n;
}

async function runTune() {
  const msg = $('tune-message');
  const targets = {};
  try {
    for (const [key] of TARGETS) {
      const v = targetOf($(`target-${key}`).value);
      if (v !== undefined) targets[key] = v;
    }
  } catch (e) {
    message(msg, e.message, 'error');
    return;
  }
  $('tune-start').disabled = true;
  $('tune-cancel').disabled = false;
  $('verdict').tBodies[0].textContent = '';
  message(msg, 'tuning…');
  const progress = $('tune-progress');
  progress.value = 0;
  try {
    await streamTune({ launch: state.launch, body: state.body, targets, start: { ...state.sliders } }, (event) => {
      if (event.type === 'progress') {
        progress.value = event.done / event.budget;
        message(msg, `${event.done} flights, best error ${(event.bestError * 100).toFixed(2)} %`);
      } else if (event.type === 'cancelled') {
        message(msg, `cancelled after ${event.evaluations} flights; the sliders are unchanged`);
      } else if (event.type === 'error') {
        message(msg, event.error, 'error');
      } else if (event.type === 'result') {
        progress.value = 1;
        showSliders(event.sliders);
        showVerdict(event);
        message(msg, `${event.met ? 'targets met' : 'targets not all met'} after ${event.evaluations} flights`, event.met ? 'ok' : 'error');
        requestFlight();
      }
    });
  } catch (e) {
    message(msg, e.message, 'error');
  } finally {
    $('tune-start').disabled = false;
    $('tune-cancel').disabled = true;
  }
}

// A signed share in per cent to two places; a miss that rounds to nothing shows no sign.
function percent(share) {
  const text = (share * 100).toFixed(2);
  return Number(text) === 0 ? '0.00' : text;
}

function showVerdict(result) {
  const body = $('verdict').tBodies[0];
  body.innerHTML = '<tr><th>figure</th><th>target</th><th>tuned</th><th>miss</th><th></th></tr>';
  for (const v of result.verdict) {
    body.insertAdjacentHTML('beforeend', `<tr><td>${v.figure}</td><td>${fmt(v.target, 2)}</td><td>${fmt(v.got, 2)}</td>
      <td>${percent(v.miss)} %</td><td class="${v.met ? 'met' : 'missed'}">${v.met ? 'met' : 'missed'}</td></tr>`);
  }
}

async function save() {
  const msg = $('save-message');
  const name = $('save-name').value.trim();
  try {
    const answer = await postJson('api/save', { name, sliders: state.sliders, overwrite: $('save-overwrite').checked });
    message(msg, `saved as '${answer.saved}' (${answer.file})`, 'ok');
    $('save-overwrite').checked = false;
    state.presets = await getJson('api/presets');
    buildPresetPicker();
    $('preset-picker').value = `user:${answer.saved}`;
  } catch (e) {
    message(msg, e.message, 'error');
  }
}

async function download() {
  const msg = $('save-message');
  try {
    const blob = await postBlob('api/preset-file', { sliders: state.sliders });
    const a = document.createElement('a');
    a.href = URL.createObjectURL(blob);
    a.download = `${$('save-name').value.trim() || 'preset'}.txt`;
    a.click();
    setTimeout(() => URL.revokeObjectURL(a.href), 1000);
  } catch (e) {
    message(msg, e.message, 'error');
  }
}

async function loadDropped(file) {
  const msg = $('save-message');
  if (file.size > 16 * 1024) {
    message(msg, `${file.name} is larger than a preset file can be (16 KiB)`, 'error');
    return;
  }
  try {
    const answer = await postJson('api/preset-text', { text: await file.text() });
    showSliders(answer.sliders);
    $('preset-picker').value = '';
    message(msg, `loaded ${file.name}`, 'ok');
    requestFlight();
  } catch (e) {
    message(msg, `${file.name}: ${e.message}`, 'error');
  }
}

async function runGrid() {
  const button = $('grid-run');
  button.disabled = true;
  try {
    const grid = await postJson('api/grid', { launch: state.launch, setup: setups()[0] });
    drawGrid($('grid'), grid);
    state.grid = grid;
  } catch (e) {
    setStatus(`grid failed: ${e.message}`, true);
  } finally {
    button.disabled = false;
  }
}

// ---- start --------------------------------------------------------------------------------

async function start() {
  try {
    state.vocabulary = await getJson('api/vocabulary');
    state.presets = await getJson('api/presets');
  } catch (e) {
    setStatus(`cannot reach the lab: ${e.message}`, true);
    return;
  }
  buildSliders();
  buildLaunch();
  buildPresetPicker();
  buildTargets();
  plots = new Plots();
  view = new View3d($('view3d'));
  state.view = view;
  if (!state.vocabulary.game) {
    $('save').disabled = true;
    $('save').title = 'start the workbench with --game DIR to save presets';
  }
  $('preset-picker').addEventListener('change', (e) => pickPreset(e.target.value, e.timeStamp));
  $('scrubber').addEventListener('input', (e) => {
    state.tick = Number(e.target.value);
    drawMoment();
  });
  $('pin').addEventListener('click', () => {
    state.pins.push({ label: `pin ${state.pins.length + 1}`, sliders: { ...state.sliders } });
    requestFlight();
  });
  $('unpin').addEventListener('click', () => {
    state.pins = [];
    requestFlight();
  });
  $('tune-start').addEventListener('click', runTune);
  $('tune-cancel').addEventListener('click', () => postJson('api/tune/cancel', {}).catch(() => {}));
  $('save').addEventListener('click', save);
  $('download').addEventListener('click', download);
  $('grid-run').addEventListener('click', runGrid);
  let depth = 0;
  document.addEventListener('dragenter', (e) => { e.preventDefault(); depth++; document.body.classList.add('dragging'); });
  document.addEventListener('dragleave', () => { if (--depth <= 0) { depth = 0; document.body.classList.remove('dragging'); } });
  document.addEventListener('dragover', (e) => e.preventDefault());
  document.addEventListener('drop', (e) => {
    e.preventDefault();
    depth = 0;
    document.body.classList.remove('dragging');
    const file = e.dataTransfer.files[0];
    if (file) loadDropped(file);
  });
  // A base preset with the model on is a livelier start than the defaults, which fly as stock.
  const first = state.presets.base.find((p) => p.preset === '1');
  if (first) {
    $('preset-picker').value = 'base:1';
    showSliders(first.sliders);
  }
  state.ready = true;
  requestFlight();
}

start();
