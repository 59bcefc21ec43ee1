// The player: markers as points, skeletons as sticks between joints, on a floor grid sized to the
// subject (the middle of the samples: a stray one does not pull the camera away); orbit, zoom and
// pan; play at the first input's exact rate by the wall clock; a scrub slider over the first
// input's frames (the other inputs show their frame at the same time), opening on the first frame
// with data; a strip of missing samples per marker with its key; the name and coordinates of the
// point under the pointer; a click on a point (or a pick from the menu) plots its X, Y and Z over
// time under the view.
import * as THREE from 'three';
import { OrbitControls } from 'three/addons/controls/OrbitControls.js';
import { readInputs, frameTime, frameAt, subjectBounds, firstPresentFrame, trajectory, gaps }
  from 'zar/motion_data.js';
import { GapStrip } from 'zar/gap_strip.js';
import { TrajectoryPlot } from 'zar/trajectory_plot.js';

const kColors = ['#ff8c1a', '#3db8ff', '#7ddc4a', '#ff4fa3', '#ffd23f', '#b58cff'];
const kDecimals = { mm: 2, cm: 3, m: 5, in: 3, ft: 4, yd: 4 };
const kMillimetres = { mm: 1, cm: 10, m: 1000, in: 25.4, ft: 304.8, yd: 914.4 };
// Turns that bring each source up axis to the page's Y.
const kUpTurns = {
  X: new THREE.Euler(0, 0, Math.PI / 2),
  Y: new THREE.Euler(0, 0, 0),
  Z: new THREE.Euler(-Math.PI / 2, 0, 0),
};

const $ = (id) => document.getElementById(id);
const inputs = readInputs(document);
const primary = inputs[0];
const frameCount = primary ? primary.frames : 0;
// Every input is drawn in the first input's units.
const unitScale = (input) => (kMillimetres[input.units] ?? 1) / (kMillimetres[primary.units] ?? 1);

// --- scene ---------------------------------------------------------------------------------

const view = $('view');
const renderer = new THREE.WebGLRenderer({ antialias: true });
renderer.setPixelRatio(window.devicePixelRatio);
view.appendChild(renderer.domElement);
const scene = new THREE.Scene();
scene.background = new THREE.Color('#1d2025');
const camera = new THREE.PerspectiveCamera(45, 1, 1, 1000);
const controls = new OrbitControls(camera, renderer.domElement);
const world = new THREE.Group();  // source axes; turned so that the chosen up axis is up
scene.add(world);
let grid = null;

const sourceBox = subjectBounds(inputs, unitScale) ?? { low: [-1, -1, -1], high: [1, 1, 1] };
const extents = sourceBox.low.map((low, a) => sourceBox.high[a] - low).sort((a, b) => a - b);
const diagonal = Math.hypot(...extents) || 1;
// The middle extent is about a body's height, whether the capture stands still or crosses a room.
const radius = (extents[1] > 0 ? extents[1] * 0.012 : diagonal * 0.008) || 0.01;

