// The plot under the view: one point's X, Y and Z over every frame of its input, each axis in a
// band of its own with its own scale (a marker moves centimetres sideways at a metre's height),
// gaps shaded and left open, a white line at the frame shown.

export const kAxisColours = ['#ff5c5c', '#5cd65c', '#5c9dff'];
const kGap = 'rgba(255, 59, 59, 0.18)';

export class TrajectoryPlot {
  constructor(canvas) {
    this.canvas = canvas;
    this.axes = null;  // three arrays of values, NaN where missing
    this.decimals = 2;
  }

  // Plots `axes` ([x, y, z] over the frames); none clears the plot.
  set(axes, decimals = 2) {
    this.axes = axes;
    this.decimals = decimals;
    this.ranges = (axes ?? []).map((values) => {
      let low = Infinity;
      let high = -Infinity;
      for (const v of values) {
        if (v !== v) continue;
        if (v < low) low = v;
        if (v > high) high = v;
      }
      if (low === Infinity) [low, high] = [0, 1];
      const margin = (high - low) * 0.08 || Math.abs(high) * 0.01 || 1;
      return [low - margin, high + margin];
    });
  }

  layout(width, height) {
    const scale = window.devicePixelRatio;
    this.canvas.style.height = `${height}px`;
    this.canvas.width = Math.max(1, Math.round(width * scale));
    this.canvas.height = Math.max(1, Math.round(height * scale));
  }

  // The frame index under a pointer event.
  frameAt(event) {
    if (!this.axes) return null;
    const rect = this.canvas.getBoundingClientRect();
    const frames = this.axes[0].length;
    return Math.max(0, Math.min(frames - 1,
                                Math.round((event.clientX - rect.left) / rect.width * (frames - 1))));
  }

  draw(current) {
    const g = this.canvas.getContext('2d');
    const { width, height } = this.canvas;
    g.clearRect(0, 0, width, height);
    if (!this.axes) return;
    const frames = this.axes[0].length;
    const x = (k) => (frames > 1 ? k / (frames - 1) : 0.5) * (width - 1);
    const band = height / 3;
    // Gaps: frames where the point is missing.
    g.fillStyle = kGap;
    const step = frames > 1 ? (width - 1) / (frames - 1) : width;
    for (let k = 0; k < frames; ++k) {
      if (this.axes[0][k] === this.axes[0][k]) continue;
      let end = k;
      while (end + 1 < frames && this.axes[0][end + 1] !== this.axes[0][end + 1]) ++end;
      g.fillRect(x(k) - step / 2, 0, x(end) - x(k) + step, height);
      k = end;
    }
    const scale = window.devicePixelRatio;
    g.lineWidth = Math.max(1, scale);
    g.font = `${10 * scale}px system-ui, sans-serif`;
    this.axes.forEach((values, a) => {
      const [low, high] = this.ranges[a];
      const y = (v) => band * a + (1 - (v - low) / (high - low)) * (band - 1);
      g.fillStyle = '#2c3138';
      if (a > 0) g.fillRect(0, Math.floor(band * a), width, Math.max(1, Math.round(scale)));
      g.strokeStyle = kAxisColours[a];
      g.beginPath();
      let open = false;
      for (let k = 0; k < frames; ++k) {
        const v = values[k];
        if (v !== v) { open = false; continue; }
        if (open) g.lineTo(x(k), y(v));
        else g.moveTo(x(k), y(v));
        open = true;
      }
      g.stroke();
      g.fillStyle = '#9aa1ab';
      g.fillText(`${'XYZ'[a]} ${high.toFixed(this.decimals)}`, 4, band * a + 10 * scale);
      g.fillText(low.toFixed(this.decimals), 4, band * (a + 1) - 3 * scale);
    });
    g.fillStyle = '#ffffff';
    g.fillRect(Math.floor(x(current)), 0, Math.max(1, Math.round(window.devicePixelRatio)), height);
  }
}
