// What the designer has set on the page (slider values, launch, body, pins) and the precision a
// preset file keeps a slider value at: every value the page holds, flies and saves is one a
// preset file can hold, so that what is flown is what is saved.

// The vocabulary and presets the server hands out, and the design built on them. Slider values
// are always at preset precision (see presetValue).
export const design = {
  vocabulary: null,
  presets: { base: [], user: [] },
  sliders: {},
  launch: {},
  body: 'octane',
  pins: [],
};

// A preset file keeps each slider value with three decimals.
export const PRESET_DECIMALS = 3;
export const PRESET_STEP = 0.001;
const SCALE = 1000;

// VALUE as a preset file keeps it: the plug-in holds a float and writes that float's exact value
// rounded to three decimals, to nearest with ties to even; reading the file back gives the
// float nearest those decimals, which is what the server makes of the number returned here.
export function presetValue(value) {
  const held = Math.fround(value);
  const scaled = Math.abs(held) * SCALE; // exact: 24 bits of the float times 10 of the scale
  let units = Math.floor(scaled);
  const rest = scaled - units;
  if (rest > 0.5 || (rest === 0.5 && units % 2 === 1)) units++;
  return units === 0 ? 0 : (Math.sign(held) * units) / SCALE;
}

// The lowest and highest values at preset precision inside slider S's range (wl_speed's lowest,
// 0.000499, is no value a preset file can keep: its lowest there is 0.001).
export function presetBounds(s) {
  return { lo: Math.ceil(Math.fround(s.min) * SCALE) / SCALE, hi: Math.floor(Math.fround(s.max) * SCALE) / SCALE };
}

// Whether VALUE is one slider S takes: compared as the plug-in compares, in float, so that
// typing a bound as written (0.000499) is inside the range.
export function inSliderRange(s, value) {
  const held = Math.fround(value);
  return Number.isFinite(value) && held >= Math.fround(s.min) && held <= Math.fround(s.max);
}

// VALUE at preset precision, kept inside slider S's range.
export function sliderValue(s, value) {
  const { lo, hi } = presetBounds(s);
  return Math.min(hi, Math.max(lo, presetValue(value)));
}

// A slider value as the preset file writes it.
export const valueText = (value) => Number(value).toFixed(PRESET_DECIMALS);

// Slider S's range and default as the plug-in writes values, for tooltips and refusals.
export function rangeText(s) {
  const { lo, hi } = presetBounds(s);
  return `${valueText(lo)} to ${valueText(hi)}`;
}

// The set-ups a flight flies: the current values, stock, then the pins, all on the chosen body.
export function setups() {
  const list = [
    { label: 'current', model: true, sliders: { ...design.sliders }, body: design.body },
    { label: 'stock', model: false, body: design.body },
  ];
  for (const pin of design.pins) list.push({ label: pin.label, model: true, sliders: pin.sliders, body: design.body });
  return list;
}

// A copy of the launch that later edits do not reach.
export const launchNow = () => ({ ...design.launch, input: { ...design.launch.input } });
