// The launch grid as a heat map: one cell per launch speed and pitch, coloured by how much
// farther (blue) or shorter (red) the current values carry the car than stock.

function colourOf(value, scale) {
  const t = Math.max(-1, Math.min(1, value / scale));
  const [r, g, b] = t >= 0 ? [255 - 218 * t, 255 - 156 * t, 255 - 20 * t] : [255 + 75 * t, 255 + 200 * t, 255 + 200 * t];
  return `rgb(${r | 0},${g | 0},${b | 0})`;
}

export function drawGrid(canvas, grid) {
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
    ctx.fillStyle = colourOf(c.distanceGain, scale);
    ctx.fillRect(x, y, cw - 1, ch - 1);
    ctx.fillStyle = Math.abs(c.distanceGain) / scale > 0.6 ? '#fff' : '#1d2330';
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