const sphere = new THREE.SphereGeometry(1, 12, 8);
const hidden = new THREE.Matrix4().makeScale(0, 0, 0);
const shows = inputs.map((input, i) => {
  const color = kColors[i % kColors.length];
  const drawn = input.points - input.ends;  // the far ends of bones have sticks, no spheres
  const group = new THREE.Group();  // the input in its own units
  group.scale.setScalar(unitScale(input));
  world.add(group);
  const spheres = new THREE.InstancedMesh(sphere, new THREE.MeshBasicMaterial({ color }), drawn);
  spheres.frustumCulled = false;
  group.add(spheres);
  const sticks = [];
  input.parents.forEach((parent, child) => { if (parent >= 0) sticks.push([child, parent]); });
  let lines = null;
  if (sticks.length > 0) {
    const geometry = new THREE.BufferGeometry();
    geometry.setAttribute('position',
                          new THREE.BufferAttribute(new Float32Array(sticks.length * 6), 3));
    const stickColor = new THREE.Color(color).lerp(new THREE.Color('#ffffff'), 0.35);
    lines = new THREE.LineSegments(geometry, new THREE.LineBasicMaterial({ color: stickColor }));
    lines.frustumCulled = false;
    group.add(lines);
  }
  // Where each bone end is drawn: the first vertex of the stick that ends there.
  const endVertex = new Map(sticks.map(([child], j) => [child, 2 * j]));
  // A C3D's force plates: each outline, and the ground reaction as a line from the centre of
  // pressure, a body weight (800 N) drawn half as long as the subject is tall.
  const newtons = extents[1] > 0 ? extents[1] * 0.5 / 800 / unitScale(input) : 1;
  const plates = (input.plates ?? []).map((plate) => {
    const outline = new THREE.LineLoop(
      new THREE.BufferGeometry().setAttribute(
        'position', new THREE.BufferAttribute(Float32Array.from(plate.corners), 3)),
      new THREE.LineBasicMaterial({ color: '#8a919c' }));
    const arrow = new THREE.LineSegments(
      new THREE.BufferGeometry().setAttribute(
        'position', new THREE.BufferAttribute(new Float32Array(6), 3)),
      new THREE.LineBasicMaterial({ color: '#ffe14d' }));
    arrow.frustumCulled = false;
    group.add(outline, arrow);
    return { arrows: plate.arrows, arrow };
  });
  return { input, color, group, drawn, spheres, sticks, lines, endVertex, plates, newtons,
           frame: -1, radius: radius / unitScale(input) };
});

// The ground reaction of each plate at frame k: from the centre of pressure along the force;
// nothing where the plate has no centre of pressure.
function showPlates(show, k) {
  for (const { arrows, arrow } of show.plates) {
    const a = arrows.slice(k * 6, k * 6 + 6);
    const to = arrow.geometry.attributes.position.array;
    const seen = a.length === 6 && a.every((v) => v !== null);
    for (let c = 0; c < 3; ++c) {
      to[c] = seen ? a[c] : 0;
      to[3 + c] = seen ? a[c] + a[3 + c] * show.newtons : 0;
    }
    arrow.visible = seen;
    arrow.geometry.attributes.position.needsUpdate = true;
  }
}

function showFrame(show, k) {
  const { input, spheres, sticks, lines, radius } = show;
  show.frame = k;
  if (input.frames === 0) return;
  showPlates(show, k);
  const base = k * input.points * 3;
  const p = input.positions;
  const matrix = new THREE.Matrix4();
  for (let i = 0; i < show.drawn; ++i) {
    const x = p[base + i * 3];
    if (x !== x) {
      spheres.setMatrixAt(i, hidden);
    } else {
      matrix.makeScale(radius, radius, radius).setPosition(x, p[base + i * 3 + 1], p[base + i * 3 + 2]);
      spheres.setMatrixAt(i, matrix);
    }
  }
  spheres.instanceMatrix.needsUpdate = true;
  if (!lines) return;
  const to = lines.geometry.attributes.position.array;
  sticks.forEach(([a, b], j) => {
    const ia = base + a * 3;
    const ib = base + b * 3;
    const seen = p[ia] === p[ia] && p[ib] === p[ib];
    for (let c = 0; c < 3; ++c) {
      to[j * 6 + c] = seen ? p[ia + c] : 0;
      to[j * 6 + 3 + c] = seen ? p[ib + c] : 0;
    }
  });
  lines.geometry.attributes.position.needsUpdate = true;
}

// The floor grid under the capture in the page's axes, with round spacing; the camera framing it.
function frameScene() {
  world.updateMatrixWorld(true);
  const box = new THREE.Box3(new THREE.Vector3(...sourceBox.low), new THREE.Vector3(...sourceBox.high))
    .applyMatrix4(world.matrixWorld);
  const size = box.getSize(new THREE.Vector3());
  const centre = box.getCenter(new THREE.Vector3());
  const across = Math.max(size.x, size.z, diagonal * 0.25);
  const step = niceStep(across / 8);
  const cells = 2 * Math.ceil((across * 0.6 + step) / step);
  if (grid) {
    scene.remove(grid);
    grid.dispose();
  }
  grid = new THREE.GridHelper(cells * step, cells, '#4a505a', '#343941');
  grid.position.set(Math.round(centre.x / step) * step, Math.min(0, box.min.y),
                    Math.round(centre.z / step) * step);
  scene.add(grid);
  const distance = Math.max(size.length(), diagonal * 0.5) * 1.5;
  camera.near = distance / 1000;
  camera.far = distance * 100;
  camera.position.copy(centre).add(new THREE.Vector3(0.55, 0.3, 1).normalize().multiplyScalar(distance));
  camera.updateProjectionMatrix();
  controls.target.copy(centre);
  controls.update();
}

