// The 3D view: the sparks of the frame shown, each emitter's path drawn
// faintly with the emitter marked at the frame, a ground grid and axes, and
// a camera to orbit, pan and zoom. Draws on demand, not in a loop.
import * as THREE from 'three';
import { OrbitControls } from 'three/addons/controls/OrbitControls.js';
import { parkedAge, sparkMaterial } from './spark_material.js';

// Whether WebGL here is a software renderer.
function drawsOnTheCpu() {
  const gl = document.createElement('canvas').getContext('webgl2');
  if (!gl) return false;
  const info = gl.getExtension('WEBGL_debug_renderer_info');
  const renderer = String(gl.getParameter(info ? info.UNMASKED_RENDERER_WEBGL : gl.RENDERER));
  gl.getExtension('WEBGL_lose_context')?.loseContext();
  return /swiftshader|llvmpipe|softpipe|software/i.test(renderer);
}

// The path point of `frame`: a long scene's path holds a point every few
// frames (`frames` ascending), so the nearest point at or before it.
function pathIndexAt(frames, frame) {
  let low = 0, high = frames.length - 1;
  if (high < 0 || frame <= frames[0]) return 0;
  while (low < high) {
    const middle = (low + high + 1) >> 1;
    if (frames[middle] <= frame) low = middle; else high = middle - 1;
  }
  return low;
}

export class Viewport {
  constructor(canvas, scene) {
    this.canvas = canvas;
    this.scene = scene;
    // Antialiasing costs a GPU next to nothing but a renderer that draws on
    // the CPU (SwiftShader, llvmpipe) pays for every sample: there it would
    // take most of a frame of many sparks.
    this.renderer = new THREE.WebGLRenderer({ canvas, antialias: !drawsOnTheCpu() });
    this.renderer.setPixelRatio(window.devicePixelRatio);
    this.world = new THREE.Scene();
    this.world.background = new THREE.Color(0x15171c);
    this.camera = new THREE.PerspectiveCamera(45, 1, 0.01, 1e6);
    this.camera.position.set(8, 6, 10);
    this.controls = new OrbitControls(this.camera, canvas);
    this.controls.addEventListener('change', () => this.render());

    const extent = this.#pathExtent();
    const gridSize = Math.max(10, 2 * Math.ceil(extent));
    this.world.add(new THREE.GridHelper(gridSize, gridSize, 0x3a4050, 0x262a33));
    // Axes in plain hues (x red, y green, z blue), apart from the sparks' warm colours.
    const axes = new THREE.AxesHelper(Math.max(1, gridSize / 8));
    axes.setColors(new THREE.Color(0xdc3246), new THREE.Color(0x46c846), new THREE.Color(0x4678dc));
    this.world.add(axes);

    this.markers = [];
    for (const emitter of scene.emitters) {
      const path = new THREE.BufferGeometry().setFromPoints(emitter.path.map(([x, y, z]) => new THREE.Vector3(x, y, z)));
      this.world.add(new THREE.Line(path, new THREE.LineBasicMaterial({ color: 0x5f7fc0, transparent: true, opacity: 0.35 })));
      const marker = new THREE.Points(
        new THREE.BufferGeometry().setAttribute('position', new THREE.Float32BufferAttribute([0, 0, 0], 3)),
        new THREE.PointsMaterial({ color: 0x3f7fff, size: 9, sizeAttenuation: false }));
      marker.frustumCulled = false;
      this.world.add(marker);
      this.markers.push({ emitter, marker });
    }

    this.material = sparkMaterial(window.devicePixelRatio);
    this.sparks = scene.effects.map(() => {
      const points = new THREE.Points(new THREE.BufferGeometry(), this.material);
      points.frustumCulled = false; // parked sparks sit far off; the bounds would be needless work
      this.world.add(points);
      return points;
    });
    this.lastFrame = null;
    this.pixel = new Uint8Array(4);

    new ResizeObserver(() => this.#resize()).observe(canvas.parentElement);
    this.#resize();
  }

  // Shows a decoded frame (api.js): the sparks and the emitters where they
  // stand at that frame.
  showFrame(decoded) {
    decoded.effects.forEach((effect, e) => {
      const points = this.sparks[e];
      if (!points) return;
      // A parked spark goes to the shader as an age it never has: one
      // attribute fewer to upload and for the GPU to convert.
      const ages = effect.ages; // this frame's own copy: changed in place
      for (let i = 0; i < effect.count; ++i) if (effect.parked[i]) ages[i] = parkedAge;
      const position = points.geometry.getAttribute('position');
      if (position?.count === effect.count) { // same spark count: refill the buffers in place
        position.array.set(effect.positions);
        position.needsUpdate = true;
        const age = points.geometry.getAttribute('age');
        age.array.set(ages);
        age.needsUpdate = true;
        return;
      }
      points.geometry.dispose(); // frees the buffers of another count
      const geometry = new THREE.BufferGeometry();
      geometry.setAttribute('position',
        new THREE.BufferAttribute(new Float32Array(effect.positions), 3).setUsage(THREE.DynamicDrawUsage));
      geometry.setAttribute('age', new THREE.BufferAttribute(new Float32Array(ages), 1).setUsage(THREE.DynamicDrawUsage));
      points.geometry = geometry;
    });
    for (const { emitter, marker } of this.markers) {
      const p = emitter.path[pathIndexAt(emitter.frames, decoded.frame)] ?? [0, 0, 0];
      marker.geometry.attributes.position.setXYZ(0, p[0], p[1], p[2]);
      marker.geometry.attributes.position.needsUpdate = true;
    }
    this.lastFrame = decoded;
    this.render();
  }

  render() { this.renderer.render(this.world, this.camera); }

  // Waits until the GPU has drawn what was rendered (reading one pixel back
  // cannot finish before the drawing does).
  finishDrawing() {
    const gl = this.renderer.getContext();
    gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, this.pixel);
  }

