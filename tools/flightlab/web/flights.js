// Flying what the page shows: one flight request at a time, the newest input superseding those
// still waiting, and a cache of flights already flown so that a move re-flies only the set-ups
// it changes.
import { ApiError, postJson } from './api.js';
import { launchNow, setups } from './design.js';
import { Latency } from './latency.js';
import { drawView, nextPaint, showFlights } from './panels.js';
import { fmt, setStatus } from './page.js';

export const latency = new Latency();

// The queue: BUSY from a request until the page has drawn the newest input; QUEUED while an
// input waits for the flight on its way to land.
export const queue = { busy: false, inFlight: false, queued: false, sent: 0, flownLast: 0 };

// Asks for the page's set-ups to be flown and drawn; STAMP is when the input asking happened.
export function requestFlight(stamp = performance.now()) {
  latency.input(stamp);
  if (queue.inFlight) {
    queue.queued = true;
    return;
  }
  fly();
}

// Flights already flown, by launch and set-up: a slider move re-flies only the set-ups it
// changes (the current values), never stock or the pins. Only the latest few are kept.
const flown = new Map();
const FLOWN_KEPT = 24;
const flightKey = (launch, setup) => JSON.stringify([launch, { ...setup, label: '' }]);

function remember(key, flight) {
  flown.delete(key);
  flown.set(key, flight);
  while (flown.size > FLOWN_KEPT) flown.delete(flown.keys().next().value);
}

// Flies what is missing of the page's set-ups, then draws them all unless a newer input came
// meanwhile (that input's flight follows at once and draws instead).
async function fly() {
  queue.inFlight = queue.busy = true;
  queue.queued = false;
  const batch = latency.take();
  const launch = launchNow();
  const wanted = setups();
  const keys = wanted.map((s) => flightKey(launch, s));
  const found = keys.map((k) => flown.get(k));
  found.forEach((f, i) => f && remember(keys[i], f));
  const missing = wanted.map((_, i) => i).filter((i) => !found[i]);
  try {
    const t0 = performance.now();
    if (missing.length > 0) {
      queue.sent++;
      const answer = await postJson('api/fly', { launch, setups: missing.map((i) => wanted[i]) });
      answer.flights.forEach((f, j) => remember(keys[missing[j]], (found[missing[j]] = f)));
      if (queue.queued) {
        latency.giveBack(batch); // drawing this one would be stale work: the newer flight shows these inputs
        return;
      }
    }
    const t1 = performance.now();
    const parts = showFlights(found, wanted);
    // The redraw counts once the browser has painted it: the frame after this one has begun.
    await nextPaint();
    const drawn = performance.now();
    const view = drawView();
    await nextPaint();
    const ms = latency.shown(batch, drawn, performance.now(), { fly: t1 - t0, ...parts, view, paint: drawn - t1 - parts.draw });
    queue.flownLast = missing.length;
    setStatus(`flew ${missing.length} of ${wanted.length} set-ups · ${fmt(ms, 0)} ms from input to redraw`);
  } catch (e) {
    if (e instanceof ApiError && e.status === 409) {
      latency.giveBack(batch); // overtaken by another page's request: fly again
      queue.queued = true;
    } else {
      setStatus(`flight failed: ${e.message}`, true);
    }
  } finally {
    queue.inFlight = false;
    if (queue.queued) fly();
    else queue.busy = false;
  }
}
