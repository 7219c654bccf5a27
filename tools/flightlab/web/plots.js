// The flight plots: side and top views and quantities over time, one line per set-up (uPlot).
import uPlot from './vendor/uPlot.esm.js';
import { everyNth } from './sampling.js';

const HEIGHT = 230;

function widthOf(el) {
  return Math.max(300, el.clientWidth || 420);
}

// One plot that keeps its uPlot instance while the set-ups stay the same.
class Plot {
  constructor(el, xLabel, yLabel) {
    this.el = el;
    this.xLabel = xLabel;
    this.yLabel = yLabel;
    this.plot = null;
    this.key = '';
    new ResizeObserver(() => this.plot && this.plot.setSize({ width: widthOf(el), height: HEIGHT })).observe(el);
  }

  // The plotting area's width in pixels, as last laid out.
  width() {
    return this.plot ? Math.max(1, this.plot.bbox.width / (window.devicePixelRatio || 1)) : widthOf(this.el);
  }

  // SERIES: [{label, colour, dash}], DATA: uPlot's aligned table; CURSOR: an x to mark or null.
  draw(series, data, marker) {
    const key = series.map((s) => s.label + s.colour).join('|');
    this.marker = marker;
    if (this.plot && key === this.key) {
      // Drawn now rather than in uPlot's microtask, so that the drawing is timed where it happens.
      this.plot.batch(() => this.plot.setData(data, true));
      return;
    }
    if (this.plot) this.plot.destroy();
    this.el.textContent = '';
    this.key = key;
    this.plot = new uPlot({
      width: widthOf(this.el),
      height: HEIGHT,
      legend: { show: false },
      cursor: { drag: { x: true, y: true }, points: { show: false } },
      scales: { x: { time: false } },
      axes: [
        { label: this.xLabel, size: 36, labelSize: 18 },
        { label: this.yLabel, size: 60, labelSize: 18 },
      ],
      series: [{}, ...series.map((s) => ({
        label: s.label, stroke: s.colour, width: s.width || 1.6, dash: s.dash, spanGaps: true, points: { show: false },
      }))],
      hooks: { draw: [(u) => this.drawMarker(u)] },
    }, data, this.el);
  }

  drawMarker(u) {
    if (this.marker == null) return;
    const x = u.valToPos(this.marker, 'x', true);
    const ctx = u.ctx;
    ctx.save();
    ctx.strokeStyle = 'rgba(29,35,48,.45)';
    ctx.setLineDash([4, 4]);
    ctx.beginPath();
    ctx.moveTo(x, u.bbox.top);
    ctx.lineTo(x, u.bbox.top + u.bbox.height);
    ctx.stroke();
    ctx.restore();
  }
}

// A line needs no more points than its plot has pixels across.
const stepFor = (n, width) => Math.max(1, Math.floor(n / width));

// The flights' (x, y) pairs as one table over the union of x values (lines span the gaps).
function joined(flights, xOf, yOf, width) {
  return uPlot.join(flights.map((f) => {
    const x = xOf(f.samples), y = yOf(f.samples);
    const at = everyNth(x.length, stepFor(x.length, width));
    return [at.map((i) => x[i]), at.map((i) => y[i])];
  }));
}

// Quantities over time: the flights share the tick times, the shorter ones end early.
function overTime(flights, column, width) {
  const longest = flights.reduce((a, f) => (f.samples.t.length > a.samples.t.length ? f : a), flights[0]);
  const t = longest.samples.t;
  const at = everyNth(t.length, stepFor(t.length, width), flights.map((f) => f.samples.t.length - 1));
  const rows = flights.map((f) => {
    const values = f.samples[column];
    return at.map((i) => (i < values.length ? values[i] : null));
  });
  return [at.map((i) => t[i]), ...rows];
}

export class Plots {
  constructor() {
    this.side = new Plot(document.getElementById('plot-side'), 'distance uu', 'height uu');
    this.top = new Plot(document.getElementById('plot-top'), 'distance uu', 'sideways uu');
    this.height = new Plot(document.getElementById('plot-height'), 'time s', 'height uu');
    this.speed = new Plot(document.getElementById('plot-speed'), 'time s', 'speed uu/s');
    this.pitch = new Plot(document.getElementById('plot-pitch'), 'time s', 'pitch deg');
    this.aoa = new Plot(document.getElementById('plot-aoa'), 'time s', 'angle of attack deg');
  }

  // FLIGHTS: [{label, colour, dash, samples}]; TIME: the scrubbed time; AT: index per flight.
  draw(flights, time, at) {
    if (flights.length === 0) return;
    const series = flights.map((f) => ({ label: f.label, colour: f.colour, dash: f.dash, width: f.width }));
    const xAt = at.map((i, k) => flights[k].samples.along[i]);
    this.side.draw(series, joined(flights, (s) => s.along, (s) => s.z, this.side.width()), xAt[0]);
    this.top.draw(series, joined(flights, (s) => s.along, (s) => s.side, this.top.width()), xAt[0]);
    this.height.draw(series, overTime(flights, 'z', this.height.width()), time);
    this.speed.draw(series, overTime(flights, 'speed', this.speed.width()), time);
    this.pitch.draw(series, overTime(flights, 'pitch', this.pitch.width()), time);
    this.aoa.draw(series, overTime(flights, 'aoa', this.aoa.width()), time);
  }
}
