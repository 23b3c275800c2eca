// The studio page: loads the scene, then shows frames on demand as the
// timeline asks, the chosen effect's panel, the notes, and a status line.
//
// window.studio.state tells a test (or a curious user) what the page shows:
// ready, frameShown, editsMade and editsShown (a frame drawn after the last
// edit has editsShown === editsMade), busy, error, and the timings.
import { StudioApi } from './api.js';
import { PanelView } from './panel.js';
import { Timeline } from './timeline.js';
import { Viewport } from './viewport.js';

const $ = (id) => document.getElementById(id);
const state = {
  ready: false, busy: false, frameShown: null, editsMade: 0, editsShown: 0, saves: 0,
  sparksInFlight: 0, moduleMs: null, drawMs: null, requestToDrawnMs: null, error: null,
};
window.studio = { state };

function showError(message) {
  state.error = message;
  $('status').textContent = message;
  $('status').classList.add('error');
}

function showStatus(decoded, timings) {
  const inFlight = decoded.effects.reduce((n, e) => n + e.inFlight, 0);
  state.sparksInFlight = inFlight;
  $('status').classList.remove('error');
  $('status').textContent =
    `${inFlight.toLocaleString('en')} sparks in flight · module ${decoded.moduleMs.toFixed(1)} ms` +
    ` · draw ${timings.drawMs.toFixed(1)} ms · request to drawn ${timings.requestToDrawnMs.toFixed(1)} ms`;
}

// Keeps one frame request in flight; while one runs, only the newest wish is
// kept, so scrubbing never queues up stale frames.
class FrameLoader {
  constructor(api, viewport) {
    this.api = api;
    this.viewport = viewport;
    this.wanted = null;
  }

  want(frame) {
    this.wanted = { frame, edits: state.editsMade };
    state.busy = true;
    if (!this.running) this.#run();
  }

  async #run() {
    this.running = true;
    while (this.wanted) {
      const { frame, edits } = this.wanted;
      this.wanted = null;
      try {
        const timings = await this.show(frame);
        state.frameShown = frame;
        state.editsShown = edits;
        state.error = null;
        Object.assign(state, timings);
      } catch (error) {
        showError(`frame ${frame}: ${error.message}`);
      }
    }
    this.running = false;
    state.busy = false;
  }

  // Requests, decodes and draws one frame; the times in milliseconds.
  async show(frame) {
    const requested = performance.now();
    const decoded = await this.api.frame(frame);
    const received = performance.now();
    this.viewport.showFrame(decoded);
    this.viewport.finishDrawing();
    const drawn = performance.now();
    const timings = { moduleMs: decoded.moduleMs, drawMs: drawn - received, requestToDrawnMs: drawn - requested };
    showStatus(decoded, timings);
    return timings;
  }
}

async function start() {
  const api = new StudioApi(new URLSearchParams(location.search).get('token'));
  const scene = await api.scene();
  document.title = `plix studio · ${scene.name}`;
  $('scene-name').textContent = scene.name;

  const viewport = new Viewport($('view'), scene);
  const loader = new FrameLoader(api, viewport);
  const timeline = new Timeline(
    { slider: $('frame'), back: $('step-back'), forward: $('step-forward'), play: $('play'), text: $('frame-text') },
    scene, (frame) => loader.want(frame));
  window.studio.showFrame = (frame) => loader.show(frame); // for the benchmark: one frame, timed

  const panel = new PanelView($('panel'), api, () => {
    state.editsMade += 1;
    loader.want(timeline.frame);
  }, showError);
  const choice = $('effect');
  scene.effects.forEach((effect, i) => choice.add(new Option(`${effect.object} · effect ${effect.effect} (${effect.points.toLocaleString('en')} points)`, String(i))));
  choice.disabled = scene.effects.length < 2;
  choice.addEventListener('change', () => panel.load(Number(choice.value)).catch((e) => showError(e.message)));
  if (scene.effects.length > 0) await panel.load(0);
  else $('panel').textContent = 'The scene applies no effect.';

  for (const note of scene.notes) $('note-list').append(Object.assign(document.createElement('li'), { textContent: note }));

  const save = $('save');
  save.disabled = scene.saveTarget === '';
  save.title = scene.saveTarget === '' ? 'Started without a scene file: start the studio with --save FILE'
                                       : `Writes ${scene.saveTarget}`;
  save.addEventListener('click', async () => {
    try {
      const answer = await api.save();
      state.saves += 1;
      $('save-status').classList.remove('error');
      $('save-status').textContent = `saved ${answer.saved}`;
    } catch (error) {
      $('save-status').classList.add('error');
      $('save-status').textContent = `not saved: ${error.message}`;
    }
  });
  $('frame-all').addEventListener('click', () => viewport.frameAll());

  await loader.show(timeline.frame);
  state.frameShown = timeline.frame;
  viewport.frameAll();
  state.ready = true;
}

start().catch((error) => showError(`the studio could not start: ${error.message}`));
