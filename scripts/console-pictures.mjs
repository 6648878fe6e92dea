// Pictures of the operators' console for the README: a chamber-server of its own on 127.0.0.1 with
// a small realm (three players, a few votes, a refusal, a ban and a wallet adjusted), and a
// headless Chromium screenshot of each page, 1280 pixels wide, into the folder given.
// Usage: node scripts/console-pictures.mjs CHAMBER_SERVER CONSOLE_FILES OUT_DIR
import path from 'node:path';
import { Client, Realm, kVote, kVoteResult, launchBrowser } from '../tests/console/realm.mjs';

const [binary, files, out] = process.argv.slice(2);
const realm = new Realm(binary, files);
const kPassword = 'a moderator password';

async function vote(name, applicationId, ballots) {
  const client = new Client(realm.gamePort);
  await client.login(name, realm.tokens[name]);
  client.send(kVote, [[50, applicationId], [60, ballots]]);
  await client.next(kVoteResult);
  return client;
}

async function act(page, body) {
  const status = await page.evaluate(async (body) => {
    const me = await (await fetch('/api/me')).json();
    return (await fetch('/api/action', {
      method: 'POST',
      headers: { 'Content-Type': 'application/json', 'X-CSRF-Token': me.csrf },
      body: JSON.stringify(body),
    })).status;
  }, body);
  if (status !== 200) {
    throw new Error(`${body.kind} of ${body.player}: ${status}`);
  }
}

async function shoot(page, name, ready) {
  await page.goto(`${realm.url}/#${name}`);
  await ready();
  await page.waitForTimeout(300);
  await page.screenshot({ path: path.join(out, `console-${name}.png`), fullPage: true });
}

let browser;
try {
  realm.addOperator('管理员', kPassword, 'moderator');
  for (const [name, coins] of [['甲', 5000], ['乙', 2000], ['丙', 800]]) {
    realm.addPlayer(name, '--coins', String(coins));
  }
  await realm.start(120);
  browser = await launchBrowser();
  const page = await browser.newPage({ viewport: { width: 1280, height: 800 } });
  await page.goto(`${realm.url}/`);
  await page.fill('#login [name=name]', '管理员');
  await page.screenshot({ path: path.join(out, 'console-login.png') });
  await page.fill('#login [name=password]', kPassword);
  await page.click('#login button');
  await page.waitForSelector('#nav:not([hidden])');

  const { applications } = await page.evaluate(async () => (await fetch('/api/realm')).json());
  const clients = [await vote('甲', applications[0].id, 5), await vote('乙', applications[0].id, -2)];
  const refused = new Client(realm.gamePort);
  await refused.login('丙', realm.tokens['丙']);
  refused.send(kVote, [[50, 999], [60, 1]]);
  await refused.next(kVoteResult);
  await act(page, { kind: 'adjust-coins', player: '甲', amount: 500, reason: '活动奖励' });
  await act(page, { kind: 'ban', player: '丙', seconds: 3600, reason: '刷屏' });

  await shoot(page, 'realm', () => page.waitForSelector('#applications'));
  await shoot(page, 'players', async () => {
    await page.fill('#player-search [name=prefix]', '丙');
    await page.click('#player-search button');
    await page.waitForSelector('.player[data-player="丙"]');
  });
  await shoot(page, 'ledger', () => page.waitForSelector('#ledger tbody tr'));
  await shoot(page, 'audit', () => page.waitForSelector('#audit tbody tr'));
  await shoot(page, 'status', () => page.waitForSelector('#status .figure'));
  for (const client of [...clients, refused]) {
    client.close();
  }
} finally {
  await browser?.close();
  await realm.stop();
}
