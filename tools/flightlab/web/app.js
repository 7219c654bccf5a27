// The workbench page: sliders, launch and body in; flights, figures, views and tools out. Every
// figure shown comes from the server; the page only draws. This module starts the page; its
// parts are inputs.js (what the designer sets), flights.js (flying it: queue and cache),
// panels.js (drawing the flights) and tools.js (tune, save, grid).
import { getJson } from './api.js';
import { design } from './design.js';
import { latency, queue, requestFlight } from './flights.js';
import { buildLaunch, buildPresetPicker, buildSliders, pickPreset, showSliders } from './inputs.js';
import { $, setStatus } from './page.js';
import { buildPanels, panels } from './panels.js';
import { buildTools, toolResults } from './tools.js';

// What the page holds, for the browser test: the design, the flight queue with its latency
// bookkeeping, the panels and the tools' results.
window.workbench = { design, queue, latency, panels, tools: toolResults, ready: false };

async function start() {
  try {
    design.vocabulary = await getJson('api/vocabulary');
    design.presets = await getJson('api/presets');
  } catch (e) {
    setStatus(`cannot reach the lab: ${e.message}`, true);
    return;
  }
  buildSliders();
  buildLaunch();
  buildPresetPicker();
  buildPanels();
  buildTools();
  $('preset-picker').addEventListener('change', (e) => pickPreset(e.target.value, e.timeStamp));
  $('pin').addEventListener('click', () => {
    design.pins.push({ label: `pin ${design.pins.length + 1}`, sliders: { ...design.sliders } });
    requestFlight();
  });
  $('unpin').addEventListener('click', () => {
    design.pins = [];
    requestFlight();
  });
  // A base preset with the model on is a livelier start than the defaults, which fly as stock.
  const first = design.presets.base.find((p) => p.preset === '1');
  if (first) {
    $('preset-picker').value = 'base:1';
    showSliders(first.sliders);
  }
  window.workbench.ready = true;
  requestFlight();
}

start();
