// The launch grid as a heat map: one cell per launch speed and pitch, coloured by the lab's one
// rule for a figure against stock's (the server's vocabulary hands out its colours, the same
// as the lab's pictures use): how much farther (above stock) or shorter (below) the current
// values carry the car than stock, white where they carry it as far.

const rgbOf = (css) => [1, 3, 5].map((i) => parseInt(css.slice(i, i + 2), 16));

// The colour of VALUE on a scale from -SCALE (COLOURS.below) through white to +SCALE (above).
function colourOf(value, scale, colours) {
  const t = Math.max(-1, Math.min(1, value / scale));
  const end = rgbOf(t < 0 ? colours.below : colours.above);
  return end.map((c) => Math.round(255 + (c - 255) * Math.abs(t)));
}

// The rule in words beside the map, with its two colours.
export function gridLegend(el, colours) {
  const swatch = (css) => `<span class="swatch" style="background:${css}"></span>`;
  el.innerHTML = `${swatch(colours.above)} farther than stock ${swatch(colours.below)} shorter than stock`;
}

export function drawGrid(canvas, grid, colours) {
  const ctx = canvas.getContext('2d');
  const W = canvas.width, H = canvas.height;
  const left = 64, bottom = 40, top = 10, right = 10;
  const cols = grid.speeds.length, rows = grid.pitches.length;
  const cw = (W - left - right) / cols, ch = (H - top - bottom) / rows;
  const scale = Math.max(1, ...grid.cells.map((c) => Math.abs(c.distanceGain)));
  ctx.clearRect(0, 0, W, H);
  ctx.font = '11px system-ui, sans-serif';
  ctx.textAlign = 'center';
  ctx.textBaseline = 'middle';
  grid.cells.forEach((c, k) => {
    const i = k % cols, j = Math.floor(k / cols);
    const x = left + i * cw, y = top + (rows - 1 - j) * ch;
    const [r, g, b] = colourOf(c.distanceGain, scale, colours);
    ctx.fillStyle = `rgb(${r},${g},${b})`;
    ctx.fillRect(x, y, cw - 1, ch - 1);
    // Light text on a dark cell, as the lab's pictures write it.
    ctx.fillStyle = 0.3 * r + 0.59 * g + 0.11 * b < 0.5 * 255 ? '#fff' : '#1d2330';
    ctx.fillText(`${c.distanceGain >= 0 ? '+' : ''}${Math.round(c.distanceGain)}`, x + cw / 2, y + ch / 2);
  });
  ctx.fillStyle = '#687086';
  grid.speeds.forEach((s, i) => ctx.fillText(Math.round(s), left + (i + 0.5) * cw, H - bottom + 12));
  ctx.fillText('launch speed uu/s', left + (W - left - right) / 2, H - 10);
  ctx.textAlign = 'right';
  grid.pitches.forEach((p, j) => ctx.fillText(`${Math.round(p)}°`, left - 6, top + (rows - 1 - j + 0.5) * ch));
  ctx.save();
  ctx.translate(14, top + (H - top - bottom) / 2);
  ctx.rotate(-Math.PI / 2);
  ctx.textAlign = 'center';
  ctx.fillText('pitch', 0, 0);
  ctx.restore();
}
