// The 3D view: each flight's path and the car's box along it, which the user orbits and zooms.
import * as THREE from './vendor/three.module.js';
import { OrbitControls } from './vendor/OrbitControls.js';

// Boxes are drawn this many times their size so that they show at the scale of a flight.
export const BOX_SCALE = 4;
// A faint box every this many samples along each path.
const BOX_EVERY = 60;

// The game's axes (X forward, Y right, Z up; left-handed) to three's (Y up, right-handed).
const toScene = (x, y, z) => new THREE.Vector3(x, z, y);

// The car's orientation at sample I: its own when the flight carries it, else along its velocity.
export function orientationAt(s, i) {
  if (s.qw) {
    // Mirroring Y and Z turns a left-handed rotation into a right-handed one about the mirrored axis.
    return new THREE.Quaternion(-s.qx[i], -s.qz[i], -s.qy[i], s.qw[i]);
  }
  const v = toScene(s.vx[i], s.vy[i], s.vz[i]);
  if (v.lengthSq() < 1e-6) return new THREE.Quaternion();
  return new THREE.Quaternion().setFromUnitVectors(new THREE.Vector3(1, 0, 0), v.normalize());
}

export class View3d {
  constructor(el) {
    this.el = el;
    this.renderer = new THREE.WebGLRenderer({ antialias: false });
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
  // A redraw replaces the paths and boxes; the box and shadow shapes and the materials of each
  // colour are made once and kept, the paths' buffers freed with them.
  draw(flights, at, body) {
    for (const child of this.group.children) if (child.isLine) child.geometry.dispose();
    this.group.clear();
    const box = this.boxOf(body);
    const bounds = new THREE.Box3();
    flights.forEach((f, k) => {
      const s = f.samples;
      const n = s.x.length;
      const positions = new Float32Array(n * 3);
      for (let i = 0; i < n; i++) positions.set([s.x[i], s.z[i], s.y[i]], i * 3);
      const path = new THREE.BufferGeometry();
      path.setAttribute('position', new THREE.BufferAttribute(positions, 3));
      path.computeBoundingBox();
      bounds.union(path.boundingBox);
      const look = this.materialsOf(f.colour);
      this.group.add(new THREE.Line(path, look.line));
      for (let i = 0; i < n; i += BOX_EVERY) this.addBox(box, look.faint, toScene(s.x[i], s.y[i], s.z[i]), orientationAt(s, i));
      const i = Math.min(at[k], n - 1);
      const here = toScene(s.x[i], s.y[i], s.z[i]);
      this.addBox(box, look.solid, here, orientationAt(s, i));
      const shadow = new THREE.Mesh(this.shadowOf(body), this.shadowMaterial);
      shadow.rotation.x = -Math.PI / 2;
      shadow.position.set(here.x, 1, here.z);
      this.group.add(shadow);
    });
    if (!this.framed && !bounds.isEmpty()) this.frame(bounds);
    this.render();
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
    this.shadowMaterial ??= new THREE.MeshBasicMaterial({ color: 0x1d2330, transparent: true, opacity: 0.12 });
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

  addBox(geometry, material, position, quaternion) {
    const mesh = new THREE.Mesh(geometry, material);
    mesh.position.copy(position);
    mesh.quaternion.copy(quaternion);
    this.group.add(mesh);
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
