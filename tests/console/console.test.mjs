// The operators' console in headless Chromium against a chamber-server of its own on 127.0.0.1:
// logins and lock-out, a viewer refused by the server, a live vote, a ban with its end, refusals
// and the audit. The tests run in order on one realm; the last reads what the others did.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { Client, Realm, kVote, kVoteResult, launchBrowser } from './realm.mjs';

const realm = new Realm(process.env.ODC_SERVER, process.env.ODC_CONSOLE_FILES);
const kPasswords = { mod: 'moderator password', view: 'viewer password!', locked: 'a locked password' };
let browser;

before(async () => {
  realm.addOperator('mod', kPasswords.mod, 'moderator');
  realm.addOperator('view', kPasswords.view, 'viewer');
  realm.addOperator('locked', kPasswords.locked, 'viewer');
  for (const name of ['甲', '乙', '丙']) {
    realm.addPlayer(name);
  }
  await realm.start();
  browser = await launchBrowser();
});

after(async () => {
  await browser?.close();
  assert.equal(await realm.stop(), 0, `the server stops cleanly:\n${realm.log.slice(-4000)}`);
});

async function logIn(page, name, password) {
  await page.fill('#login [name=name]', name);
  await page.fill('#login [name=password]', password);
  await page.click('#login button');
}

async function openConsole(name) {
  const page = await (await browser.newContext()).newPage();
  page.setDefaultTimeout(5000);
  await page.goto(`${realm.url}/`);
  if (name) {
    await logIn(page, name, kPasswords[name]);
    await page.waitForSelector('#nav:not([hidden])');
  }
  return page;
}

async function findPlayer(page, name) {
  await page.goto(`${realm.url}/#players`);
  await page.fill('#player-search [name=prefix]', name);
  await page.click('#player-search button');
  const player = page.locator(`.player[data-player="${name}"]`);
  await player.waitFor();
  return player;
}

// The status of a POST sent from the page with the session's cookie, and its CSRF token if asked.
function forge(page, body, withToken) {
  return page.evaluate(async ({ body, withToken }) => {
    const me = await (await fetch('/api/me')).json();
    const headers = { 'Content-Type': 'application/json', ...(withToken ? { 'X-CSRF-Token': me.csrf } : {}) };
    return (await fetch('/api/action', { method: 'POST', headers, body: JSON.stringify(body) })).status;
  }, { body, withToken });
}

test('an operator logs in with the right password, and five wrong ones lock it out', async () => {
  assert.equal((await fetch(`${realm.url}/api/me`)).status, 401);
  const page = await openConsole();
  await logIn(page, 'mod', 'not the password');
  await page.waitForSelector('#login-error:has-text("wrong name or password")');
  for (let i = 1; i <= 5; ++i) {
    await logIn(page, 'locked', `wrong password ${i}`);
    await page.waitForSelector(`#login-error:has-text("${i < 5 ? 'wrong name or password' : 'locked out until'}")`);
  }
  await logIn(page, 'locked', kPasswords.locked);
  await page.waitForSelector('#login-error:has-text("locked out until")');
  assert.match(await page.textContent('#login-error'), /locked out until \d{4}-\d\d-\d\d \d\d:\d\d:\d\d UTC/);

  await logIn(page, 'mod', kPasswords.mod);
  await page.waitForSelector('#nav:not([hidden])');
  assert.equal(await page.textContent('#operator'), 'mod (moderator)');
  assert.equal(await page.isVisible('#login'), false, 'the login form goes');
  const cookie = (await page.context().cookies()).find((each) => each.name === 'odc_session');
  assert.ok(cookie.httpOnly && cookie.sameSite === 'Strict', 'the session cookie is HttpOnly and SameSite=Strict');
  const other = await page.context().newPage();
  await other.goto(`${realm.url}/#status`);
  await other.waitForSelector('#nav:not([hidden])');
  await page.click('#logout');
  await page.waitForSelector('#login:not([hidden])');
  assert.equal(await page.evaluate(async () => (await fetch('/api/me')).status), 401, 'logged out');
  await other.waitForSelector('#login:not([hidden])', { timeout: 10000 });
  assert.match(await other.textContent('#login-error'), /session has ended/, 'a live page ends with its session');
});

test('a viewer is shown no actions, and the server refuses one forged all the same', async () => {
  const page = await openConsole('view');
  const player = await findPlayer(page, '甲');
  assert.equal(await player.locator('.actions').count(), 0);
  assert.equal(await forge(page, { kind: 'adjust-coins', player: '甲', amount: 1000, reason: 'forged' }, true), 403);
  const moderator = await openConsole('mod');
  assert.equal(await forge(moderator, { kind: 'adjust-coins', player: '甲', amount: 1000, reason: 'no token' }, false),
    403, 'a POST without the CSRF token is refused');
});

