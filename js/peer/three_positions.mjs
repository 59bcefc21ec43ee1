// three.js reads what zarfileio writes: GLTFLoader the .glb and .gltf of every HTR, TRC and BVH
// sample, BVHLoader the .bvh of every HTR and BVH sample; and BVHLoader reads every BVH sample
// where zarfileio's own BVH reader puts its joints. At the first, a middle and the last frame,
// three's animation mixer must put every joint and marker where zarfileio's own forward
// kinematics of the source puts it (its CSV of world positions, in mm) within 1e-3 mm, after
// the change to Y up (a Z-up source: (x, y, z) becomes (x, z, -y)) and to the file's unit. A
// marker missing in a frame must be hidden there (scale 0) and shown elsewhere (scale 1), and
// successive rotation keys must lie in one hemisphere. A skeleton's glTF must load as an armature:
// one skinned mesh whose bones are its joints.
//
//   node three_positions.mjs ZARFILEIO SAMPLE_FILE_OR_FOLDER...
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import * as THREE from 'three';
import { BVHLoader } from 'three/examples/jsm/loaders/BVHLoader.js';
import { GLTFLoader } from 'three/examples/jsm/loaders/GLTFLoader.js';
import { convert, Failures, htrZUp, nameOf, readPositions, sampleFiles, scratch } from './common.mjs';

// three's FileLoader, which fetches the .gltf's data: URI buffer, reports progress with the
// browser's ProgressEvent, which Node does not have.
globalThis.ProgressEvent ??= class ProgressEvent extends Event {
  constructor(type, init = {}) {
    super(type);
    Object.assign(this, init);
  }
};

const kToleranceMm = 1e-3;
const [tool, ...args] = process.argv.slice(2);
const folder = scratch();
const failures = new Failures();

function arrayBuffer(path) {
  const bytes = readFileSync(path);
  return bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength);
}

// { root, objects (one per expected point, in the CSV's order), clip, mm (file unit in mm) }.
async function loadGltf(path) {
  const gltf = await new GLTFLoader().parseAsync(arrayBuffer(path), '');
  const objects = [];
  gltf.scene.traverse((object) => {
    const index = gltf.parser.associations.get(object)?.nodes;
    if (index !== undefined) objects[index] = object;
  });
  const skinned = [];
  gltf.scene.traverse((object) => { if (object.isSkinnedMesh) skinned.push(object); });
  return { root: gltf.scene, objects, clip: gltf.animations[0], mm: 1000, skinned };
}

// A skeleton's glTF is an armature: one skinned mesh whose bones are the joints, in order.
function checkArmature(loaded, count, what) {
  if (loaded.skinned.length !== 1) {
    failures.add(what, `${loaded.skinned.length} skinned meshes, not 1`);
    return;
  }
  const { bones } = loaded.skinned[0].skeleton;
  if (bones.length !== count || bones.some((bone, i) => bone !== loaded.objects[i] || !bone.isBone)) {
    failures.add(what, `the skin's ${bones.length} bones are not the ${count} joints`);
  }
}

function loadBvh(path, names) {
  const { skeleton, clip } = new BVHLoader().parse(readFileSync(path, 'utf8'));
  const root = new THREE.Group();
  root.add(skeleton.bones[0]);
  const objects = names.map((name) => skeleton.bones.find((bone) => bone.name === name));
  return { root, objects, clip, mm: 1 };
}

// Rotation keys whose dot product with the key before is negative.
function checkHemispheres(clip, what) {
  for (const track of clip?.tracks ?? []) {
    if (track.ValueTypeName !== 'quaternion') continue;
    const v = track.values;
    for (let i = 4; i < v.length; i += 4) {
      const dot = v[i] * v[i - 4] + v[i + 1] * v[i - 3] + v[i + 2] * v[i - 2] + v[i + 3] * v[i - 1];
      if (dot < 0) {
        failures.add(what, `${track.name}: keys ${i / 4 - 1} and ${i / 4} in opposite hemispheres`);
        break;
      }
    }
  }
}

// Evaluates `loaded` at the frames `ks` and compares with the expected positions.
function compare(loaded, expected, ks, zUp, what) {
  const { root, objects, clip, mm } = loaded;
  const n = expected.rows.length;
  const mixer = new THREE.AnimationMixer(root);
  if (clip) mixer.clipAction(clip).setLoop(THREE.LoopOnce).play().clampWhenFinished = true;
  // The key times as stored (those of a track with a key in every frame) must be the source's
  // frame times, to single precision.
  const times = clip?.tracks.find((track) => track.times.length === n)?.times;
  let worst = 0;
  for (const k of ks) {
    const row = expected.rows[k];
    if (times && !loaded.ownClock && Math.abs(times[k] - row.time) > 1e-7 * Math.max(1, row.time)) {
      failures.add(what, `frame ${row.frame} at ${times[k]} s, not ${row.time} s`);
    }
    mixer.setTime(times ? times[k] : Math.fround(row.time));
    root.updateMatrixWorld(true);
    for (let m = 0; m < expected.names.length; ++m) {
      const object = objects[m];
      if (!object) {
        failures.add(what, `no object for ${expected.names[m]}`);
        continue;
      }
      const scale = new THREE.Vector3().setFromMatrixScale(object.matrixWorld);
      const p = row.points[m];
      if (p === null) {
        if (scale.length() !== 0) failures.add(what, `frame ${row.frame} ${expected.names[m]} missing but shown`);
        continue;
      }
      if (Math.abs(scale.x - 1) > 1e-5) failures.add(what, `frame ${row.frame} ${expected.names[m]} present but scaled ${scale.x}`);
      const want = zUp ? [p[0], p[2], -p[1]] : p;
      const got = new THREE.Vector3().setFromMatrixPosition(object.matrixWorld).multiplyScalar(mm);
      const error = Math.max(...[got.x, got.y, got.z].map((g, a) => Math.abs(g - want[a])));
      worst = Math.max(worst, error);
      if (!(error <= kToleranceMm)) {
        failures.add(what, `frame ${row.frame} ${expected.names[m]}: three (${got.toArray()}) vs ours (${want}) mm`);
      }
    }
  }
  return worst;
}

