// The page's result panels: the figures table, the plots, the 3D view, the time scrubber with
// the car's state and the plug-in's HUD at the scrubbed moment.
import { postBlob } from './api.js';
import { design, launchNow, setups } from './design.js';
import { $, escapeHtml, fmt } from './page.js';
import { Plots } from './plots.js';
import { View3d } from './view3d.js';

const COLOURS = { current: '#2563eb', stock: '#6b7280', pins: ['#ea580c', '#16a34a', '#9333ea', '#db2777', '#0891b2', '#ca8a04'] };

// What the panels show: the flights drawn (with their colours) and the scrubbed tick.
export const panels = { flights: [], tick: 0, view: null };
let plots;

export function buildPanels() {
  plots = new Plots();
  panels.view = new View3d($('view3d'));
  $('scrubber').addEventListener('input', (e) => {
    panels.tick = Number(e.target.value);
    drawMoment();
  });
}

// The 3D view frames the flights anew at its next drawing (they went elsewhere).
export function reframe() {
  panels.view.framed = false;
}

function colourOf(i) {
  if (i === 0) return COLOURS.current;
  if (i === 1) return COLOURS.stock;
  return COLOURS.pins[(i - 2) % COLOURS.pins.length];
}

// Shows FLIGHTS, flown for SETUPS in their order, in every panel but the 3D view (drawView
// follows, once this is painted: a software renderer paints it slowest). Returns where the
// time went, ms: plots, state table and the whole drawing.
export function showFlights(list, wanted) {
  const t0 = performance.now();
  panels.flights = wanted.map((s, i) => ({ ...list[i], label: s.label, colour: colourOf(i), width: i === 0 ? 2.4 : 1.6, dash: i === 1 ? [5, 4] : undefined }));
  const longest = Math.max(...panels.flights.map((f) => f.samples.t.length)) - 1;
  $('scrubber').max = longest;
  if (panels.tick > longest) panels.tick = longest;
  drawFigures();
  const parts = drawMoment({ viewLater: true });
  return { ...parts, draw: performance.now() - t0 };
}

// Resolves once what was just drawn is painted: the next animation frame is the one that shows
// it, and a message posted from its callback runs after that frame's paint.
export function nextPaint() {
  return new Promise((resolve) => requestAnimationFrame(() => {
    const channel = new MessageChannel();
    channel.port1.onmessage = () => resolve();
    channel.port2.postMessage(null);
  }));
}

const sampleIndices = () => panels.flights.map((f) => Math.min(panels.tick, f.samples.t.length - 1));

function drawFigures() {
  fillRows($('figures').tBodies[0], panels.flights.map((f) => {
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
// 3D view at the scrubbed moment. Returns the time the plots and the state table took, ms.
function drawMoment({ viewLater = false } = {}) {
  const at = sampleIndices();
  const time = panels.tick * design.vocabulary.tickSeconds;
  $('scrub-time').textContent = time.toFixed(3);
  const a = performance.now();
  plots.draw(panels.flights, time, at);
  const b = performance.now();
  drawState(at);
  scheduleHud();
  const parts = { plots: b - a, state: performance.now() - b };
  if (!viewLater) drawView();
  return parts;
}

// Draws the 3D view at the scrubbed moment; returns the time it took, ms.
export function drawView() {
  const a = performance.now();
  const body = design.vocabulary.bodies.find((b) => b.name === design.body);
  panels.view.draw(panels.flights, sampleIndices(), body);
  return performance.now() - a;
}

function drawState(at) {
  const rows = [
    ['height uu', (s, i) => fmt(s.z[i], 1)], ['distance uu', (s, i) => fmt(s.along[i], 1)], ['sideways uu', (s, i) => fmt(s.side[i], 1)],
    ['speed uu/s', (s, i) => fmt(s.speed[i], 1)], ['climb uu/s', (s, i) => fmt(s.vz[i], 1)],
    ['pitch deg', (s, i) => fmt(s.pitch[i], 1)], ['angle of attack deg', (s, i) => fmt(s.aoa[i], 1)],
  ];
  const head = `<th></th>${panels.flights.map((f) => `<th style="color:${f.colour}">${escapeHtml(f.label)}</th>`).join('')}`;
  fillRows($('state').tBodies[0], [head, ...rows.map(([name, value]) => {
    const cells = panels.flights.map((f, k) => {
      const ended = panels.tick >= f.samples.t.length;
      return `<td>${ended ? '<span title="flight ended">·</span>' : value(f.samples, at[k])}</td>`;
    });
    return `<td>${name}</td>${cells.join('')}`;
  })]);
}

// The plug-in's HUD at the scrubbed moment, asked for once the scrubber or the sliders rest.
let hudTimer = 0;
let hudUrl = '';
function scheduleHud() {
  clearTimeout(hudTimer);
  hudTimer = setTimeout(async () => {
    try {
      const blob = await postBlob('api/hud', { launch: launchNow(), setup: setups()[0], tick: panels.tick });
      if (hudUrl) URL.revokeObjectURL(hudUrl);
      hudUrl = URL.createObjectURL(blob);
      $('hud').src = hudUrl;
      $('hud-link').href = hudUrl;
    } catch (e) {
      $('hud').alt = `HUD not drawn: ${e.message}`;
    }
  }, 250);
}