test("a vote cast by a client shows on the Realm page within a second", async () => {
  const page = await openConsole('mod');
  await page.waitForSelector('#applications');
  const { applications } = await page.evaluate(async () => (await fetch('/api/realm')).json());
  const election = applications.find((each) => each.kind === 'election');
  assert.ok(election, 'the starting world has an election under way');
  const client = new Client(realm.gamePort);
  assert.equal((await client.login('甲', realm.tokens['甲']))[31], 1);
  // Several votes, so that a page that lags by a second or more cannot pass by luck.
  for (let votes = 1; votes <= 4; ++votes) {
    client.send(kVote, [[50, election.id], [60, 1]]);
    const result = await client.next(kVoteResult);
    assert.equal(result[31], 1, `the vote is accepted: ${result[32]}`);
    await page.waitForFunction(({ id, count }) => [...document.querySelectorAll('#applications tbody tr')].some(
      (row) => row.cells[0].textContent === String(id) && row.cells[4].textContent === String(count)),
    { id: election.id, count: election.for + votes }, { timeout: 1000 });
  }
  client.close();
});

test("a ban closes the player's session, refuses its next login with the reason, and lifts at its end", async () => {
  const client = new Client(realm.gamePort);
  assert.equal((await client.login('乙', realm.tokens['乙']))[31], 1);
  const page = await openConsole('mod');
  const player = await findPlayer(page, '乙');
  assert.equal(await player.locator('.online').textContent(), 'yes');
  await player.locator('[data-action=ban] [name=seconds]').fill('3');
  await player.locator('[data-action=ban] [name=reason]').fill('刷屏');
  const banned = Date.now();
  await player.locator('[data-action=ban] button').click();
  await Promise.race([client.closed, new Promise((_, reject) => setTimeout(() => reject(new Error('not closed')), 3000))]);

  const again = new Client(realm.gamePort);
  const refused = await again.login('乙', realm.tokens['乙']);
  assert.equal(refused[31], 0);
  assert.match(refused[32], /^账号已被封禁至 \d{4}-\d\d-\d\d \d\d:\d\d:\d\d UTC：刷屏$/);
  await new Promise((resolve) => setTimeout(resolve, Math.max(0, banned + 4000 - Date.now())));
  assert.equal((await again.login('乙', realm.tokens['乙']))[31], 1, 'the ban is over');
  again.close();
});

test("a player's refused request shows among its refusals of the last hour", async () => {
  const client = new Client(realm.gamePort);
  assert.equal((await client.login('丙', realm.tokens['丙']))[31], 1);
  client.send(kVote, [[50, 999999], [60, 1]]);
  const result = await client.next(kVoteResult);
  assert.equal(result[31], 0);
  const page = await openConsole('mod');
  const player = await findPlayer(page, '丙');
  assert.match(await player.locator('.refusals').textContent(), new RegExp(`vote${result[32]}`));
  client.close();
});

test('every action shows in the audit, its texts as typed', async () => {
  const page = await openConsole('mod');
  const player = await findPlayer(page, '甲');
  await player.locator('[data-action=adjust-coins] [name=amount]').fill('250');
  await player.locator('[data-action=adjust-coins] [name=reason]').fill('奖励 <b>x</b>');
  await player.locator('[data-action=adjust-coins] button').click();
  await page.waitForSelector('.player[data-player="甲"] .wallet:has-text("1250 coins")');
  assert.equal(await page.textContent('#action-result'), 'Adjust coins: coins=1000 → coins=1250');

  await page.goto(`${realm.url}/#audit`);
  await page.waitForSelector('#audit tbody tr');
  const rows = await page.$$eval('#audit tbody tr', (found) => found.map((row) => [...row.cells].map((cell) => cell.textContent)));
  assert.deepEqual(rows.map((row) => [row[2], row[3], row[4], row[5], row[6], row[7]]), [
    ['mod', 'ban', '乙', 'ban=none', rows[0][6], '刷屏'],
    ['mod', 'adjust-coins', '甲', 'coins=1000', 'coins=1250', '奖励 <b>x</b>'],
  ]);
  assert.match(rows[0][6], /^ban_until=\d+$/);
  assert.equal(await page.$$eval('#audit b', (found) => found.length), 0, 'a reason is text, never markup');
});
