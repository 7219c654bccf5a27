// Which of a flight's samples a picture draws: a flight's samples are a tick apart, far closer
// than a picture needs, so a line through every STEP-th of them looks the same.

// The indices 0, STEP, 2 STEP, ... below N, with each index in ENDS (by default the last, a
// flight's touchdown) always kept, in ascending order.
export function everyNth(n, step, ends = [n - 1]) {
  const at = new Set();
  for (let i = 0; i < n; i += step) at.add(i);
  for (const end of ends) if (end >= 0) at.add(end);
  return [...at].sort((a, b) => a - b);
}
