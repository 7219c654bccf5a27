// The page's inputs: the sliders with their number boxes, the launch, the held controller input,
// the body and the preset picker. Each change re-flies through requestFlight.
import { design, inputBounds, inSliderRange, PRESET_STEP, rangeText, sliderValue, valueText } from './design.js';
import { requestFlight } from './flights.js';
import { $ } from './page.js';
import { reframe } from './panels.js';

const LAUNCH_FIELDS = [
  ['speed', 'speed uu/s', 10], ['pitch', 'pitch deg', 1], ['height', 'height uu', 10],
  ['heading', 'heading deg', 5], ['boostTime', 'boost s', 0.05], ['timeLimit', 'time limit s', 0.5],
];
// Controller input held through the flight, each from -1 to 1.
const HELD_INPUT = ['pitch', 'yaw', 'roll', 'throttle'];

// One row per slider: a range and a number box, both stepping at preset precision.
export function buildSliders() {
  const box = $('sliders');
  for (const s of design.vocabulary.sliders) {
    const start = sliderValue(s, s.default);
    design.sliders[s.name] = start;
    const { lo, hi } = inputBounds(s);
    const row = document.createElement('div');
    row.className = 'slider';
    row.dataset.name = s.name;
    row.innerHTML = `<label for="r-${s.name}" title="${s.name}: ${rangeText(s)}, default ${valueText(start)}">${s.name.replace(/^wl_/, '')}</label>
      <input type="range" id="r-${s.name}" min="${lo}" max="${hi}" step="${PRESET_STEP}" value="${start}">
      <input type="number" id="n-${s.name}" min="${lo}" max="${hi}" step="${PRESET_STEP}" value="${valueText(start)}" aria-label="${s.name}">`;
    box.append(row);
    const range = row.querySelector('input[type=range]');
    const number = row.querySelector('input[type=number]');
    range.addEventListener('input', (e) => setSlider(s, Number(range.value), e.timeStamp));
    number.addEventListener('change', (e) => {
      const v = Number(number.value);
      if (number.value.trim() === '' || !inSliderRange(s, v)) {
        number.setCustomValidity(rangeText(s));
        number.reportValidity();
        return;
      }
      number.setCustomValidity('');
      setSlider(s, v, e.timeStamp);
    });
  }
}

// Slider S set to VALUE, at preset precision: shown in both inputs, flown.
function setSlider(s, value, stamp) {
  showSlider(s, value);
  markChanged();
  requestFlight(stamp);
}

function showSlider(s, value) {
  const v = sliderValue(s, value);
  design.sliders[s.name] = v;
  $(`r-${s.name}`).value = v;
  $(`n-${s.name}`).value = valueText(v);
}

// Shows VALUES (by slider name; absent ones stay) at preset precision.
export function showSliders(values) {
  for (const s of design.vocabulary.sliders) if (values[s.name] != null) showSlider(s, values[s.name]);
  markChanged();
}

function markChanged() {
  for (const s of design.vocabulary.sliders)
    document.querySelector(`.slider[data-name="${s.name}"]`).classList.toggle('changed', design.sliders[s.name] !== sliderValue(s, s.default));
}

// A labelled number field added to BOX; returns its input.
function field(box, id, label, attributes) {
  const row = document.createElement('label');
  row.className = 'field';
  row.innerHTML = `<span>${label}</span><input type="number" id="${id}" ${attributes}>`;
  box.append(row);
  return row.querySelector('input');
}

export function buildLaunch() {
  const box = $('launch');
  design.launch = { ...design.vocabulary.launch };
  for (const [key, label, step] of LAUNCH_FIELDS) {
    field(box, `launch-${key}`, label, `step="${step}" value="${design.launch[key]}"`).addEventListener('change', (e) => {
      const v = Number(e.target.value);
      if (!Number.isFinite(v)) return;
      design.launch[key] = v;
      if (key === 'heading') reframe(); // the flights go elsewhere: look at them anew
      requestFlight(e.timeStamp);
    });
  }
  design.launch.input = { ...design.vocabulary.launch.input };
  for (const axis of HELD_INPUT) {
    const input = field(box, `input-${axis}`, `held ${axis}`, 'min="-1" max="1" step="0.1" value="0"');
    input.addEventListener('change', (e) => {
      const v = Number(input.value);
      if (!Number.isFinite(v) || v < -1 || v > 1) {
        input.setCustomValidity('-1 to 1');
        input.reportValidity();
        return;
      }
      input.setCustomValidity('');
      design.launch.input = { ...design.launch.input, [axis]: v };
      requestFlight(e.timeStamp);
    });
  }
  const body = $('body');
  for (const b of design.vocabulary.bodies) body.add(new Option(b.name, b.name));
  body.addEventListener('change', (e) => {
    design.body = body.value;
    requestFlight(e.timeStamp);
  });
}

export function buildPresetPicker() {
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
  group('Base presets', design.presets.base, 'base');
  group(design.vocabulary.game ? 'User presets of the game folder' : 'User presets (start with --game)', design.presets.user, 'user');
}

// The preset picked (VALUE is KIND:NAME) fills the sliders and flies.
export function pickPreset(value, stamp) {
  const at = value.indexOf(':');
  const p = design.presets[value.slice(0, at)]?.find((x) => x.preset === value.slice(at + 1));
  if (!p) return;
  showSliders(p.sliders);
  requestFlight(stamp);
}