// The variants of a source: as it is, and turned to the other up axis (a TRC file by --up z, an
// HTR file by a copy whose header says Z).
function variants(source) {
  if (/\.trc$/i.test(source)) {
    return [{ source, options: [], zUp: false }, { source, options: ['--up', 'z'], zUp: true }];
  }
  const list = [{ source, options: [], zUp: htrZUp(source) }];
  const text = readFileSync(source, 'latin1');
  if (!list[0].zUp && /^\s*GlobalAxisofGravity\s+Y/m.test(text)) {
    const turned = join(folder, `z_${nameOf(source)}`);
    writeFileSync(turned, text.replace(/^(\s*GlobalAxisofGravity\s+)Y/m, '$1Z'), 'latin1');
    list.push({ source: turned, options: [], zUp: true });
  }
  return list;
}

// The BVH written from an HTR with its first frame's channels all set to 0, as three reads it,
// against the HTR's base pose (the tool's joint positions of a copy of the HTR whose frames are
// all 0, that is at the base pose), both from the root: the rest pose is the base pose.
function checkRestPose(source, bvh, zUp, what) {
  const text = readFileSync(bvh, 'utf8');
  const from = text.indexOf('\n', text.indexOf('Frame Time:')) + 1;
  const to = text.indexOf('\n', from);
  const zeros = text.slice(from, to).split(' ').map(() => '0').join(' ');
  const zeroBvh = join(folder, 'zero.bvh');
  writeFileSync(zeroBvh, text.slice(0, from) + zeros + text.slice(to));
  // Frame lines ("<frame> <seven numbers>") become the base pose; the base position lines start
  // with a segment's name and stay.
  const htr = readFileSync(source, 'latin1').replace(
    /^(\s*-?\d+)(\s+\S+){7}\s*$/gm, (line, frame) => `${frame}\t0\t0\t0\t0\t0\t0\t1`);
  const zeroHtr = join(folder, `zero_${nameOf(source)}`);
  writeFileSync(zeroHtr, htr, 'latin1');
  const csv = join(folder, 'zero.csv');
  const run = convert(tool, zeroHtr, csv, '--units', 'mm');
  if (run.status !== 0) return failures.add(what, run.output);
  const base = readPositions(csv);
  const { root, objects } = loadBvh(zeroBvh, base.names);
  root.updateMatrixWorld(true);
  const origin = base.rows[0].points[0];
  let worst = 0;
  base.names.forEach((name, m) => {
    const p = base.rows[0].points[m].map((v, a) => v - origin[a]);
    const want = zUp ? [p[0], p[2], -p[1]] : p;
    const got = new THREE.Vector3().setFromMatrixPosition(objects[m].matrixWorld);
    const error = Math.max(...[got.x, got.y, got.z].map((g, a) => Math.abs(g - want[a])));
    worst = Math.max(worst, error);
    if (!(error <= kToleranceMm)) {
      failures.add(what, `${name} at rest: three (${got.toArray()}) vs the base pose (${want}) mm`);
    }
  });
  return worst;
}

let checked = 0;
let worst = 0;
for (const original of sampleFiles(args)) {
  for (const { source, options, zUp } of variants(original)) {
    const csv = join(folder, 'expected.csv');
    const run = convert(tool, source, csv, '--units', 'mm');
    if (run.status !== 0) {
      if (!run.output.startsWith(`zarfileio: ${source}: `)) failures.add(nameOf(source), run.output);
      break;
    }
    const expected = readPositions(csv);
    const n = expected.rows.length;
    if (n === 0 || expected.names.length === 0) break;
    const ks = [...new Set([0, Math.floor(n / 2), n - 1])];
    const targets = ['glb', 'gltf'];
    if (/\.(htr|bvh)$/i.test(source)) targets.push('bvh');
    // A BVH source as three reads it (in centimetres, as zarfileio takes BVH lengths), on its own
    // clock: three keys the frames at the file's rounded frame time, zarfileio at the whole rate
    // that time was rounded from (".0083333" is 120 frames/s).
    if (/\.bvh$/i.test(source)) {
      const loaded = { ...loadBvh(source, expected.names), mm: 10, ownClock: true };
      worst = Math.max(worst, compare(loaded, expected, ks, zUp, `${nameOf(source)} as three reads it`));
      ++checked;
    }
    for (const extension of targets) {
      const what = `${nameOf(source)}${options.length ? ' ' + options.join(' ') : ''} .${extension}`;
      const target = join(folder, `out.${extension}`);
      const written = convert(tool, source, target, ...options, '--units', 'mm');
      if (written.status !== 0) {
        failures.add(what, written.output);
        continue;
      }
      const loaded = extension === 'bvh' ? loadBvh(target, expected.names) : await loadGltf(target);
      if (extension !== 'bvh') checkHemispheres(loaded.clip, what);
      if (extension !== 'bvh' && /\.(htr|bvh)$/i.test(source)) checkArmature(loaded, expected.names.length, what);
      worst = Math.max(worst, compare(loaded, expected, ks, zUp, what));
      ++checked;
      if (extension === 'bvh' && /\.htr$/i.test(source)) {
        worst = Math.max(worst, checkRestPose(source, target, zUp, `${what} with zero channels`) ?? 0);
        ++checked;
      }
    }
  }
}
console.log(`largest difference ${worst.toExponential(2)} mm`);
failures.finish(checked);
