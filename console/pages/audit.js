// The audit: every operator's action, who and when, the player's state before and after, and why.
// It is read only, here as in the database.
import { get } from '../api.js';
import { el, fields, pager, playerName, say, table, utc } from '../dom.js';

const kPage = 50;
const kActions = ['kick', 'revoke-token', 'lift-mute', 'adjust-coins', 'adjust-ballots', 'ban', 'lift-ban'];

export function show(page, context) {
  const error = el('p', { class: 'error' });
  const rows = el('div', { id: 'audit' });
  const pages = [0];
  let filter = {};
  const load = async () => {
    try {
      const { rows: found } = await get('/api/audit', { ...filter, after: pages.at(-1), limit: kPage });
      say(error, found.length ? '' : 'No action matches.');
      rows.replaceChildren(
        table(['#', 'Time', 'Operator', 'Action', 'Player', 'Before', 'After', 'Reason'], found.map((row) => [
          String(row.id), utc(row.time), row.operator, row.action, playerName(row.player), row.before, row.after, row.reason])),
        pager(pages, found.length === kPage ? found.at(-1).id : null, load));
    } catch (failure) {
      if (!context.failed(failure)) {
        say(error, failure.message);
      }
    }
  };
  const form = el('form', {
    id: 'audit-filter',
    onsubmit: (event) => {
      event.preventDefault();
      filter = fields(event.target);
      pages.length = 1;
      load();
    },
  },
  el('input', { name: 'operator', placeholder: 'operator', maxlength: 64 }),
  el('input', { name: 'player', placeholder: 'player', maxlength: 64 }),
  el('select', { name: 'action' }, ['', ...kActions].map((action) => el('option', { value: action }, action || 'any action'))),
  el('button', { type: 'submit' }, 'Filter'));
  page.append(el('h2', {}, 'Audit'), form, error, rows);
  load();
}
