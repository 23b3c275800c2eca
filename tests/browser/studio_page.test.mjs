// plix-sandbox studio in a real browser (Chromium, WebGL by SwiftShader):
// the page as a user sees and drives it, and the server's refusals as a
// hostile client meets them.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';

import {
  StudioProcess, enterValue, launchBrowser, moveSlider, openStudio, outputFolder, playCacheFrame, tempFolder,
  waitForFrameShown, warmPixels,
} from './studio_harness.mjs';

const labels = ['v0 min', 'v0 max', 'Spread min', 'Spread max', 'Age min', 'Age max', 'Gravity', 'Recycle?',
                'BirthRate p/s', 'Spark_frame', 'Avoid_Pos', 'LinkAge'];

let browser;
before(async () => { browser = await launchBrowser(); });
after(async () => { await browser?.close(); });

describe('the built-in scene', () => {
  let studio;
  let page;
  let errors;
  before(async () => {
    studio = await StudioProcess.start();
    ({ page, errors } = await openStudio(browser.context, studio));
  });
  after(async () => {
    await page?.close();
    const exit = await studio?.stop();
    assert.deepEqual(exit, { code: 0, signal: null }, studio.stderr);
  });

  test('loads without console errors and shows the sparks in the viewport', async () => {
    await moveSlider(page, 0);
    const atStart = await warmPixels(page); // one spark in flight at frame 0
    await moveSlider(page, 60);
    const inFlight = await page.evaluate(() => window.studio.state.sparksInFlight);
    assert.ok(inFlight > 1000, `sparks in flight at frame 60: ${inFlight}`);
    const atSixty = await warmPixels(page);
    assert.ok(atSixty > 400 && atSixty > 10 * atStart, `warm pixels: ${atStart} at frame 0, ${atSixty} at frame 60`);
    assert.match(await page.locator('#status').textContent(), /sparks in flight · module [\d.]+ ms · draw [\d.]+ ms/);
    assert.deepEqual(errors, []);
    await page.getByRole('button', { name: 'Frame all' }).click();
    await page.screenshot({ path: path.join(outputFolder(), 'studio.png') });
  });

  test('the slider shows the frame asked for, and its JSON holds play\'s cache values', async () => {
    await moveSlider(page, 75);
    assert.equal(await page.locator('#frame-text').textContent(), 'frame 75 · 2.500 s');
    const shown = await studio.frameJson(75);
    const cached = await playCacheFrame(75);
    assert.equal(shown.frame, 75);
    assert.equal(shown.effects.length, cached.length);
    shown.effects.forEach((effect, e) => {
      assert.equal(effect.object, cached[e].object);
      assert.equal(effect.effect, cached[e].effect);
      assert.equal(effect.sparks.length, cached[e].sparks.length);
      effect.sparks.forEach((spark, i) => assert.deepEqual(spark, cached[e].sparks[i], `spark ${i}`));
    });
    const inFlight = shown.effects.reduce((n, e) => n + e.sparks.filter((s) => s[4] === 0).length, 0);
    assert.equal(await page.evaluate(() => window.studio.state.sparksInFlight), inFlight);
  });

  test('play runs on by itself and pause holds the frame', async () => {
    await moveSlider(page, 10);
    await page.getByRole('button', { name: 'Play' }).click();
    await page.waitForFunction(() => window.studio.state.frameShown > 15, null, { timeout: 120000 });
    await page.getByRole('button', { name: 'Pause' }).click();
    const held = await page.evaluate(() => Number(document.getElementById('frame').value));
    await waitForFrameShown(page, held);
    await page.getByRole('button', { name: 'Step forward' }).click();
    await waitForFrameShown(page, held + 1);
    await page.getByRole('button', { name: 'Step back' }).click();
    await page.getByRole('button', { name: 'Step back' }).click();
    await waitForFrameShown(page, held - 1);
  });

  test('the panel has the module\'s twelve controls in its order, in widgets of their types', async () => {
    const names = await page.locator('#panel > label, #panel > .label').allTextContents();
    assert.deepEqual(names, labels);
    assert.equal(await page.getByLabel('v0 min', { exact: true }).inputValue(), '3');
    assert.equal(await page.getByRole('slider', { name: 'Spread max' }).inputValue(), '40');
    assert.equal(await page.getByRole('checkbox', { name: 'Recycle?' }).isChecked(), true);
    assert.equal(await page.getByLabel('BirthRate p/s').inputValue(), '1500');
    assert.equal(await page.getByRole('group', { name: 'Avoid_Pos' }).getByLabel('Avoid_Pos x').inputValue(), '-100');
    const linkAge = page.getByRole('checkbox', { name: 'LinkAge' });
    assert.equal(await linkAge.isDisabled(), true);
    assert.match(await page.locator('#panel').textContent(), /no value/);
    assert.equal(await page.getByRole('button', { name: 'Save scene' }).isDisabled(), true); // no scene file
  });
});

