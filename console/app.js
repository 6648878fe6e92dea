// The console's shell: the login, the session, the page of the address's #fragment, and the event
// stream that the live pages listen to.
import { ApiError, get, post, setCsrfToken } from './api.js';
import { fields, say } from './dom.js';
import * as realm from './pages/realm.js';
import * as players from './pages/players.js';
import * as ledger from './pages/ledger.js';
import * as audit from './pages/audit.js';
import * as status from './pages/status.js';

const pages = { realm, players, ledger, audit, status };
const page = document.getElementById('page');
const loginForm = document.getElementById('login');
let session = null;
let events = null;
let shown = null;

function showLogin(message = '') {
  session = null;
  events?.close();
  events = null;
  page.replaceChildren();
  document.getElementById('nav').hidden = true;
  document.getElementById('who').hidden = true;
  loginForm.hidden = false;
  say(document.getElementById('login-error'), message);
}

// What a page is given: the operator's session, the live events, and a way back to the login.
function context() {
  return {
    session,
    events,
    failed(error) {
      if (error instanceof ApiError && error.status === 401) {
        showLogin('Your session has ended: log in again.');
        return true;
      }
      return false;
    },
  };
}

function showPage() {
  if (!session) {
    return;
  }
  const name = location.hash.slice(1) in pages ? location.hash.slice(1) : 'realm';
  shown?.leave?.();
  shown = pages[name];
  for (const link of document.querySelectorAll('#nav a')) {
    link.classList.toggle('current', link.getAttribute('href') === `#${name}`);
  }
  page.replaceChildren();
  page.dataset.page = name;
  shown.show(page, context());
}

function start(me) {
  session = me;
  setCsrfToken(me.csrf);
  document.body.dataset.role = me.role;
  loginForm.hidden = true;
  document.getElementById('nav').hidden = false;
  document.getElementById('who').hidden = false;
  document.getElementById('operator').textContent = `${me.name} (${me.role})`;
  const stream = new EventSource('/api/events');
  // The stream ends with the session (logged out elsewhere, or too old): back to the login then.
  stream.addEventListener('error', () => {
    if (stream === events && stream.readyState === EventSource.CLOSED) {
      get('/api/me').catch((error) => context().failed(error));
    }
  });
  events = stream;
  showPage();
}

loginForm.addEventListener('submit', async (event) => {
  event.preventDefault();
  const button = loginForm.querySelector('button');
  button.disabled = true;
  say(document.getElementById('login-error'), 'Checking…', false);
  try {
    const { name, password } = fields(loginForm);
    const me = await post('/api/login', { name, password });
    loginForm.reset();
    start(me);
  } catch (error) {
    say(document.getElementById('login-error'), error.message);
  } finally {
    button.disabled = false;
  }
});

document.getElementById('logout').addEventListener('click', async () => {
  try {
    await post('/api/logout');
  } finally {
    showLogin();
  }
});

window.addEventListener('hashchange', showPage);

get('/api/me').then(start, () => showLogin());