  // Fits the camera to the emitters' paths and the sparks in flight, leaving
  // out the farthest hundredth of the sparks on each axis (a few strays would
  // otherwise shrink the rest to a speck).
  frameAll() {
    const box = new THREE.Box3();
    const p = new THREE.Vector3();
    for (const emitter of this.scene.emitters) for (const [x, y, z] of emitter.path) box.expandByPoint(p.set(x, y, z));
    const axes = [[], [], []];
    for (const effect of this.lastFrame?.effects ?? []) {
      const { positions, parked, count } = effect;
      const stride = Math.max(1, Math.floor(count / 20000)); // a sample is enough for the bounds
      for (let i = 0; i < count; i += stride) {
        if (parked[i]) continue;
        const c = [positions[3 * i], positions[3 * i + 1], positions[3 * i + 2]];
        if (c.every(Number.isFinite)) c.forEach((v, a) => axes[a].push(v));
      }
    }
    if (axes[0].length > 0) {
      const [low, high] = [0, 1].map((end) => axes.map((values) => {
        values.sort((a, b) => a - b);
        return values[Math.round((end ? 0.99 : 0.01) * (values.length - 1))];
      }));
      box.expandByPoint(p.set(...low)).expandByPoint(p.set(...high));
    }
    if (box.isEmpty()) box.set(new THREE.Vector3(-1, -1, -1), new THREE.Vector3(1, 1, 1));
    const centre = box.getCenter(new THREE.Vector3());
    const radius = Math.max(box.getSize(new THREE.Vector3()).length() / 2, 0.5);
    const fov = THREE.MathUtils.degToRad(this.camera.fov);
    const distance = radius / Math.sin(Math.min(fov, fov * this.camera.aspect) / 2);
    const direction = new THREE.Vector3(0.55, 0.45, 0.7).normalize();
    this.camera.position.copy(centre).addScaledVector(direction, distance);
    this.camera.near = distance / 1000;
    this.camera.far = distance * 100;
    this.camera.updateProjectionMatrix();
    this.controls.target.copy(centre);
    this.controls.update();
    this.render();
  }

  #pathExtent() {
    let extent = 0;
    for (const emitter of this.scene.emitters)
      for (const point of emitter.path) for (const c of point) if (Number.isFinite(c)) extent = Math.max(extent, Math.abs(c));
    return extent;
  }

  #resize() {
    const { clientWidth: width, clientHeight: height } = this.canvas.parentElement;
    if (width === 0 || height === 0) return;
    this.renderer.setSize(width, height, false);
    this.camera.aspect = width / height;
    this.camera.updateProjectionMatrix();
    this.render();
  }
}
