// The inputs the page carries: a JSON element "zar-inputs" with each input's names, sticks, rate,
// first frame, frame count, units and up axis, and for input i an element "zar-positions-i" with
// its positions as little-endian float32 in base64 (x, y, z of every point, frame by frame; NaN
// where a marker is missing).

function decodeBase64(text) {
  if (Uint8Array.fromBase64) return Uint8Array.fromBase64(text);
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

export function readInputs(doc) {
  const { inputs } = JSON.parse(doc.getElementById('zar-inputs').textContent);
  return inputs.map((input, i) => {
    const element = doc.getElementById(`zar-positions-${i}`);
    const bytes = decodeBase64(element.textContent);
    element.remove();  // the text is no longer needed
    const positions = new Float32Array(bytes.buffer, bytes.byteOffset, bytes.byteLength / 4);
    const points = input.names.length;
    if (positions.length !== points * 3 * input.frames) {
      throw new Error(`${input.file}: ${positions.length} numbers for ${points} points ` +
                      `in ${input.frames} frames`);
    }
    return { ...input, points, positions };
  });
}

// The time of frame index k, as the CSV writer counts it: from frame 1 (from the first frame
// when numbering starts at 0), at the exact rate.
export function frameTime(input, k) {
  const origin = Math.min(input.firstFrame, 1);
  return (input.firstFrame + k - origin) / input.rate;
}

// The frame index of `input` shown at `seconds`: the last frame that has begun.
export function frameAt(input, seconds) {
  if (!(input.rate > 0) || input.frames === 0) return 0;
  const origin = Math.min(input.firstFrame, 1);
  const k = Math.floor(seconds * input.rate + 1e-6) - (input.firstFrame - origin);
  return Math.max(0, Math.min(input.frames - 1, k));
}

// Lowest and highest value on each source axis over every present sample of every input, each
// input's values times scale(input); null when there is none.
export function bounds(inputs, scale) {
  const low = [Infinity, Infinity, Infinity];
  const high = [-Infinity, -Infinity, -Infinity];
  for (const input of inputs) {
    const { positions } = input;
    let [x0, y0, z0, x1, y1, z1] = [Infinity, Infinity, Infinity, -Infinity, -Infinity, -Infinity];
    for (let i = 0; i < positions.length; i += 3) {
      const x = positions[i];
      if (x !== x) continue;  // missing
      const y = positions[i + 1];
      const z = positions[i + 2];
      if (x < x0) x0 = x;
      if (x > x1) x1 = x;
      if (y < y0) y0 = y;
      if (y > y1) y1 = y;
      if (z < z0) z0 = z;
      if (z > z1) z1 = z;
    }
    if (x0 === Infinity) continue;
    const own = [[x0, y0, z0], [x1, y1, z1]];
    const factor = scale(input);
    for (let a = 0; a < 3; ++a) {
      low[a] = Math.min(low[a], own[0][a] * factor);
      high[a] = Math.max(high[a], own[1][a] * factor);
    }
  }
  return low[0] === Infinity ? null : { low, high };
}

// Per point of a marker input, the runs [from, to) of frames where it is missing.
export function gaps(input) {
  const runs = [];
  const stride = input.points * 3;
  for (let p = 0; p < input.points; ++p) {
    const missing = [];
    let start = -1;
    for (let k = 0; k < input.frames; ++k) {
      const x = input.positions[k * stride + p * 3];
      if (x !== x) {
        if (start < 0) start = k;
      } else if (start >= 0) {
        missing.push([start, k]);
        start = -1;
      }
    }
    if (start >= 0) missing.push([start, input.frames]);
    runs.push(missing);
  }
  return runs;
}

// The box that holds the middle `share` of every input's present samples on each source axis
// (values times scale(input)): a stray sample or a far-away point does not stretch it, as it
// stretches the full bounds. Long captures are sampled evenly (at most about `most` samples per
// input). Falls back on the full bounds when too few samples are present; null when none is.
export function subjectBounds(inputs, scale, share = 0.98, most = 60000) {
  const values = [[], [], []];
  for (const input of inputs) {
    const { positions } = input;
    const count = positions.length / 3;
    const stride = Math.max(1, Math.floor(count / most));
    const factor = scale(input);
    for (let i = 0; i < count; i += stride) {
      const x = positions[i * 3];
      if (x !== x) continue;
      values[0].push(x * factor);
      values[1].push(positions[i * 3 + 1] * factor);
      values[2].push(positions[i * 3 + 2] * factor);
    }
  }
  if (values[0].length < 20) return bounds(inputs, scale);
  const cut = (1 - share) / 2;
  const low = [];
  const high = [];
  for (const axis of values) {
    const sorted = Float64Array.from(axis).sort();
    low.push(sorted[Math.floor(cut * (sorted.length - 1))]);
    high.push(sorted[Math.ceil((1 - cut) * (sorted.length - 1))]);
  }
  return { low, high };
}

// The first frame index of `input` where some point is present (0 when none is).
export function firstPresentFrame(input) {
  const stride = input.points * 3;
  for (let k = 0; k < input.frames; ++k) {
    for (let i = k * stride; i < (k + 1) * stride; i += 3) {
      if (input.positions[i] === input.positions[i]) return k;
    }
  }
  return 0;
}

// One point's X, Y and Z over every frame of `input`, NaN where it is missing.
export function trajectory(input, point) {
  const axes = [0, 1, 2].map(() => new Float64Array(input.frames));
  const stride = input.points * 3;
  for (let k = 0; k < input.frames; ++k) {
    for (let a = 0; a < 3; ++a) axes[a][k] = input.positions[k * stride + point * 3 + a];
  }
  return axes;
}
