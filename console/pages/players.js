// Players: a search by the start of a name; each player's wallet, post, candidacies, mute, ban,
// whether online, and refusals of the last hour; and a moderator's actions on the player. A viewer
// is not shown the actions (the server refuses them too).
import { get, post } from '../api.js';
import { el, fields, say, table, utc } from '../dom.js';

// Each action: its name for the server, its button, and the fields it asks for.
const kActions = [
  { kind: 'kick', title: 'Kick', inputs: [] },
  { kind: 'revoke-token', title: 'Revoke token', inputs: [] },
  { kind: 'lift-mute', title: 'Lift mute', inputs: [] },
  { kind: 'adjust-coins', title: 'Adjust coins', inputs: ['amount', 'reason'] },
  { kind: 'adjust-ballots', title: 'Adjust ballots', inputs: ['amount', 'reason'] },
  { kind: 'ban', title: 'Ban', inputs: ['seconds', 'reason'] },
  { kind: 'lift-ban', title: 'Lift ban', inputs: [] },
];

const kPlaceholders = { amount: 'signed amount', seconds: 'seconds', reason: 'reason' };

function actionForm(player, context, message, again) {
  return el('div', { class: 'actions' }, kActions.map((action) => el('form', {
    class: 'action',
    'data-action': action.kind,
    onsubmit: async (event) => {
      event.preventDefault();
      const given = fields(event.target);
      const body = { kind: action.kind, player: player.name, reason: given.reason ?? '' };
      for (const name of ['amount', 'seconds']) {
        if (name in given) {
          body[name] = Number.parseInt(given[name], 10);
        }
      }
      try {
        const done = await post('/api/action', body);
        say(message, `${action.title}: ${done.audit.before} → ${done.audit.after}`, false);
        again();
      } catch (error) {
        if (!context.failed(error)) {
          say(message, `${action.title}: ${error.message}`);
        }
      }
    },
  },
  action.inputs.map((name) => el('input', {
    name,
    placeholder: kPlaceholders[name],
    required: true,
    type: name === 'reason' ? 'text' : 'number',
    maxlength: name === 'reason' ? 200 : undefined,
  })),
  el('button', { type: 'submit' }, action.title))));
}

function details(player, context, message, again) {
  const ban = player.ban ? `until ${player.ban.untilText} by ${player.ban.by}: ${player.ban.reason}` : 'none';
  const refusals = player.refusals.length
    ? table(['Time', 'Kind', 'Reason'], player.refusals.map((refusal) => [utc(refusal.time), refusal.kind, refusal.reason]),
      { class: 'refusals' })
    : el('p', { class: 'note' }, 'No refusals in the last hour.');
  return el('div', { class: 'player', 'data-player': player.name },
    el('h3', {}, player.name),
    el('dl', {},
      el('dt', {}, 'Online'), el('dd', { class: 'online' }, player.online ? 'yes' : 'no'),
      el('dt', {}, 'Wallet'), el('dd', { class: 'wallet' }, `${player.coins} coins, ${player.ballots} ballots`),
      el('dt', {}, 'Post'), el('dd', {}, player.post ? player.postName : 'none'),
      el('dt', {}, 'Applications'), el('dd', {}, player.applications.length ? player.applications.join(', ') : 'none'),
      el('dt', {}, 'Muted until'), el('dd', {}, utc(player.mutedUntil)),
      el('dt', {}, 'Ban'), el('dd', { class: 'ban' }, ban),
      el('dt', {}, 'Token'), el('dd', {}, player.hasToken ? 'given' : 'none')),
    el('h4', {}, 'Refusals of the last hour'), refusals,
    context.session.role === 'moderator' ? [el('h4', {}, 'Actions'), actionForm(player, context, message, again)] : []);
}

export function show(page, context) {
  const list = el('div', { id: 'players' });
  const error = el('p', { class: 'error' });
  // What the last action did, kept above the list that it redraws.
  const message = el('p', { id: 'action-result', class: 'note', role: 'status' });
  let prefix = '';
  const search = async () => {
    try {
      const { players } = await get('/api/players', { prefix });
      say(error, players.length ? '' : 'No player has a name that starts so.');
      list.replaceChildren(...players.map((player) => details(player, context, message, search)));
    } catch (failure) {
      if (!context.failed(failure)) {
        say(error, failure.message);
      }
    }
  };
  const form = el('form', {
    id: 'player-search',
    onsubmit: (event) => {
      event.preventDefault();
      prefix = fields(event.target).prefix;
      search();
    },
  }, el('input', { name: 'prefix', placeholder: 'start of a name', maxlength: 64 }), el('button', { type: 'submit' }, 'Search'));
  page.append(el('h2', {}, 'Players'), form, error, message, list);
}
