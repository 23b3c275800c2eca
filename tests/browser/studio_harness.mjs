// What the browser tests share: plix-sandbox as a child process (studio and
// play), Chromium through playwright-core, plain HTTP requests, and the
// page's own state (window.studio.state) to wait on instead of sleeping.
//
// Environment: PLIX_SANDBOX (the program), PLIX_WEB_MODULES (web/node_modules),
// PLIX_BROWSER (Chromium), PLIX_BROWSER_OUT (a folder for screenshots).
import { spawn, execFile } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import readline from 'node:readline';
import { pathToFileURL } from 'node:url';

function required(name) {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set (ctest sets it; see tests/browser/CMakeLists.txt)`);
  return value;
}

export const sandbox = () => required('PLIX_SANDBOX');
export const outputFolder = () => {
  const folder = required('PLIX_BROWSER_OUT');
  fs.mkdirSync(folder, { recursive: true });
  return folder;
};

export function tempFolder(prefix) {
  return fs.mkdtempSync(path.join(os.tmpdir(), `plix-${prefix}-`));
}

// A running `plix-sandbox studio`: its URL, token and address from the first
// line it prints, and its stderr so far.
export class StudioProcess {
  static async start(args = []) {
    const child = spawn(sandbox(), ['studio', '--port', '0', ...args], { stdio: ['ignore', 'pipe', 'pipe'] });
    const studio = new StudioProcess(child);
    studio.url = await studio.#firstLine();
    const parsed = new URL(studio.url);
    studio.token = parsed.searchParams.get('token');
    studio.host = parsed.host;
    studio.port = Number(parsed.port);
    return studio;
  }

  constructor(child) {
    this.child = child;
    this.stderr = '';
    child.stderr.on('data', (chunk) => { this.stderr += chunk; });
    this.exited = new Promise((resolve) => child.on('exit', (code, signal) => resolve({ code, signal })));
  }

  #firstLine() {
    return new Promise((resolve, reject) => {
      const lines = readline.createInterface({ input: this.child.stdout });
      lines.once('line', (line) => resolve(line));
      this.child.once('exit', (code) => reject(new Error(`the studio ended (exit ${code}) before its URL: ${this.stderr}`)));
    });
  }

  // Sends the signal and waits for the exit (at most 30 s).
  async stop(signal = 'SIGTERM') {
    this.child.kill(signal);
    let timer;
    const timeout = new Promise((_, reject) => {
      timer = setTimeout(() => reject(new Error(`the studio did not stop within 30 s of ${signal}`)), 30000);
    });
    try {
      return await Promise.race([this.exited, timeout]);
    } finally {
      clearTimeout(timer);
    }
  }

  // A plain HTTP request to the studio; any Host header, any token.
  request({ method = 'GET', path: requestPath, headers = {}, body }) {
    return new Promise((resolve, reject) => {
      const request = http.request({ host: '127.0.0.1', port: this.port, method, path: requestPath, headers }, (response) => {
        const chunks = [];
        response.on('data', (chunk) => chunks.push(chunk));
        response.on('end', () => resolve({ status: response.statusCode, headers: response.headers, body: Buffer.concat(chunks) }));
      });
      request.on('error', reject);
      if (body !== undefined) request.write(body);
      request.end();
    });
  }

  async frameJson(frame) {
    const answer = await this.request({ path: `/api/frame/${frame}?format=json&token=${this.token}` });
    if (answer.status !== 200) throw new Error(`frame ${frame}: ${answer.status} ${answer.body}`);
    return JSON.parse(answer.body.toString('utf8'));
  }
}

// `plix-sandbox play` of one frame with a CSV cache: every spark as
// [x, y, z, age, parked] numbers, effects in scene order.
export async function playCacheFrame(frame, sceneArgs = []) {
  const out = tempFolder('play');
  try {
    await new Promise((resolve, reject) =>
      execFile(sandbox(), ['play', ...sceneArgs, '--frames', `${frame}-${frame}`, '--out', out, '--cache', 'csv',
                           '--keep-parked', '--preview', 'none', '--no-progress'], (error, stdout, stderr) =>
        (error ? reject(new Error(`play failed: ${stderr}`)) : resolve())));
    const csv = fs.readdirSync(out).find((name) => name.endsWith('.csv'));
    if (!csv) throw new Error(`play wrote no CSV cache into ${out}: ${fs.readdirSync(out)}`);
    const [header, ...rows] = fs.readFileSync(path.join(out, csv), 'utf8').trim().split('\n');
    const names = header.split(',');
    const column = (name) => {
      const index = names.indexOf(name);
      if (index < 0) throw new Error(`the cache has no column ${name}: ${header}`);
      return index;
    };
    const [object, effect, ...values] = ['object', 'effect', 'x', 'y', 'z', 'age', 'parked'].map(column);
    const effects = new Map();
    for (const row of rows) {
      const f = row.split(',');
      const key = `${f[object]}/${f[effect]}`;
      if (!effects.has(key)) effects.set(key, { object: f[object], effect: Number(f[effect]), sparks: [] });
      effects.get(key).sparks.push(values.map((c) => Number(f[c])));
    }
    return [...effects.values()];
  } finally {
    fs.rmSync(out, { recursive: true, force: true });
  }
}

// Chromium, headless, drawing WebGL with SwiftShader; a new empty profile;
// none of its own network traffic (this machine's network is closed).
export async function launchBrowser() {
  const { chromium } = await import(pathToFileURL(path.join(required('PLIX_WEB_MODULES'), 'playwright-core', 'index.mjs')));
  const profile = tempFolder('chromium');
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: required('PLIX_BROWSER'),
    headless: true,
    viewport: { width: 1280, height: 760 },
    args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  return {
    context,
    close: async () => {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// Opens the studio's page and waits until it shows its first frame; keeps
// every console error and page error.
export async function openStudio(context, studio) {
  const page = await context.newPage();
  const errors = [];
  page.on('console', (message) => { if (message.type() === 'error') errors.push(message.text()); });
  page.on('pageerror', (error) => errors.push(error.message));
  // Generous limits: on a loaded machine a cold browser takes long to compile three.js.
  await page.goto(studio.url, { waitUntil: 'domcontentloaded', timeout: 120000 });
  await page.waitForFunction(() => window.studio?.state.ready || window.studio?.state.error, null, { timeout: 120000 });
  const error = await page.evaluate(() => window.studio.state.error);
  if (error) throw new Error(`the page did not start: ${error}`);
  return { page, errors };
}

// Waits until the page shows `frame` with every edit made so far, and no
// frame request is pending.
export async function waitForFrameShown(page, frame) {
  await page.waitForFunction((f) => {
    const s = window.studio.state;
    return s.frameShown === f && s.editsShown === s.editsMade && !s.busy;
  }, frame, { timeout: 120000 });
}

export async function moveSlider(page, frame) {
  await page.getByRole('slider', { name: 'Frame', exact: true }).fill(String(frame));
  await waitForFrameShown(page, frame);
}

// Enters a value into a panel control as a user does (type, then Enter) and
// waits for the frame drawn with it.
export async function enterValue(page, label, text) {
  const before = await page.evaluate(() => window.studio.state.editsMade);
  const input = page.getByLabel(label, { exact: true });
  await input.fill(text);
  await input.press('Enter');
  await page.waitForFunction((n) => {
    const s = window.studio.state;
    return s.editsMade > n && s.editsShown === s.editsMade && !s.busy;
  }, before, { timeout: 120000 });
}

// Pixels of the viewport's canvas as it is on screen, counted in the page
// from a screenshot: those in the sparks' colours (warm: red at least green
// at least blue, red bright, some green, unlike the grid's greys and the
// axes' pure hues).
export async function warmPixels(page) {
  const png = await page.locator('#view').screenshot();
  return page.evaluate(async (base64) => {
    const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
    const bitmap = await createImageBitmap(new Blob([bytes], { type: 'image/png' }));
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext('2d');
    context.drawImage(bitmap, 0, 0);
    const { data } = context.getImageData(0, 0, bitmap.width, bitmap.height);
    let warm = 0;
    for (let i = 0; i < data.length; i += 4) {
      const [r, g, b] = [data[i], data[i + 1], data[i + 2]];
      if (r >= 140 && g >= 20 && r >= g && g >= b && r - b >= 20) ++warm;
    }
    return warm;
  }, png.toString('base64'));
}