function niceStep(value) {
  const power = 10 ** Math.floor(Math.log10(value || 1));
  const mantissa = value / power;
  return (mantissa < 1.5 ? 1 : mantissa < 3.5 ? 2 : mantissa < 7.5 ? 5 : 10) * power;
}

world.add(new THREE.AxesHelper(radius * 12));

// --- time ------------------------------------------------------------------------------------

let current = 0;
let playing = false;
let speed = 1;
let anchor = { at: 0, position: 0 };  // the wall clock (ms) and the fractional frame it showed
let shownAt = 0;  // the wall clock (ms) at which the frame shown was the one due
let dirty = true;
const scrub = $('scrub');
scrub.max = Math.max(0, frameCount - 1);

function setFrame(k) {
  current = Math.max(0, Math.min(frameCount - 1, Math.round(k))) || 0;
  const seconds = primary && primary.rate > 0 ? frameTime(primary, current) : 0;
  for (const show of shows) {
    const own = show.input === primary ? current : frameAt(show.input, seconds);
    if (own !== show.frame) showFrame(show, own);
  }
  scrub.value = current;
  $('frame').textContent = frameCount === 0 ? 'no frames'
    : `Frame ${primary.firstFrame + current} (${current + 1} of ${frameCount})`;
  $('time').textContent = primary && primary.rate > 0 ? `${seconds.toFixed(3)} s` : '';
  dirty = true;
}

function setPlaying(on) {
  playing = on && frameCount > 1 && primary.rate > 0;
  anchor = { at: performance.now(), position: current };
  shownAt = anchor.at;
  $('play').textContent = playing ? 'Pause' : 'Play';
}

function step(by) {
  setPlaying(false);
  setFrame((current + by + frameCount) % Math.max(1, frameCount));
}

function tick(now) {
  if (playing) {
    // A frame's time stamp can be a little older than the key press that started playing.
    const elapsed = Math.max(0, now - anchor.at);
    const k = Math.floor(anchor.position + elapsed / 1000 * primary.rate * speed) % frameCount;
    if (k !== current) setFrame(k);
    shownAt = anchor.at + elapsed;
  }
  if (dirty) {
    strip.draw(current);
    if (plotted) plot.draw(plotted.show.frame);
    renderer.render(scene, camera);
    dirty = false;
  }
  requestAnimationFrame(tick);
}

// --- the strip of missing samples ------------------------------------------------------------

// Every marker's gaps, in the slider's frames (the first input's, at its rate).
const gapRows = [];
for (const show of shows) {
  if (show.input.kind !== 'markers') continue;
  const { rate } = show.input;
  const ratio = show.input === primary || !(rate > 0 && primary.rate > 0) ? 1 : primary.rate / rate;
  gaps(show.input).forEach((runs, point) => gapRows.push({
    show, point, runs: runs.map(([from, to]) => [from * ratio, to * ratio]) }));
}
const strip = new GapStrip($('gaps'), gapRows, frameCount);
$('gapkey').hidden = strip.canvas.hidden;

// --- the plot of one point over time ---------------------------------------------------------

const plot = new TrajectoryPlot($('plot'));
let plotted = null;  // { show, point }

function plotPoint(show, point) {
  plotted = show ? { show, point } : null;
  $('plotbox').hidden = !plotted;
  if (plotted) {
    const { input } = show;
    plot.set(trajectory(input, point), kDecimals[input.units] ?? 3);
    $('plotname').innerHTML = `<b style="color:${show.color}">${escape(input.names[point])}</b> ` +
      `${escape(input.file)}, ${escape(input.units)}`;
    $('pick').value = `${shows.indexOf(show)}:${point}`;
  } else {
    plot.set(null);
    $('pick').value = '';
  }
  resize();
}

