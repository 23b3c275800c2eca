// The studio's API as the page uses it. Every call carries the token that
// the studio printed with its URL.

export class StudioApiError extends Error {}

export class StudioApi {
  constructor(token) {
    this.token = token ?? '';
  }

  async #request(path, options = {}) {
    const response = await fetch(path, {
      ...options,
      cache: 'no-store',
      headers: { 'X-Plix-Token': this.token, ...(options.headers ?? {}) },
    });
    if (!response.ok) {
      let message = `${response.status} ${response.statusText}`;
      try {
        message = (await response.json()).error ?? message;
      } catch { /* not JSON: keep the status */ }
      throw new StudioApiError(message);
    }
    return response;
  }

  async #post(path, body) {
    const response = await this.#request(path, {
      method: 'POST',
      headers: { 'Content-Type': 'application/json' },
      body: JSON.stringify(body),
    });
    return response.json();
  }

  async scene() { return (await this.#request('/api/scene')).json(); }
  async panel(effect) { return (await this.#request(`/api/panel/${effect}`)).json(); }
  async enter(effect, id, value) { return this.#post(`/api/panel/${effect}`, { id, value }); }
  async save() { return this.#post('/api/save', {}); }

  // The frame in the binary layout of frame_encoding.h, as typed arrays that
  // share the response's buffer.
  async frame(frame) {
    const buffer = await (await this.#request(`/api/frame/${frame}`)).arrayBuffer();
    return decodeFrame(buffer);
  }
}

export function decodeFrame(buffer) {
  const view = new DataView(buffer);
  const magic = String.fromCharCode(...new Uint8Array(buffer, 0, 4));
  if (magic !== 'PLXF' || view.getUint32(4, true) !== 1) throw new StudioApiError('the frame is not in the expected format');
  const frame = view.getInt32(8, true);
  const effectCount = view.getUint32(12, true);
  const out = { frame, time: view.getFloat64(16, true), moduleMs: view.getFloat64(24, true), effects: [] };
  let offset = 32;
  for (let e = 0; e < effectCount; ++e) {
    const count = view.getUint32(offset, true);
    const inFlight = view.getUint32(offset + 4, true);
    offset += 8;
    const positions = new Float32Array(buffer, offset, count * 3);
    offset += count * 12;
    const ages = new Float32Array(buffer, offset, count);
    offset += count * 4;
    const parked = new Uint8Array(buffer, offset, count);
    offset += Math.ceil(count / 4) * 4;
    out.effects.push({ count, inFlight, positions, ages, parked });
  }
  return out;
}
