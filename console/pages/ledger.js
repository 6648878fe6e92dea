// The ledger: every accepted request, filtered by player, post, kind and time, a page at a time.
import { get } from '../api.js';
import { el, fields, pager, playerName, say, table, utc } from '../dom.js';

const kPage = 50;

// "2026-12-08T10:00" read as UTC, in seconds; empty when not given.
function seconds(text) {
  return text ? Math.floor(Date.parse(`${text}:00Z`) / 1000) : '';
}

function detail(row) {
  if (row.kind === 'vote') {
    return `application ${row.application}, ${row.votes > 0 ? '+' : ''}${row.votes} ballots`;
  }
  if (row.kind === 'mute') {
    return `${row.muted ?? '?'} for ${row.seconds ?? '?'} s`;
  }
  return '';
}

export function show(page, context) {
  const error = el('p', { class: 'error' });
  const rows = el('div', { id: 'ledger' });
  const pages = [0];  // the sequence number before each page shown so far
  let filter = {};
  const load = async () => {
    try {
      const { rows: found } = await get('/api/ledger', { ...filter, after: pages.at(-1), limit: kPage });
      say(error, found.length ? '' : 'No request matches.');
      rows.replaceChildren(
        table(['#', 'Time', 'Player', 'Kind', 'Post', 'Request'], found.map((row) => [
          String(row.seq), utc(row.time), playerName(row.player), row.kind, row.postName ?? '—', detail(row)])),
        pager(pages, found.length === kPage ? found.at(-1).seq : null, load));
    } catch (failure) {
      if (!context.failed(failure)) {
        say(error, failure.message);
      }
    }
  };
  const posts = el('select', { name: 'post' }, el('option', { value: '' }, 'any post'));
  get('/api/realm').then((realm) => posts.append(...realm.posts.map((post) => el('option', { value: post.job }, post.name))),
    () => {});
  const form = el('form', {
    id: 'ledger-filter',
    onsubmit: (event) => {
      event.preventDefault();
      const given = fields(event.target);
      filter = { player: given.player, post: given.post, kind: given.kind, from: seconds(given.from), to: seconds(given.to) };
      pages.length = 1;
      load();
    },
  },
  el('input', { name: 'player', placeholder: 'player', maxlength: 64 }),
  posts,
  el('select', { name: 'kind' }, ['', 'apply', 'impeach', 'vote', 'mute'].map((kind) => el('option', { value: kind }, kind || 'any kind'))),
  el('label', {}, 'from ', el('input', { name: 'from', type: 'datetime-local' })),
  el('label', {}, 'to ', el('input', { name: 'to', type: 'datetime-local' })),
  el('span', { class: 'note' }, 'UTC'),
  el('button', { type: 'submit' }, 'Filter'));
  page.append(el('h2', {}, 'Ledger'), form, error, rows);
  load();
}
