// A chamber-server of the tests' own on 127.0.0.1 with a fresh SQLite realm, its operators and
// players added through the server's own commands, a raw client that speaks the frame protocol
// (server/PROTOCOL.md), and headless Chromium. Everything stops by itself: the server under
// `timeout`, each wait with a bound.
import { execFileSync, spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import net from 'node:net';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

export const kLogin = 1;
export const kLoginResult = 2;
export const kVote = 10000025;
export const kVoteResult = 10000026;
const kTagInt = 20;
const kTagText = 40;

export class Realm {
  // `binary` is chamber-server; `files` the console's folder it serves.
  constructor(binary, files) {
    this.binary = binary;
    this.files = files;
    this.dir = mkdtempSync(path.join(tmpdir(), 'odc-console-'));
    this.db = path.join(this.dir, 'realm.db');
    this.tokens = {};
  }

  run(args, input = '') {
    return execFileSync(this.binary, ['--db', this.db, ...args], { input, timeout: 20000 }).toString();
  }

  addOperator(name, password, role) {
    this.run(['operators', 'add', name, '--role', role], `${password}\n`);
  }

  addPlayer(name, ...options) {
    this.tokens[name] = this.run(['players', 'add', name, ...options]).trim();
  }

  // Starts the server; resolves once both its ports are printed.
  start(seconds = 110) {
    this.server = spawn('timeout', ['--foreground', String(seconds), this.binary, '--db', this.db, '--listen', '127.0.0.1:0',
      '--admin', '127.0.0.1:0', '--admin-files', this.files, '--failed-login-delay', '100'], {
      stdio: ['ignore', 'pipe', 'pipe'],
    });
    this.log = '';
    this.server.stderr.on('data', (bytes) => { this.log += bytes; });
    return new Promise((resolve, reject) => {
      let out = '';
      const timer = setTimeout(() => reject(new Error(`the server did not start: ${this.log}`)), 10000);
      this.server.stdout.on('data', (bytes) => {
        out += bytes;
        const admin = /admin on ([\d.]+:\d+)/.exec(out);
        const game = /listening on [\d.]+:(\d+)/.exec(out);
        if (admin && game) {
          clearTimeout(timer);
          this.url = `http://${admin[1]}`;
          this.gamePort = Number(game[1]);
          resolve();
        }
      });
      this.server.on('exit', (code) => reject(new Error(`the server ended (${code}): ${this.log}`)));
    });
  }

  // Stops the server; resolves to its exit code (0 when it stopped cleanly: sanitizers' findings
  // and a stop that hangs are not).
  async stop() {
    let code = null;
    if (this.server && this.server.exitCode === null) {
      const exited = new Promise((resolve) => this.server.on('exit', (status, signal) => resolve(status ?? signal)));
      this.server.kill('SIGTERM');
      code = await Promise.race([exited, new Promise((resolve) => setTimeout(() => resolve('hung'), 20000))]);
    }
    rmSync(this.dir, { recursive: true, force: true });
    return code;
  }
}

// Debian's Chromium, headless; Playwright gives each launch a fresh profile folder of its own (a
// --user-data-dir of its making) and removes it on close.
export function launchBrowser() {
  return chromium.launch({
    executablePath: '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
    timeout: 20000,
  });
}

// A CKParam image of ints and texts: [field id, number or string].
export function image(fields) {
  const records = fields.map(([id, value]) => {
    const bytes = typeof value === 'string' ? Buffer.from(value, 'utf16le') : Buffer.alloc(4);
    if (typeof value !== 'string') {
      bytes.writeInt32LE(value);
    }
    const head = Buffer.alloc(8);
    head.writeUInt32LE(bytes.length, 0);
    head.writeInt16LE(id, 4);
    head.writeInt16LE(typeof value === 'string' ? kTagText : kTagInt, 6);
    return Buffer.concat([head, bytes]);
  });
  const body = Buffer.concat(records);
  const head = Buffer.alloc(12);
  head.writeUInt32LE(12 + body.length, 0);
  head.writeUInt32LE(records.length, 4);
  head.writeUInt32LE(4096, 8);
  return Buffer.concat([head, body]);
}

// The fields of an image by id: ints as numbers, texts as strings.
export function fieldsOf(bytes) {
  const fields = {};
  for (let at = 12, count = bytes.readUInt32LE(4); count > 0 && at + 8 <= bytes.length; --count) {
    const length = bytes.readUInt32LE(at);
    const id = bytes.readInt16LE(at + 4);
    const tag = bytes.readInt16LE(at + 6);
    const value = bytes.subarray(at + 8, at + 8 + length);
    fields[id] = tag === kTagText ? value.toString('utf16le') : tag === kTagInt ? value.readInt32LE() : value;
    at += 8 + length;
  }
  return fields;
}

// One player's connection: frames out, and the frames in waited for by message id.
export class Client {
  constructor(port) {
    this.socket = net.connect(port, '127.0.0.1');
    this.buffer = Buffer.alloc(0);
    this.frames = [];
    this.waiters = [];
    this.closed = new Promise((resolve) => this.socket.on('close', resolve));
    this.socket.on('error', () => {});
    this.socket.on('data', (bytes) => {
      this.buffer = Buffer.concat([this.buffer, bytes]);
      while (this.buffer.length >= 8 && this.buffer.length >= 4 + this.buffer.readUInt32LE(0)) {
        const length = this.buffer.readUInt32LE(0);
        this.frames.push({ id: this.buffer.readInt32LE(4), fields: fieldsOf(this.buffer.subarray(8, 4 + length)) });
        this.buffer = this.buffer.subarray(4 + length);
      }
      this.waiters = this.waiters.filter((waiter) => !waiter());
    });
  }

  send(id, fields) {
    const bytes = image(fields);
    const head = Buffer.alloc(8);
    head.writeUInt32LE(4 + bytes.length, 0);
    head.writeInt32LE(id, 4);
    this.socket.write(Buffer.concat([head, bytes]));
  }

  // The next frame of message `id` (taken from those received), within `ms`.
  next(id, ms = 5000) {
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => reject(new Error(`no message ${id} within ${ms} ms`)), ms);
      const take = () => {
        const at = this.frames.findIndex((frame) => frame.id === id);
        if (at < 0) {
          return false;
        }
        clearTimeout(timer);
        resolve(this.frames.splice(at, 1)[0].fields);
        return true;
      };
      if (!take()) {
        this.waiters.push(take);
      }
    });
  }

  // Logs in; the login result's fields (31: 1 on success, 32: the reason otherwise).
  async login(name, token) {
    this.send(kLogin, [[50, name], [51, token]]);
    return this.next(kLoginResult);
  }

  close() {
    this.socket.destroy();
  }
}