// --- what is under the pointer ---------------------------------------------------------------

const tip = $('tip');

function describe(show, point, position) {
  const { input } = show;
  const decimals = kDecimals[input.units] ?? 3;
  const name = `<b style="color:${show.color}">${escape(input.names[point])}</b> ${escape(input.file)}`;
  if (!position) return `${name}<br>missing at frame ${input.firstFrame + show.frame}`;
  return `${name}<br>${position.map((v) => v.toFixed(decimals)).join(', ')} ${input.units}`;
}

function escape(text) {
  return text.replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);
}

function showTip(html, clientX, clientY) {
  tip.innerHTML = html;
  tip.hidden = false;
  tip.style.left = `${clientX + 14}px`;
  tip.style.top = `${clientY + 14}px`;
}

// The drawn point nearest the pointer, within 12 pixels.
function pointAt(clientX, clientY) {
  const rect = renderer.domElement.getBoundingClientRect();
  const v = new THREE.Vector3();
  let best = null;
  let bestDistance = 12;
  for (const show of shows) {
    if (!show.spheres.visible || show.frame < 0 || show.input.frames === 0) continue;
    const base = show.frame * show.input.points * 3;
    const p = show.input.positions;
    for (let i = 0; i < show.drawn; ++i) {
      if (p[base + i * 3] !== p[base + i * 3]) continue;
      v.set(p[base + i * 3], p[base + i * 3 + 1], p[base + i * 3 + 2])
        .applyMatrix4(show.group.matrixWorld).project(camera);
      if (v.z > 1) continue;
      const dx = (v.x + 1) / 2 * rect.width + rect.left - clientX;
      const dy = (1 - v.y) / 2 * rect.height + rect.top - clientY;
      const distance = Math.hypot(dx, dy);
      if (distance < bestDistance) {
        bestDistance = distance;
        best = { show, point: i, position: [p[base + i * 3], p[base + i * 3 + 1], p[base + i * 3 + 2]] };
      }
    }
  }
  return best;
}

renderer.domElement.addEventListener('pointermove', (event) => {
  if (event.buttons !== 0) return;
  const hit = pointAt(event.clientX, event.clientY);
  if (hit) showTip(describe(hit.show, hit.point, hit.position), event.clientX, event.clientY);
  else tip.hidden = true;
});
renderer.domElement.addEventListener('pointerleave', () => { tip.hidden = true; });
let pressedAt = null;
renderer.domElement.addEventListener('pointerdown', (event) => { pressedAt = [event.clientX, event.clientY]; });
renderer.domElement.addEventListener('click', (event) => {
  if (pressedAt && Math.hypot(event.clientX - pressedAt[0], event.clientY - pressedAt[1]) > 4) return;
  const hit = pointAt(event.clientX, event.clientY);
  if (hit) plotPoint(hit.show, hit.point);
});
$('plot').addEventListener('click', (event) => {
  if (!plotted) return;
  const k = plot.frameAt(event);
  const { show } = plotted;
  setPlaying(false);
  setFrame(show.input === primary ? k : frameAt(primary, frameTime(show.input, k)));
});
$('plotclose').addEventListener('click', () => plotPoint(null));

strip.canvas.addEventListener('pointermove', (event) => {
  const spot = strip.at(event);
  if (!spot) return;
  const { show, point } = spot.row;
  const own = show.input === primary ? spot.frame : frameAt(show.input, frameTime(primary, spot.frame));
  showTip(`<b style="color:${show.color}">${escape(show.input.names[point])}</b> ` +
          `${spot.missing ? 'missing' : 'seen'} at frame ${show.input.firstFrame + own}`,
          event.clientX, event.clientY - 40);
});
strip.canvas.addEventListener('pointerleave', () => { tip.hidden = true; });
strip.canvas.addEventListener('click', (event) => {
  const spot = strip.at(event);
  if (!spot) return;
  setPlaying(false);
  setFrame(spot.frame);
});

