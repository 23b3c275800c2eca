// The timeline: a "Frame" slider over the scene's frames, play and pause at
// the scene's rate, a frame back and on, and the frame and time shown.
export class Timeline {
  constructor(elements, scene, onFrame) {
    this.el = elements;
    this.scene = scene;
    this.onFrame = onFrame;
    this.frame = scene.firstFrame;
    this.playing = false;
    const slider = this.el.slider;
    slider.min = String(scene.firstFrame);
    slider.max = String(scene.lastFrame);
    slider.value = String(this.frame);
    slider.addEventListener('input', () => this.go(Number(slider.value)));
    this.el.back.addEventListener('click', () => { this.pause(); this.go(this.frame - 1); });
    this.el.forward.addEventListener('click', () => { this.pause(); this.go(this.frame + 1); });
    this.el.play.addEventListener('click', () => (this.playing ? this.pause() : this.play()));
    this.#showText();
  }

  go(frame) {
    const clamped = Math.min(Math.max(Math.round(frame), this.scene.firstFrame), this.scene.lastFrame);
    this.frame = clamped;
    this.el.slider.value = String(clamped);
    this.#showText();
    this.onFrame(clamped);
  }

  // Plays in real time at the scene's rate, from the frame shown, round and
  // round; frames the page cannot show in time are skipped, not queued.
  play() {
    this.playing = true;
    this.el.play.setAttribute('aria-label', 'Pause');
    this.el.play.textContent = '\u275a\u275a';
    const startFrame = this.frame >= this.scene.lastFrame ? this.scene.firstFrame : this.frame;
    const startTime = performance.now();
    const span = this.scene.lastFrame - this.scene.firstFrame + 1;
    const tick = (now) => {
      if (!this.playing) return;
      const elapsed = Math.floor(((now - startTime) / 1000) * this.scene.fps);
      const frame = this.scene.firstFrame + ((startFrame - this.scene.firstFrame + elapsed) % span);
      if (frame !== this.frame) this.go(frame);
      requestAnimationFrame(tick);
    };
    requestAnimationFrame(tick);
  }

  pause() {
    this.playing = false;
    this.el.play.setAttribute('aria-label', 'Play');
    this.el.play.textContent = '\u25b6';
  }

  #showText() {
    this.el.text.textContent = `frame ${this.frame} · ${(this.frame / this.scene.fps).toFixed(3)} s`;
  }
}
