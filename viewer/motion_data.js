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
