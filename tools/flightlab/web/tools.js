// The page's tools: the tuner, saving, downloading and dropping preset files, and the launch grid.
import { getJson, postBlob, postJson, streamTune } from './api.js';
import { design, launchNow, setups } from './design.js';
import { requestFlight } from './flights.js';
import { drawGrid, gridLegend } from './grid.js';
import { buildPresetPicker, showSliders } from './inputs.js';
import { $, fmt, message, setStatus } from './page.js';

const TARGETS = [['airtime', 'airtime s'], ['distance', 'distance uu'], ['top', 'top height uu'], ['landing', 'landing speed uu/s']];

// What the tools last produced: the launch grid, once flown.
export const toolResults = { grid: null };

export function buildTools() {
  const box = $('targets');
  for (const [key, label] of TARGETS) {
    const row = document.createElement('label');
    row.className = 'target';
    row.innerHTML = `<span>${label}</span><input id="target-${key}" placeholder="e.g. ${key === 'airtime' ? '6 or ×1.5' : '×1.2'}">`;
    box.append(row);
  }
  if (!design.vocabulary.game) {
    $('save').disabled = true;
    $('save').title = 'start the workbench with --game DIR to save presets';
  }
  gridLegend($('grid-legend'), design.vocabulary.stockColours);
  $('tune-start').addEventListener('click', runTune);
  $('tune-cancel').addEventListener('click', () => postJson('api/tune/cancel', {}).catch(() => {}));
  $('save').addEventListener('click', save);
  $('download').addEventListener('click', download);
  $('grid-run').addEventListener('click', runGrid);
  acceptDroppedFiles();
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
    await streamTune({ launch: launchNow(), body: design.body, targets, start: { ...design.sliders } }, (event) => {
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
    const answer = await postJson('api/save', { name, sliders: design.sliders, overwrite: $('save-overwrite').checked });
    message(msg, `saved as '${answer.saved}' (${answer.file})`, 'ok');
    $('save-overwrite').checked = false;
    design.presets = await getJson('api/presets');
    buildPresetPicker();
    $('preset-picker').value = `user:${answer.saved}`;
  } catch (e) {
    message(msg, e.message, 'error');
  }
}

async function download() {
  const msg = $('save-message');
  try {
    const blob = await postBlob('api/preset-file', { sliders: design.sliders });
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

// A preset file dropped anywhere on the page is loaded; the page shows where to drop it.
function acceptDroppedFiles() {
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
}

async function runGrid() {
  const button = $('grid-run');
  button.disabled = true;
  try {
    const grid = await postJson('api/grid', { launch: launchNow(), setup: setups()[0] });
    drawGrid($('grid'), grid, design.vocabulary.stockColours);
    toolResults.grid = grid;
  } catch (e) {
    setStatus(`grid failed: ${e.message}`, true);
  } finally {
    button.disabled = false;
  }
}