// --- controls --------------------------------------------------------------------------------

function setUp(axis) {
  world.rotation.copy(kUpTurns[axis] ?? kUpTurns.Y);
  $('up').value = axis;
  frameScene();
  dirty = true;
}

scrub.addEventListener('input', () => {
  setPlaying(false);
  setFrame(Number(scrub.value));
});
$('play').addEventListener('click', (event) => {
  setPlaying(!playing);
  event.currentTarget.blur();
});
$('back').addEventListener('click', (event) => { step(-1); event.currentTarget.blur(); });
$('forward').addEventListener('click', (event) => { step(1); event.currentTarget.blur(); });
// A menu lets go of the keyboard once chosen from, so that space plays again.
$('speed').addEventListener('change', (event) => {
  speed = Number(event.target.value);
  if (playing) setPlaying(true);
  event.target.blur();
});
$('pick').addEventListener('change', (event) => {
  const [i, point] = event.target.value.split(':').map(Number);
  plotPoint(event.target.value === '' ? null : shows[i], point);
  event.target.blur();
});
$('up').addEventListener('change', (event) => {
  setUp(event.target.value);
  event.target.blur();
});
controls.addEventListener('change', () => { dirty = true; });

window.addEventListener('keydown', (event) => {
  if (event.target instanceof HTMLSelectElement || event.altKey || event.ctrlKey || event.metaKey) return;
  if (event.key === ' ') setPlaying(!playing);
  else if (event.key === 'ArrowLeft') step(-1);
  else if (event.key === 'ArrowRight') step(1);
  else return;
  event.preventDefault();
});

// The strip first: its height settles how much room the view has.
function resize() {
  strip.layout(scrub.clientWidth);
  if (plotted) plot.layout(scrub.clientWidth, Math.max(90, Math.min(180, window.innerHeight * 0.25)));
  const width = view.clientWidth;
  const height = view.clientHeight;
  renderer.setSize(width, height);
  camera.aspect = width / Math.max(1, height);
  camera.updateProjectionMatrix();
  dirty = true;
}
window.addEventListener('resize', resize);

// --- legend and start ------------------------------------------------------------------------

const legend = $('legend');
shows.forEach((show) => {
  const { input } = show;
  const count = input.kind === 'skeleton' ? `${input.points - input.ends} joints`
                                          : `${input.points} markers`;
  const rate = input.rate > 0 ? `${input.rate} frames/s` : 'no frame rate';
  const row = document.createElement('label');
  row.innerHTML = `<input type="checkbox" checked><span class="swatch" style="background:${show.color}"></span>` +
    `${escape(input.file)} <small>${count}, ${input.frames} frames from ${input.firstFrame}, ${rate}, ` +
    `${escape(input.units)}, ${escape(input.up)} up</small>`;
  row.querySelector('input').addEventListener('change', (event) => {
    show.spheres.visible = event.target.checked;
    if (show.lines) show.lines.visible = event.target.checked;
    event.target.blur();  // the space key plays, it does not toggle the box again
    dirty = true;
  });
  legend.appendChild(row);
  const group = document.createElement('optgroup');
  group.label = input.file;
  for (let point = 0; point < show.drawn; ++point) {
    const option = document.createElement('option');
    option.value = `${shows.indexOf(show)}:${point}`;
    option.textContent = input.names[point];
    group.appendChild(option);
  }
  $('pick').appendChild(group);
});
document.title = `${inputs.map((input) => input.file).join(' + ')} - zarfileio view`;
if (!inputs.some((input) => input.up === 'X')) $('up').querySelector('option[value="X"]').remove();

// The hook the browser tests drive: frames are counted from 0 over the first input; positions are
// read back from what is drawn, in each input's own units and axes.
function drawnPositions() {
  const result = [];
  const matrix = new THREE.Matrix4();
  const at = new THREE.Vector3();
  shows.forEach((show, index) => {
    const { input } = show;
    if (input.frames === 0) return;
    for (let i = 0; i < input.points; ++i) {
      const entry = { input: index, name: input.names[i], end: i >= show.drawn };
      if (i < show.drawn) {
        show.spheres.getMatrixAt(i, matrix);
        at.setFromMatrixPosition(matrix);
        entry.present = matrix.elements[0] !== 0;  // a missing marker is scaled to nothing
      } else {
        const vertex = show.endVertex.get(i) * 3;
        at.fromArray(show.lines.geometry.attributes.position.array, vertex);
        entry.present = true;
      }
      if (entry.present) Object.assign(entry, { x: at.x, y: at.y, z: at.z });
      result.push(entry);
    }
  });
  return result;
}

