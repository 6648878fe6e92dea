// The realm: the fifteen posts with their holders, and the elections and impeachments under way
// with their counts, redrawn whenever the server publishes a change.
import { get } from '../api.js';
import { el, playerName, table, utc } from '../dom.js';

const kRanks = ['King', 'Chancellors', 'Ministers', 'Officers'];
let listener = null;
let events = null;

function draw(place, realm) {
  const byJob = new Map();
  for (const application of realm.applications) {
    byJob.set(application.job, [...(byJob.get(application.job) ?? []), application]);
  }
  const postNames = new Map(realm.posts.map((post) => [post.job, post.name]));
  const ranks = kRanks.map((title, rank) => el('div', { class: 'rank' },
    el('h3', {}, title),
    el('div', { class: 'posts' }, realm.posts.filter((post) => post.rank === rank).map((post) =>
      el('div', { class: post.holder ? 'post held' : 'post vacant', 'data-job': post.job },
        el('div', { class: 'post-name' }, post.name),
        el('div', { class: 'holder' }, post.holder ? playerName(post.holder) : 'vacant'),
        (byJob.get(post.job) ?? []).map((application) => el('div', { class: `running ${application.kind}` },
          `${application.kind === 'impeachment' ? 'Impeachment' : 'Election'}: `,
          el('span', { class: 'for' }, `${application.for} for`), ' / ',
          el('span', { class: 'against' }, `${application.against} against`))))))));
  const rows = realm.applications.map((application) => [
    String(application.id), postNames.get(application.job) ?? `#${application.job}`, application.kind,
    application.kind === 'impeachment' ? playerName(application.target) : playerName(application.player),
    el('span', { class: 'for' }, String(application.for)), el('span', { class: 'against' }, String(application.against)),
    utc(application.end)]);
  place.replaceChildren(
    el('p', { class: 'note' }, 'Changes show as they happen.'),
    ...ranks,
    el('h3', {}, 'Under way'),
    rows.length ? table(['Id', 'Post', 'Kind', 'Candidate or holder', 'For', 'Against', 'Ends'], rows, { id: 'applications' })
      : el('p', { class: 'note' }, 'No election or impeachment is under way.'));
}

export function show(page, context) {
  const place = el('div', { id: 'realm' }, 'Loading…');
  page.append(el('h2', {}, 'Realm'), place);
  events = context.events;
  listener = (event) => draw(place, JSON.parse(event.data));
  events.addEventListener('realm', listener);
  get('/api/realm').then((realm) => draw(place, realm), (error) => {
    if (!context.failed(error)) {
      place.textContent = error.message;
    }
  });
}

export function leave() {
  events?.removeEventListener('realm', listener);
}
