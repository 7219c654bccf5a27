// The 3D view: each flight's path and the car's box along it, which the user orbits and zooms.
import * as THREE from './vendor/three.module.js';
import { OrbitControls } from './vendor/OrbitControls.js';
import { everyNth } from './sampling.js';

// Boxes are drawn this many times their size so that they show at the scale of a flight.
export const BOX_SCALE = 4;
// A faint box every this many samples along each path.
const BOX_EVERY = 60;
// A point of the path every this many samples.
const PATH_EVERY = 3;

// The game's axes (X forward, Y right, Z up; left-handed) to three's (Y up, right-handed).
const toScene = (x, y, z) => new THREE.Vector3(x, z, y);

// The car's orientation at sample I, from the flight's quaternion in the game's axes.
export function orientationAt(s, i) {
  // Mirroring Y and Z turns a left-handed rotation into a right-handed one about the mirrored axis.
  return new THREE.Quaternion(-s.qx[i], -s.qz[i], -s.qy[i], s.qw[i]);
}

const matrix = new THREE.Matrix4();
const unit = new THREE.Vector3(1, 1, 1);

// Puts MESH, drawn as GEOMETRY in MATERIAL, where flight S is at sample I, turned as the car is.
function place(mesh, geometry, material, s, i) {
  mesh.geometry = geometry;
  mesh.material = material;
  mesh.position.copy(toScene(s.x[i], s.y[i], s.z[i]));
  mesh.quaternion.copy(orientationAt(s, i));
}

export class View3d {
  constructor(el) {
    this.el = el;
    this.renderer = new THREE.WebGLRenderer({ antialias: false, alpha: false });
    this.renderer.setPixelRatio(window.devicePixelRatio);
    this.renderer.setClearColor(0xf2f4f8);
    el.append(this.renderer.domElement);
    this.scene = new THREE.Scene();
    this.camera = new THREE.PerspectiveCamera(40, 1, 10, 400000);
    this.camera.position.set(-3000, 3000, 9000);
    this.controls = new OrbitControls(this.camera, this.renderer.domElement);
    this.controls.addEventListener('change', () => this.render());
    this.scene.add(new THREE.AmbientLight(0xffffff, 1.6));
    const sun = new THREE.DirectionalLight(0xffffff, 1.6);
    sun.position.set(2000, 8000, 4000);
    this.scene.add(sun);
    this.floor = new THREE.GridHelper(40000, 40, 0xb9c0cc, 0xdde1e8);
    this.scene.add(this.floor);
    this.shadowMaterial = new THREE.MeshBasicMaterial({ color: 0x1d2330, transparent: true, opacity: 0.12 });
    this.group = new THREE.Group();
    this.scene.add(this.group);
    this.framed = false;
    new ResizeObserver(() => this.resize()).observe(el);
    this.resize();
  }

  resize() {
    const w = this.el.clientWidth || 600, h = this.el.clientHeight || 360;
    this.renderer.setSize(w, h);
    this.camera.aspect = w / h;
    this.camera.updateProjectionMatrix();
    this.render();
  }

