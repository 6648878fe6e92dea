// The server's status, from its metrics, once a second on the event stream.
import { get } from '../api.js';
import { el, utc } from '../dom.js';

let listener = null;
let events = null;

function megabytes(bytes) {
  return `${(bytes / (1 << 20)).toFixed(1)} MiB`;
}

function milliseconds(seconds) {
  return seconds === null ? '—' : `≤ ${(seconds * 1000).toFixed(1)} ms`;
}

function draw(place, status) {
  const figures = [
    ['Players logged in', String(status.loggedIn)],
    ['Connections not logged in', String(status.notLoggedIn)],
    ['Chambers open', String(status.watchers)],
    ['Requests a second', String(status.requestsPerSecond)],
    ['Votes a second', String(status.votesPerSecond)],
    ['Commit time, 99th percentile', milliseconds(status.commitP99)],
    ['Store size', megabytes(status.storeBytes)],
    ['Last commit', status.lastCommitAgo === null ? 'none yet' : `${status.lastCommitAgo.toFixed(1)} s ago`],
    ['Server clock', utc(status.serverClock)],
    ['Console sessions', String(status.sessions)],
  ];
  place.replaceChildren(...figures.map(([name, value]) =>
    el('div', { class: 'figure' }, el('div', { class: 'value' }, value), el('div', { class: 'label' }, name))));
}

export function show(page, context) {
  const place = el('div', { id: 'status', class: 'figures' }, 'Loading…');
  page.append(el('h2', {}, 'Status'), place, el('p', { class: 'note' }, 'Updated every second.'));
  events = context.events;
  listener = (event) => draw(place, JSON.parse(event.data));
  events.addEventListener('status', listener);
  get('/api/status').then((status) => draw(place, status), (error) => {
    if (!context.failed(error)) {
      place.textContent = error.message;
    }
  });
}

export function leave() {
  events?.removeEventListener('status', listener);
}
