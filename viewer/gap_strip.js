// The strip under the slider: one row per marker across the slider's frames, dim green where the
// marker is seen and red where it is missing, with a white line at the frame shown.

const kSeen = [52, 74, 60];
const kMissing = [255, 59, 59];

export class GapStrip {
  // rows: [{ runs }], each run [from, to) in the slider's frames (fractions allowed).
  constructor(canvas, rows, frameCount) {
    this.canvas = canvas;
    this.rows = rows;
    this.frameCount = Math.max(1, frameCount);
    this.image = document.createElement('canvas');
    canvas.hidden = rows.length === 0;
  }

  // Sizes the strip to `width` CSS pixels and paints the rows once, pixel by pixel: a long
  // capture has tens of thousands of gaps.
  layout(width) {
    const height = Math.min(64, Math.max(12, this.rows.length * 3));
    const scale = window.devicePixelRatio;
    this.canvas.style.height = `${height}px`;
    const w = Math.max(1, Math.round(width * scale));
    const h = Math.max(1, Math.round(height * scale));
    this.image.width = this.canvas.width = w;
    this.image.height = this.canvas.height = h;
    const pixels = new ImageData(w, h);
    const rowHeight = h / Math.max(1, this.rows.length);
    const perFrame = w / this.frameCount;
    const missing = new Uint8Array(w);
    this.rows.forEach(({ runs }, row) => {
      missing.fill(0);
      for (const [from, to] of runs) {
        const x0 = Math.min(w - 1, Math.floor(from * perFrame));
        missing.fill(1, x0, Math.max(x0 + 1, Math.ceil(to * perFrame)));
      }
      const y0 = Math.floor(row * rowHeight);
      const y1 = Math.max(y0 + 1, Math.floor((row + 1) * rowHeight) - (rowHeight > 3 ? 1 : 0));
      for (let y = y0; y < y1; ++y) {
        for (let x = 0; x < w; ++x) {
          const colour = missing[x] ? kMissing : kSeen;
          pixels.data.set(colour, (y * w + x) * 4);
          pixels.data[(y * w + x) * 4 + 3] = 255;
        }
      }
    });
    this.image.getContext('2d').putImageData(pixels, 0, 0);
  }

  draw(frame) {
    if (this.canvas.hidden) return;
    const g = this.canvas.getContext('2d');
    g.drawImage(this.image, 0, 0);
    const x = (frame + 0.5) / this.frameCount * this.canvas.width;
    g.fillStyle = '#ffffff';
    g.fillRect(Math.floor(x), 0, Math.max(1, Math.round(window.devicePixelRatio)), this.canvas.height);
  }

  // The row and the slider frame under a pointer event, and whether the row's marker is missing
  // there; null off the rows.
  at(event) {
    const rect = this.canvas.getBoundingClientRect();
    const index = Math.floor((event.clientY - rect.top) / rect.height * this.rows.length);
    const row = this.rows[index];
    if (!row) return null;
    const frame = Math.max(0, Math.min(this.frameCount - 1,
                                       Math.floor((event.clientX - rect.left) / rect.width * this.frameCount)));
    const missing = row.runs.some(([from, to]) => from <= frame + 0.5 && frame + 0.5 < to);
    return { row, frame, missing };
  }
}
