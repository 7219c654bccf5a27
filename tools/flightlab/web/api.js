// The workbench server's JSON API.

// An error the server answered with: its message and the field at fault, if any.
export class ApiError extends Error {
  constructor(status, message, field) {
    super(message);
    this.status = status;
    this.field = field;
  }
}

async function failure(response) {
  let body = {};
  try { body = await response.json(); } catch { /* not JSON: keep the status */ }
  return new ApiError(response.status, body.error || `the server answered ${response.status}`, body.field);
}

export async function getJson(path) {
  const response = await fetch(path);
  if (!response.ok) throw await failure(response);
  return response.json();
}

// This page's own id: a newer fly request supersedes only this page's older ones.
const pageId = Array.from(crypto.getRandomValues(new Uint8Array(12)), (b) => b.toString(16).padStart(2, '0')).join('');

async function post(path, body, init = {}) {
  const response = await fetch(path, {
    method: 'POST',
    headers: { 'Content-Type': 'application/json', 'X-Workbench-Page': pageId },
    body: JSON.stringify(body),
    ...init,
  });
  if (!response.ok) throw await failure(response);
  return response;
}

export const postJson = async (path, body) => (await post(path, body)).json();
export const postBlob = async (path, body) => (await post(path, body)).blob();

// Runs a tune; calls onEvent with each line the server streams (progress, then the result).
export async function streamTune(body, onEvent) {
  const response = await post('api/tune', body);
  const reader = response.body.getReader();
  const decoder = new TextDecoder();
  let buffered = '';
  for (;;) {
    const { value, done } = await reader.read();
    if (done) break;
    buffered += decoder.decode(value, { stream: true });
    let end;
    while ((end = buffered.indexOf('\n')) >= 0) {
      const line = buffered.slice(0, end);
      buffered = buffered.slice(end + 1);
      if (line.trim()) onEvent(JSON.parse(line));
    }
  }
}
