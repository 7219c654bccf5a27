// What the designer has set on the page (slider values, launch, body, pins) and the precision a
// preset file keeps a slider value at: every value the page holds, flies and saves is the value
// the plug-in holds once it is saved and read back, so that what is flown is what is saved.

// The vocabulary and presets the server hands out, and the design built on them. Slider values
// are always as the plug-in holds them read back from a preset file (see sliderValue).
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

// The bounds of a slider's range and number box: slider S's range widened to preset precision,
// so that every step of the inputs is a value a preset file writes (wl_speed's lowest, 0.000499,
// is reached at 0.000 and held as the plug-in holds it, see sliderValue).
export function inputBounds(s) {
  return { lo: Math.floor(Math.fround(s.min) * SCALE) / SCALE, hi: Math.ceil(Math.fround(s.max) * SCALE) / SCALE };
}

// Whether VALUE is one slider S takes: compared as the plug-in compares, in float, so that
// typing a bound as written (0.000499) is inside the range.
export function inSliderRange(s, value) {
  const held = Math.fround(value);
  return Number.isFinite(value) && held >= Math.fround(s.min) && held <= Math.fround(s.max);
}

// VALUE as the plug-in holds it once saved and read back: at preset precision, and kept inside
// slider S's range as the plug-in keeps a value it reads (a file's 0.000 for wl_speed is read
// as its lowest, 0.000499).
export function sliderValue(s, value) {
  const p = presetValue(value);
  if (Math.fround(p) < Math.fround(s.min)) return s.min;
  return Math.fround(p) > Math.fround(s.max) ? s.max : p;
}

// A slider value as a user types it: three decimals, as the preset file writes it, or, for a
// bound with more (wl_speed's 0.000499), the shortest text that reads as its float.
export function valueText(value) {
  if (presetValue(value) === value) return value.toFixed(PRESET_DECIMALS);
  for (let digits = 1; ; digits++) {
    const text = String(Number(value.toPrecision(digits)));
    if (digits >= 9 || Math.fround(Number(text)) === Math.fround(value)) return text;
  }
}

// Slider S's range as a user types it, for tooltips and refusals.
export const rangeText = (s) => `${valueText(s.min)} to ${valueText(s.max)}`;

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
