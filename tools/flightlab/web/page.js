// Small helpers every part of the workbench page uses: elements by id, the status line, messages
// and number and HTML text.

export const $ = (id) => document.getElementById(id);

export function setStatus(text, error = false) {
  $('status').textContent = text;
  $('status').style.color = error ? '#fca5a5' : '';
}

export function message(el, text, kind = '') {
  el.textContent = text;
  el.className = 'message ' + kind;
}

export const fmt = (v, digits) => (v == null ? '–' : Number(v).toFixed(digits));

export function escapeHtml(text) {
  return String(text).replace(/[&<>"']/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', "'": '&#39;' }[c]));
}