describe('a scene file edited and saved through the page', () => {
  let folder;
  let sceneFile;
  let studio;
  let page;
  let errors;
  before(async () => {
    folder = tempFolder('studio');
    sceneFile = path.join(folder, 'edited.scene');
    fs.copyFileSync(path.join(import.meta.dirname, '..', '..', 'examples', 'default.scene'), sceneFile);
    studio = await StudioProcess.start([sceneFile]);
    ({ page, errors } = await openStudio(browser.context, studio));
    await moveSlider(page, 60);
  });
  after(async () => {
    await page?.close();
    const exit = await studio?.stop('SIGINT');
    assert.deepEqual(exit, { code: 0, signal: null }, studio.stderr);
    assert.match(studio.stderr, /studio stopped/);
    fs.rmSync(folder, { recursive: true, force: true });
  });

  test('editing Gravity changes the sparks, and saving writes it into the scene\'s block', async () => {
    const before = await studio.frameJson(60);
    await enterValue(page, 'Gravity', '-3');
    assert.equal(await page.getByLabel('Gravity', { exact: true }).inputValue(), '-3');
    const afterEdit = await studio.frameJson(60);
    const moved = afterEdit.effects[0].sparks.filter((s, i) => s[4] === 0 && s[1] !== before.effects[0].sparks[i][1]);
    assert.ok(moved.length > 1000, `sparks moved by the edit: ${moved.length}`);
    assert.equal(fs.readFileSync(sceneFile, 'utf8').includes('| Gravity -3.000000'), false);
    await page.getByRole('button', { name: 'Save scene' }).click();
    await page.waitForFunction(() => window.studio.state.saves === 1, null, { timeout: 120000 });
    assert.match(await page.locator('#save-status').textContent(), /^saved .*edited\.scene$/);
    const saved = fs.readFileSync(sceneFile, 'utf8');
    assert.ok(saved.includes('  | Gravity -3.000000\n'), saved);
    assert.ok(saved.includes('  | V0Min 3.000000\n'), saved);
    assert.deepEqual(fs.readdirSync(folder), ['edited.scene']); // no temporary file left
  });

  test('a reversed pair entered through the page shows sorted, and is saved as entered', async () => {
    await enterValue(page, 'v0 min', '9.5');
    assert.equal(await page.getByLabel('v0 min', { exact: true }).inputValue(), '6');
    assert.equal(await page.getByLabel('v0 max', { exact: true }).inputValue(), '9.5');
    await page.getByRole('button', { name: 'Save scene' }).click();
    await page.waitForFunction(() => window.studio.state.saves === 2, null, { timeout: 120000 });
    const saved = fs.readFileSync(sceneFile, 'utf8');
    assert.ok(saved.includes('  | V0Min 9.500000\n  | V0Max 6.000000\n'), saved);
  });

  test('a value the control cannot take is refused and shown as such', async () => {
    const edits = await page.evaluate(() => window.studio.state.editsMade);
    const ageMin = page.getByLabel('Age min', { exact: true });
    await ageMin.fill('1e12');
    await ageMin.press('Enter');
    await page.waitForFunction(() => window.studio.state.error !== null, null, { timeout: 120000 });
    assert.match(await page.locator('#status').textContent(), /Age min: .*whole number/);
    assert.equal(await ageMin.inputValue(), '20');
    assert.equal(await page.evaluate(() => window.studio.state.editsMade), edits);
    assert.deepEqual(errors.filter((e) => !/status of 400/.test(e)), []);
  });
});

describe('the server refuses what it must', () => {
  let studio;
  before(async () => { studio = await StudioProcess.start(); });
  after(async () => { await studio?.stop(); });

  const cases = [
    ['no token', () => ({ path: '/api/scene' }), 403],
    ['a wrong token', () => ({ path: '/api/scene', headers: { 'X-Plix-Token': 'f'.repeat(32) } }), 403],
    ['a token in the query with a wrong Host', () => ({ path: `/api/scene?token=${studio.token}`, headers: { Host: `evil.example:${studio.port}` } }), 403],
    ['the page with a rebound Host', () => ({ path: '/', headers: { Host: `evil.example:${studio.port}` } }), 403],
    ['a save as a form post', () => ({ method: 'POST', path: `/api/save?token=${studio.token}`, headers: { 'Content-Type': 'text/plain' }, body: '{}' }), 415],
    ['an edit too large', () => ({ method: 'POST', path: `/api/panel/0?token=${studio.token}`, headers: { 'Content-Type': 'application/json' }, body: 'x'.repeat(70000) }), 413],
    ['a file on disk', () => ({ path: '/../../etc/passwd' }), 404],
    ['a save without a scene file', () => ({ method: 'POST', path: `/api/save?token=${studio.token}`, headers: { 'Content-Type': 'application/json' }, body: '{}' }), 409],
  ];
  for (const [name, request, status] of cases)
    test(`refuses ${name} (${status})`, async () => {
      assert.equal((await studio.request(request())).status, status);
    });

  test('answers the page and the API to the right Host and token', async () => {
    assert.equal((await studio.request({ path: '/', headers: { Host: studio.host } })).status, 200);
    assert.equal((await studio.request({ path: `/api/scene?token=${studio.token}` })).status, 200);
    const frame = await studio.request({ path: '/api/frame/30', headers: { 'X-Plix-Token': studio.token } });
    assert.equal(frame.status, 200);
    assert.equal(frame.body.subarray(0, 4).toString(), 'PLXF');
  });

  test('listens on the loopback address only', async () => {
    assert.equal(new URL(studio.url).hostname, '127.0.0.1');
    assert.match(studio.url, /^http:\/\/127\.0\.0\.1:\d+\/\?token=[0-9a-f]{32}$/);
  });
});
