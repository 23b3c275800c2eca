// Time from a frame request to the frame drawn, in the studio's page in
// headless Chromium (WebGL by SwiftShader): the built-in scene, and one
// object of 10^5 and one of 10^6 points with nearly every spark in flight.
// Each figure is the median of several frames asked one at a time (the page
// requests, decodes, uploads, draws and reads one pixel back, so the GPU has
// finished); the module's own time and the drawing's are shown beside it.
//
//   node bench/studio/studio_frame_bench.mjs      (environment as for tests/browser)
//   cmake --build BUILD --target bench_studio
import fs from 'node:fs';
import path from 'node:path';

import { StudioProcess, launchBrowser, openStudio, tempFolder } from '../../tests/browser/studio_harness.mjs';

// Every spark born within the first second (birth rate = points), living
// 60 to 90 frames: at frames 40 to 59 all are in flight.
function cloudScene(points) {
  return `fps 30\nframes 0 89\nobject Cloud\n  points ${points}\n  effect\n  | PLIX_START\n` +
    '  | V0Min 2.000000\n  | V0Max 5.000000\n  | AgeMin 60.000000\n  | AgeMax 90.000000\n  | Gravity 3.000000\n' +
    `  | Regist 0.000000\n  | START_F 0.000000\n  | Birth ${points}.000000\n  | ReCycle 1.000000\n` +
    '  | SpreadMin 0.000000\n  | SpreadMax 60.000000\n  | AvoidX -100.000000\n  | AvoidY -100.000000\n' +
    '  | AvoidZ 0.000000\n  | PLIX_END\n';
}

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};

async function measure(browser, name, args, frames) {
  const studio = await StudioProcess.start(args);
  try {
    const { page } = await openStudio(browser.context, studio);
    await page.evaluate((f) => window.studio.showFrame(f), frames[0]); // warm up: first upload, shader compile
    const runs = [];
    for (const frame of frames) runs.push(await page.evaluate((f) => window.studio.showFrame(f), frame));
    const sparks = await page.evaluate(() => window.studio.state.sparksInFlight);
    await page.close();
    return {
      name, sparks, frames: frames.length,
      requestToDrawnMs: median(runs.map((r) => r.requestToDrawnMs)),
      slowestMs: Math.max(...runs.map((r) => r.requestToDrawnMs)),
      moduleMs: median(runs.map((r) => r.moduleMs)),
      drawMs: median(runs.map((r) => r.drawMs)),
    };
  } finally {
    await studio.stop();
  }
}

const folder = tempFolder('studio-bench');
const browser = await launchBrowser();
try {
  const results = [];
  const steps = (from, count) => Array.from({ length: count }, (_, i) => from + i);
  results.push(await measure(browser, 'built-in scene, 3,000 points', [], steps(40, 20)));
  for (const [points, count] of [[100000, 15], [1000000, 8]]) {
    const scene = path.join(folder, `cloud-${points}.scene`);
    fs.writeFileSync(scene, cloudScene(points));
    results.push(await measure(browser, `one object, ${points.toLocaleString('en')} points`, [scene], steps(42, count)));
  }
  console.log('scene                          sparks drawn  request to drawn (median, slowest)  module  draw');
  for (const r of results)
    console.log(`${r.name.padEnd(30)} ${String(r.sparks).padStart(12)}  ${r.requestToDrawnMs.toFixed(1).padStart(10)} ms ` +
                `${r.slowestMs.toFixed(1).padStart(9)} ms ${''.padStart(11)} ${r.moduleMs.toFixed(1).padStart(6)} ms ` +
                `${r.drawMs.toFixed(1).padStart(6)} ms`);
} finally {
  await browser.close();
  fs.rmSync(folder, { recursive: true, force: true });
}