  // FLIGHTS: [{colour, samples}], AT: the scrubbed sample per flight, BODY: {length, width, height}.
  // A redraw moves what is there already: each flight keeps its path (its buffer refilled, grown
  // only when a longer flight needs it), its boxes and its shadow; the box and shadow shapes
  // and the materials of each colour are made once.
  draw(flights, at, body) {
    const box = this.boxOf(body);
    const bounds = new THREE.Box3();
    this.tracks ??= [];
    while (this.tracks.length > flights.length) this.dropTrack(this.tracks.pop());
    flights.forEach((f, k) => {
      const s = f.samples;
      const n = s.x.length;
      const track = (this.tracks[k] ??= this.newTrack());
      const look = this.materialsOf(f.colour);
      let positions = track.path.geometry.getAttribute('position');
      if (!positions || positions.count < n) {
        track.path.geometry.dispose();
        track.path.geometry = new THREE.BufferGeometry();
        positions = new THREE.BufferAttribute(new Float32Array(Math.max(n, 1024) * 3), 3);
        track.path.geometry.setAttribute('position', positions);
      }
      // The path through every PATH_EVERY-th sample and the last: closer than a pixel apart at
      // any zoom that shows a whole flight, and a line strip a third as long to draw.
      const xyz = positions.array;
      const kept = everyNth(n, PATH_EVERY);
      kept.forEach((i, p) => {
        xyz[p * 3] = s.x[i];
        xyz[p * 3 + 1] = s.z[i];
        xyz[p * 3 + 2] = s.y[i];
      });
      const points = kept.length;
      positions.needsUpdate = true;
      track.path.geometry.setDrawRange(0, points);
      track.path.material = look.line;
      if (!this.framed) for (let i = 0; i < points; i++) bounds.expandByPoint(new THREE.Vector3(xyz[i * 3], xyz[i * 3 + 1], xyz[i * 3 + 2]));
      // The faint boxes are instances of one mesh: one draw for all of a flight's boxes.
      const faint = Math.ceil(n / BOX_EVERY);
      if (!track.boxes || track.boxes.instanceMatrix.count < faint) {
        if (track.boxes) this.group.remove(track.boxes);
        track.boxes?.dispose();
        track.boxes = new THREE.InstancedMesh(box, look.faint, Math.max(faint, 32));
        track.boxes.frustumCulled = false;
        this.group.add(track.boxes);
      }
      track.boxes.geometry = box;
      track.boxes.material = look.faint;
      track.boxes.count = faint;
      for (let j = 0; j < faint; j++) {
        const i = j * BOX_EVERY;
        track.boxes.setMatrixAt(j, matrix.compose(toScene(s.x[i], s.y[i], s.z[i]), orientationAt(s, i), unit));
      }
      track.boxes.instanceMatrix.needsUpdate = true;
      const i = Math.min(at[k], n - 1);
      place(track.solid, box, look.solid, s, i);
      track.shadow.geometry = this.shadowOf(body);
      track.shadow.position.set(s.x[i], 1, s.y[i]);
    });
    if (!this.framed && !bounds.isEmpty()) this.frame(bounds);
    this.render();
  }

  // One flight's objects in the scene: its path, its faint boxes, the solid box at the scrubbed
  // moment and that box's shadow.
  newTrack() {
    const track = { path: new THREE.Line(new THREE.BufferGeometry()), boxes: null, solid: this.addBox(this.box) };
    track.path.frustumCulled = false;
    this.group.add(track.path);
    track.shadow = new THREE.Mesh(this.shadow, this.shadowMaterial);
    track.shadow.rotation.x = -Math.PI / 2;
    this.group.add(track.shadow);
    return track;
  }

  dropTrack(track) {
    track.path.geometry.dispose();
    track.boxes?.dispose();
    this.group.remove(track.path, track.solid, track.shadow, track.boxes);
  }

  boxOf(body) {
    if (this.body !== body) {
      this.box?.dispose();
      this.shadow?.dispose();
      this.box = new THREE.BoxGeometry(body.length * BOX_SCALE, body.height * BOX_SCALE, body.width * BOX_SCALE);
      this.shadow = new THREE.CircleGeometry(body.length * BOX_SCALE * 0.4, 24);
      this.body = body;
    }
    return this.box;
  }

  shadowOf(body) {
    this.boxOf(body);
    return this.shadow;
  }

  materialsOf(colour) {
    this.materials ??= new Map();
    let look = this.materials.get(colour);
    if (!look) {
      const c = new THREE.Color(colour);
      look = {
        line: new THREE.LineBasicMaterial({ color: c }),
        faint: new THREE.MeshLambertMaterial({ color: c, transparent: true, opacity: 0.18 }),
        solid: new THREE.MeshLambertMaterial({ color: c }),
      };
      this.materials.set(colour, look);
    }
    return look;
  }

  addBox(geometry) {
    const mesh = new THREE.Mesh(geometry);
    this.group.add(mesh);
    return mesh;
  }

  // Looks at the flights from the side and a little behind, once; the user's view is kept after.
  frame(bounds) {
    const centre = bounds.getCenter(new THREE.Vector3());
    const size = bounds.getSize(new THREE.Vector3()).length();
    this.controls.target.copy(centre);
    this.camera.position.set(centre.x - size * 0.25, centre.y + size * 0.35, centre.z + size * 0.9);
    this.controls.update();
    this.framed = true;
  }

  render() {
    this.renderer.render(this.scene, this.camera);
  }

  // The camera's place, for tests and for keeping the view.
  cameraState() {
    const p = this.camera.position;
    return { x: p.x, y: p.y, z: p.z, distance: p.distanceTo(this.controls.target) };
  }
}
