// devtools.mjs -- Chromium driven through its DevTools protocol over a pipe (--remote-debugging-pipe): the browser
// reads commands from its file descriptor 3 and writes answers and events to 4, each a JSON message ended by a NUL
// byte. Nothing to install beyond Debian's chromium and node, and no port to open.
import { spawn } from 'node:child_process';

export class DevTools {
  // Starts `executable` headless with `args` and a blank page.
  static launch(executable, args) {
    const browser = spawn(executable, ['--headless', '--remote-debugging-pipe', ...args, 'about:blank'],
                          { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'] });
    return new DevTools(browser);
  }

  constructor(browser) {
    this.browser = browser;
    this.nextId = 1;
    this.pending = new Map();  // command id -> { resolve, reject, method }
    this.listeners = [];       // { method, sessionId, callback }
    this.stderr = '';
    this.exited = new Promise((resolve) => browser.on('exit', resolve));
    browser.stderr.on('data', (chunk) => { this.stderr = (this.stderr + chunk).slice(-4000); });
    let buffered = '';
    browser.stdio[4].on('data', (chunk) => {
      const parts = (buffered + chunk.toString('utf8')).split('\0');
      buffered = parts.pop();
      for (const part of parts) {
        this.receive(JSON.parse(part));
      }
    });
    browser.on('exit', (code, signal) => {
      for (const { reject, method } of this.pending.values()) {
        reject(new Error(`chromium ended (${signal || code}) before answering ${method}: ${this.stderr.trim()}`));
      }
      this.pending.clear();
    });
  }

  receive(message) {
    if (message.id === undefined) {
      for (const listener of this.listeners) {
        if (listener.method === message.method && listener.sessionId === message.sessionId) {
          listener.callback(message.params);
        }
      }
      return;
    }
    const command = this.pending.get(message.id);
    this.pending.delete(message.id);
    if (message.error) {
      command.reject(new Error(`${command.method}: ${message.error.message}`));
    } else {
      command.resolve(message.result);
    }
  }

  // Sends a command, to the browser or to the page of `sessionId`, and resolves with its result.
  send(method, params = {}, sessionId = undefined) {
    const id = this.nextId++;
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject, method });
      this.browser.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + '\0');
    });
  }

  on(method, sessionId, callback) {
    this.listeners.push({ method, sessionId, callback });
  }

  // The next event `method`'s parameters.
  once(method, sessionId) {
    return new Promise((resolve) => {
      const listener = { method, sessionId, callback: (params) => {
        this.listeners.splice(this.listeners.indexOf(listener), 1);
        resolve(params);
      } };
      this.listeners.push(listener);
    });
  }

  // The first page's session, attached so that its commands can be sent.
  async attachToPage() {
    let page;
    for (let tries = 0; !page && tries < 100; ++tries) {
      const { targetInfos } = await this.send('Target.getTargets');
      page = targetInfos.find((target) => target.type === 'page');
      if (!page) {
        await new Promise((resolve) => setTimeout(resolve, 50));
      }
    }
    if (!page) {
      throw new Error('chromium opened no page');
    }
    const { sessionId } = await this.send('Target.attachToTarget', { targetId: page.targetId, flatten: true });
    return sessionId;
  }

  // Asks the browser to close; kills it if it has not ended within a few seconds.
  async close() {
    this.send('Browser.close').catch(() => {});
    const timer = setTimeout(() => this.browser.kill('SIGKILL'), 5000);
    await this.exited;
    clearTimeout(timer);
  }
}