window.zarViewer = {
  ready: false,
  frameCount,
  firstFrame: primary ? primary.firstFrame : 0,
  rate: primary ? primary.rate : 0,
  inputs: shows.map(({ input, color }) => ({ file: input.file, kind: input.kind, color,
                                             units: input.units, up: input.up })),
  setFrame(k) { setPlaying(false); setFrame(k); },
  frame: () => current,
  // The frame shown and the wall clock (performance.now) at which it was the one due.
  clock: () => [current, shownAt],
  frames: () => shows.map((show) => Math.max(0, show.frame)),  // each input's shown frame
  playing: () => playing,
  up: () => $('up').value,
  setUp,
  // The point plotted under the view: its input, index, name and the values plotted.
  plotted: () => (plotted ? { input: shows.indexOf(plotted.show), point: plotted.point,
                              name: plotted.show.input.names[plotted.point],
                              axes: plot.axes.map((values) => Array.from(values)) } : null),
  plot(input, point) { plotPoint(input === null ? null : shows[input], point); },
  // Where input `index`'s drawn points fall on the screen at the frame shown: the box around
  // them in CSS pixels, and the view's size.
  screenBox(index) {
    const show = shows[index];
    const rect = renderer.domElement.getBoundingClientRect();
    const box = { left: Infinity, right: -Infinity, top: Infinity, bottom: -Infinity,
                  width: rect.width, height: rect.height };
    const v = new THREE.Vector3();
    const p = show.input.positions;
    const base = Math.max(0, show.frame) * show.input.points * 3;
    for (let i = 0; i < show.input.points; ++i) {
      if (p[base + i * 3] !== p[base + i * 3]) continue;
      v.set(p[base + i * 3], p[base + i * 3 + 1], p[base + i * 3 + 2])
        .applyMatrix4(show.group.matrixWorld).project(camera);
      const x = (v.x + 1) / 2 * rect.width;
      const y = (1 - v.y) / 2 * rect.height;
      box.left = Math.min(box.left, x);
      box.right = Math.max(box.right, x);
      box.top = Math.min(box.top, y);
      box.bottom = Math.max(box.bottom, y);
    }
    return box;
  },
  positions(k) {
    if (k !== undefined) this.setFrame(k);
    return drawnPositions();
  },
  // Each input's force plates at the frame shown: the outline's corners and the reaction line
  // (null where there is none), in the input's units and axes.
  plates: () => shows.map((show) => show.plates.map(({ arrow }) => ({
    line: arrow.visible ? Array.from(arrow.geometry.attributes.position.array) : null }))),
  // The marks of the first input's events on the timeline: their titles and frames.
  events: () => Array.from(document.querySelectorAll('#events .event'))
    .map((mark) => ({ title: mark.title, frame: Number(mark.dataset.frame) })),
};

// The first input's events as marks over the timeline (hover for the label); a click goes there.
for (const event of primary?.events ?? []) {
  const mark = document.createElement('span');
  mark.className = 'event';
  mark.title = `${event.context} ${event.label}, frame ${primary.firstFrame + event.frame}`;
  mark.dataset.frame = String(event.frame);
  mark.style.left = `${frameCount > 1 ? event.frame / (frameCount - 1) * 100 : 0}%`;
  mark.addEventListener('click', () => window.zarViewer.setFrame(event.frame));
  $('events').appendChild(mark);
}

setUp(primary ? primary.up : 'Y');
resize();
setFrame(primary ? firstPresentFrame(primary) : 0);
renderer.render(scene, camera);
dirty = false;
window.zarViewer.ready = true;
requestAnimationFrame(tick);
