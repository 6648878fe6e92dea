// Small helpers that build the pages: every text goes in as a text node, never as markup.

// An element with attributes (`on…` ones become listeners) and children (strings become text).
export function el(tag, attributes = {}, ...children) {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) {
    if (name.startsWith('on')) {
      node.addEventListener(name.slice(2), value);
    } else if (value === true) {
      node.setAttribute(name, '');
    } else if (value !== false && value !== undefined && value !== null) {
      node.setAttribute(name, String(value));
    }
  }
  for (const child of children.flat()) {
    if (child !== null && child !== undefined && child !== false) {
      node.append(child instanceof Node ? child : String(child));
    }
  }
  return node;
}

// A table of `headers` and rows of cells (each a string, a number or a node).
export function table(headers, rows, attributes = {}) {
  return el('table', attributes,
    el('thead', {}, el('tr', {}, headers.map((header) => el('th', {}, header)))),
    el('tbody', {}, rows.map((cells) => el('tr', {}, cells.map((cell) => el('td', {}, cell))))));
}

// Seconds since 1970 as "2026-12-08 10:00:00 UTC"; a dash for none.
export function utc(seconds) {
  if (!seconds) {
    return '—';
  }
  return `${new Date(seconds * 1000).toISOString().replace('T', ' ').slice(0, 19)} UTC`;
}

// A player as the API gives one: its name, or its number when the server does not know it.
export function playerName(player) {
  return player ? (player.name ?? `#${player.id}`) : '—';
}

// A form's named fields as an object of strings.
export function fields(form) {
  return Object.fromEntries(new FormData(form).entries());
}

// Shows an error in `place`, or clears it.
export function say(place, text, isError = true) {
  place.textContent = text || '';
  place.className = isError ? 'error' : 'note';
}

// The buttons of a paged list: `pages` holds the key before each page shown so far, `last` is the
// key of the page's last row (null when the page is not full), `load` shows the page on top.
export function pager(pages, last, load) {
  return el('div', { class: 'pager' },
    el('button', { type: 'button', disabled: pages.length === 1, onclick: () => { pages.pop(); load(); } }, 'Previous'),
    ` page ${pages.length} `,
    el('button', { type: 'button', disabled: last === null, onclick: () => { pages.push(last); load(); } }, 'Next'));
}
