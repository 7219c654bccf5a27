// The page's timing bookkeeping: when the inputs that ask for a redraw happened and, once the
// redraw showing them is painted, how long that took. The browser test reads it through
// window.workbench.latency.

export class Latency {
  constructor() {
    // Times of the inputs not yet shown by a redraw, oldest first.
    this.waiting = [];
    // One entry per redraw, ms: from the oldest input it shows to the figures, plots and state
    // table painted; to the 3D view painted; where the time went (the flight's request, drawing,
    // painting, the 3D view) and how many inputs it showed.
    this.latencies = [];
    this.viewLatencies = [];
    this.parts = [];
    this.redraws = 0;
  }

  // An input at STAMP (an event's timeStamp, or performance.now()) asks for a redraw.
  input(stamp) {
    this.waiting.push(stamp);
  }

  // The inputs the redraw about to start will show: they wait no longer.
  take() {
    const batch = this.waiting;
    this.waiting = [];
    return batch;
  }

  // BATCH was not shown (its flight was overtaken): its inputs wait again, ahead of newer ones.
  giveBack(batch) {
    this.waiting = batch.concat(this.waiting);
  }

  // The redraw showing BATCH is painted at DRAWN, its 3D view at VIEWDRAWN; PARTS says where the
  // time went. Returns the latency recorded, ms (0 for a redraw no input asked for).
  shown(batch, drawn, viewDrawn, parts) {
    const oldest = batch.length > 0 ? Math.min(...batch) : drawn;
    this.latencies.push(drawn - oldest);
    this.viewLatencies.push(viewDrawn - oldest);
    this.parts.push({ ...parts, inputs: batch.length });
    this.redraws++;
    return drawn - oldest;
  }
}
