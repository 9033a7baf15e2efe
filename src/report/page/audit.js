'use strict';
(() => {

// STYLES: every check keeps its colour and shape on every page, as on the desktop's map.
const OTHER_STYLE = ['', '#BBBBBB', 'circle'];
const PAGE_ROWS = 1000;
const MARKER_RADIUS = 4.5; // CSS pixels at any scale of the picture
const HIT_RADIUS = 8;
const PATH_BATCH = 4096; // markers per canvas path: very long paths get slow to fill

const byId = (id) => document.getElementById(id);
function add(parent, tag, text) {
  const node = document.createElement(tag);
  if (text !== undefined) node.textContent = text;
  parent.appendChild(node);
  return node;
}
function grouped(n) {
  return String(n).replace(/\B(?=(\d{3})+(?!\d))/g, ',');
}
function shown(value) {
  return value === undefined || value === null ? '' : String(value);
}
function problem(text) {
  const p = byId('problem');
  p.textContent = p.hidden ? text : p.textContent + ' ' + text;
  p.hidden = false;
}

let audit = {};
try {
  audit = JSON.parse(byId('audit-data').textContent);
} catch (error) {
  problem('The audit data cannot be read: ' + error.message);
}
if (audit === null || typeof audit !== 'object') audit = {};
if (audit.format !== undefined && audit.format !== 'vantor-audit') {
  problem('This data is not an audit (format "' + audit.format + '").');
}
if (Number(audit.formatVersion) > 1) {
  problem('The audit was written by a newer version; parts of it may not be shown.');
}
const summary = audit.summary && typeof audit.summary === 'object' ? audit.summary : {};
const counts = summary.counts && typeof summary.counts === 'object' ? summary.counts : {};
const skipped = Array.isArray(summary.skipped) ? summary.skipped : [];
const findings = Array.isArray(audit.findings) ? audit.findings : [];
const count = findings.length;

// The checks of this audit: the known ones in their order, then any others as met.
const checks = [];
const checkIndex = new Map();
function checkOfName(name) {
  name = shown(name);
  let index = checkIndex.get(name);
  if (index === undefined) {
    const style = STYLES.find((s) => s[0] === name) || OTHER_STYLE;
    index = checks.length;
    checks.push({ name, colour: style[1], shape: style[2], listed: 0, shown: true });
    checkIndex.set(name, index);
  }
  return index;
}
const mentioned = new Set(Object.keys(counts));
skipped.forEach((s) => mentioned.add(shown(s && s.check)));
findings.forEach((f) => mentioned.add(shown(f !== null && typeof f === 'object' ? f.check : '')));
STYLES.forEach((s) => { if (mentioned.has(s[0])) checkOfName(s[0]); });
mentioned.forEach((name) => checkOfName(name));

// Header.
const tool = audit.tool || {};
byId('tool').textContent = 'Written by ' + [tool.name, tool.version].filter((v) => v).join(' ');
const theater = audit.theater || {};
byId('theater').textContent = 'Theater: ' + shown(theater.name) + ', ' + shown(theater.mapWidth) +
  ' \u00d7 ' + shown(theater.mapHeight) + ' posts, ' + shown(theater.sectionsX) + ' \u00d7 ' +
  shown(theater.sectionsY) + ' sections';
const inputs = Array.isArray(audit.inputs) ? audit.inputs : [];
byId('inputs').hidden = !inputs.length;
const inputRows = byId('inputs').tBodies[0];
inputs.forEach((raw) => {
  const input = raw !== null && typeof raw === 'object' ? raw : {};
  const tr = add(inputRows, 'tr');
  add(tr, 'td', shown(input.role));
  add(tr, 'td', shown(input.path));
  add(tr, 'td', Number.isFinite(input.size) ? grouped(input.size) + ' bytes' : '').className =
    'number';
});

// Findings in picture coordinates.
const mapBox = byId('map');
const picture = byId('map-picture');
const canvas = byId('markers');
const mark = byId('selection-mark');
const place = mapBox ? mapBox.dataset : {};
const originX = Number(place.originX) || 0;
const originY = Number(place.originY) || 0;
const perPost = Number(place.pixelsPerPost) || 1;
const pictureWidth = () => Number(place.width) > 0 ? Number(place.width) : picture.naturalWidth;
const pictureHeight = () => Number(place.height) > 0 ? Number(place.height) : picture.naturalHeight;

// The view of the map: zoomed about a point and panned, in CSS pixels of the map's box. The
// picture moves under a transform; the markers are drawn anew at their size, wherever they are.
const mapView = byId('map-view');
let zoom = 1;
let panX = 0;
let panY = 0;
// The picture's size as laid out, to the fraction of a pixel (offsetWidth rounds, which at a
// deep zoom puts the markers a pixel or two off): the map's box, which no transform touches,
// within its border.
const layoutWidth = () => (picture && mapBox ?
  mapBox.getBoundingClientRect().width - mapBox.clientLeft * 2 : 0);
const layoutHeight = () => (picture && mapBox ?
  mapBox.getBoundingClientRect().height - mapBox.clientTop * 2 : 0);
const baseScaleX = () => layoutWidth() / pictureWidth();
const baseScaleY = () => layoutHeight() / pictureHeight();
const viewX = (px) => px * baseScaleX() * zoom + panX;
const viewY = (py) => py * baseScaleY() * zoom + panY;
// Deep enough that one post covers 32 CSS pixels.
const maxZoom = () => Math.max(1, 32 / (perPost * Math.max(baseScaleX(), 1e-9)));

const checkOf = new Uint16Array(count);
const atX = new Float64Array(count);
const atY = new Float64Array(count);
const drawnLists = checks.map(() => []);
const entry = (i) => findings[i] !== null && typeof findings[i] === 'object' ? findings[i] : {};
findings.forEach((raw, i) => {
  const f = entry(i);
  const c = checkOfName(f.check);
  checkOf[i] = c;
  checks[c].listed++;
  const x = Number(f.mapX);
  const y = Number(f.mapY);
  atX[i] = (x + 0.5 - originX) * perPost;
  atY[i] = (originY - (y + 0.5)) * perPost;
  if (picture && checks[c].shape !== 'none' && f.mapX !== null && f.mapY !== null &&
      Number.isFinite(x) && Number.isFinite(y)) {
    drawnLists[c].push(i);
  }
});
const drawn = drawnLists.map((list) => Int32Array.from(list));
const onMap = new Uint8Array(count);
drawn.forEach((list) => list.forEach((i) => { onMap[i] = 1; }));

// Summary.
const summaryRows = byId('summary').tBodies[0];
function swatch(parent, check) {
  const s = add(parent, 'span');
  s.className = 'swatch';
  s.style.backgroundColor = check.colour;
  return s;
}
checks.forEach((check) => {
  const tr = add(summaryRows, 'tr');
  const name = add(tr, 'td');
  swatch(name, check);
  name.appendChild(document.createTextNode(check.name));
  const n = counts[check.name];
  add(tr, 'td', Number.isFinite(n) ? grouped(n) : '').className = 'number';
  const reasons = skipped.filter((s) => s && shown(s.check) === check.name)
    .map((s) => 'skipped: ' + shown(s.reason));
  if (check.name === 'parents' && summary.parentRule === 'type-or-class-code') {
    reasons.push('cities and towns by Type or by class (OCDList.dat)');
  } else if (check.name === 'parents' && summary.parentRule === 'type') {
    reasons.push('cities and towns by Type');
  }
  const radar = summary.radarSettings;
  if (check.name === 'radar' && radar && typeof radar === 'object') {
    reasons.push('profiles of ' + shown(radar.maxRange) + ' km by ' + shown(radar.rangeIncrement) +
      ' km, every ' + shown(radar.azimuthIncrement) + '°');
  }
  const note = add(tr, 'td', reasons.join('; '));
  if (reasons.some((r) => r.startsWith('skipped'))) note.className = 'skipped';
});
const totalRow = add(byId('summary').tFoot, 'tr');
add(totalRow, 'td', 'Total');
add(totalRow, 'td', grouped(Number.isFinite(summary.total) ? summary.total : count)).className =
  'number';
add(totalRow, 'td');
if (Number.isFinite(summary.total) && summary.total !== count) {
  byId('summary-note').textContent = 'The list below holds ' + grouped(count) + ' findings.';
}

// Markers.
function addShape(ctx, shape, x, y, r) {
  if (shape === 'square') {
    ctx.rect(x - 0.85 * r, y - 0.85 * r, 1.7 * r, 1.7 * r);
  } else if (shape === 'diamond') {
    ctx.moveTo(x, y - 1.2 * r);
    ctx.lineTo(x + 1.2 * r, y);
    ctx.lineTo(x, y + 1.2 * r);
    ctx.lineTo(x - 1.2 * r, y);
    ctx.closePath();
  } else if (shape === 'triangle') {
    ctx.moveTo(x, y - 1.25 * r);
    ctx.lineTo(x + 1.15 * r, y + 0.85 * r);
    ctx.lineTo(x - 1.15 * r, y + 0.85 * r);
    ctx.closePath();
  } else {
    ctx.moveTo(x + r, y);
    ctx.arc(x, y, r, 0, 2 * Math.PI);
  }
}
// A white halo under a black outline keeps every colour visible on land, sea and roads alike.
function paint(ctx, check) {
  ctx.lineJoin = 'round';
  ctx.strokeStyle = '#fff';
  ctx.lineWidth = 3;
  ctx.stroke();
  ctx.fillStyle = check.colour;
  ctx.fill();
  ctx.strokeStyle = '#000';
  ctx.lineWidth = 1;
  ctx.stroke();
}
function drawMarkers() {
  if (!canvas) return;
  const box = { width: layoutWidth(), height: layoutHeight() };
  const ratio = window.devicePixelRatio || 1;
  const w = Math.max(1, Math.round(box.width * ratio));
  const h = Math.max(1, Math.round(box.height * ratio));
  if (canvas.width !== w || canvas.height !== h) {
    canvas.width = w;
    canvas.height = h;
  }
  const ctx = canvas.getContext('2d');
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  ctx.clearRect(0, 0, w, h);
  if (!(box.width > 0) || !(pictureWidth() > 0) || !(pictureHeight() > 0)) return;
  ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
  picture.classList.toggle('enlarged', baseScaleX() * zoom > 1);
  const margin = 2 * MARKER_RADIUS;
  checks.forEach((check, c) => {
    if (!check.shown) return;
    const list = drawn[c];
    for (let from = 0; from < list.length; from += PATH_BATCH) {
      ctx.beginPath();
      const to = Math.min(list.length, from + PATH_BATCH);
      for (let k = from; k < to; k++) {
        if (onlyNew() && entry(list[k]).new !== true) continue;
        const x = viewX(atX[list[k]]);
        const y = viewY(atY[list[k]]);
        if (x < -margin || y < -margin || x > box.width + margin || y > box.height + margin) {
          continue;
        }
        addShape(ctx, check.shape, x, y, MARKER_RADIUS);
      }
      paint(ctx, check);
    }
  });
}
function describeZoom() {
  const note = byId('zoom-note');
  if (!note) return;
  const post = perPost * baseScaleX() * zoom;
  note.textContent = zoom > 1 ? 'one post is ' + post.toFixed(post < 10 ? 1 : 0) +
    ' pixels: drag to move the map' : 'the whole map; the wheel or + zooms in';
}
function clampPan() {
  panX = Math.min(0, Math.max(layoutWidth() * (1 - zoom), panX));
  panY = Math.min(0, Math.max(layoutHeight() * (1 - zoom), panY));
}
function applyView() {
  clampPan();
  if (mapView) {
    mapView.style.transform = 'translate(' + panX + 'px, ' + panY + 'px) scale(' + zoom + ')';
  }
  drawMarkers();
  placeMark();
  describeZoom();
}
// Zooms by factor about a point of the map's box.
function zoomAt(factor, cx, cy) {
  const z = Math.min(maxZoom(), Math.max(1, zoom * factor));
  panX = cx - (cx - panX) * z / zoom;
  panY = cy - (cy - panY) * z / zoom;
  zoom = z;
  applyView();
}
// Brings a finding into view when it lies outside it.
function reveal(index) {
  const x = viewX(atX[index]);
  const y = viewY(atY[index]);
  if (x >= 0 && y >= 0 && x <= layoutWidth() && y <= layoutHeight()) return;
  panX += layoutWidth() / 2 - x;
  panY += layoutHeight() / 2 - y;
  applyView();
}

// Legend and filter in one: a check's box hides or shows its markers and its rows.
const legend = byId('legend');
checks.forEach((check) => {
  const label = add(legend, 'label');
  const box = add(label, 'input');
  box.type = 'checkbox';
  box.checked = true;
  box.dataset.check = check.name;
  box.addEventListener('change', () => {
    check.shown = box.checked;
    filterChanged();
  });
  const icon = add(label, 'canvas');
  icon.width = 16;
  icon.height = 16;
  const ctx = icon.getContext('2d');
  ctx.beginPath();
  addShape(ctx, check.shape === 'none' ? 'square' : check.shape, 8, 8, 4.5);
  paint(ctx, check);
  add(label, 'span', check.name);
  add(label, 'span', '(' + grouped(check.listed) + (check.shape === 'none' && check.listed ?
    ', not on the map)' : ')')).className = 'count';
});
function setAll(on) {
  legend.querySelectorAll('input[type=checkbox]').forEach((box) => { box.checked = on; });
  checks.forEach((check) => { check.shown = on; });
  filterChanged();
}
add(legend, 'button', 'All').addEventListener('click', () => setAll(true));
add(legend, 'button', 'None').addEventListener('click', () => setAll(false));
legend.querySelectorAll('button').forEach((b) => { b.type = 'button'; });

// The table shows a window of the filtered findings, a page of rows at a time.
const rows = byId('findings').tBodies[0];
let filtered = new Int32Array(0);
let first = 0;
let last = 0;
let selected = -1;
let overlapNote = ''; // "2 of 3 findings here" after a click where markers lie on each other

// The rows shown: the findings of the checks ticked that hold the search text, in the order
// of the column clicked (file order until one is).
let sortColumn = -1;
let sortDescending = false;
let positionIn = new Int32Array(count);
let searchTexts = null;
const searchBox = byId('search');
const COLUMN_KEYS = [
  (f, i) => checks[checkOf[i]].name, (f) => Number(f.mapX), (f) => Number(f.mapY),
  (f) => Number(f.sectX), (f) => Number(f.sectY), (f) => Number(f.tileX), (f) => Number(f.tileY),
  (f) => (Number.isFinite(f.objectId) ? f.objectId : -Infinity), (f) => shown(f.objectName),
  (f) => shown(f.detail), (f) => repairCount(f),
];
function textOf(i) {
  if (!searchTexts) {
    searchTexts = new Array(count);
  }
  if (searchTexts[i] === undefined) {
    const f = entry(i);
    searchTexts[i] = [checks[checkOf[i]].name, f.mapX, f.mapY, f.objectId, f.objectName,
      f.detail, repairText(f)].map(shown).join(' ').toLowerCase();
  }
  return searchTexts[i];
}
// Against a baseline: the new findings are marked, and can be shown alone.
const baseline = summary.baseline && typeof summary.baseline === 'object' ? summary.baseline : null;
const comparing = baseline !== null;
const onlyNewBox = byId('only-new');
const onlyNew = () => comparing && onlyNewBox && onlyNewBox.checked;
if (comparing && onlyNewBox) {
  onlyNewBox.parentNode.hidden = false;
  byId('only-new-count').textContent = grouped(Number(baseline.new) || 0) + ' new, ' +
    grouped(Number(baseline.known) || 0) + ' in the baseline ' + shown(baseline.path) +
    (Number(baseline.renumbered) > 0
      ? ' (' + grouped(Number(baseline.renumbered)) + ' of them under another objective ID)' : '');
  onlyNewBox.addEventListener('change', () => filterChanged());
}
function filter() {
  const term = searchBox ? searchBox.value.trim().toLowerCase() : '';
  const list = [];
  for (let i = 0; i < count; i++) {
    if (checks[checkOf[i]].shown && (!term || textOf(i).includes(term)) &&
        (!onlyNew() || entry(i).new === true)) {
      list.push(i);
    }
  }
  if (sortColumn >= 0) {
    const key = COLUMN_KEYS[sortColumn];
    const keys = new Map(list.map((i) => [i, key(entry(i), i)]));
    const sign = sortDescending ? -1 : 1;
    list.sort((a, b) => {
      const ka = keys.get(a);
      const kb = keys.get(b);
      const order = typeof ka === 'number' && typeof kb === 'number' ?
        (ka === kb || (Number.isNaN(ka) && Number.isNaN(kb)) ? 0 :
          Number.isNaN(ka) ? 1 : Number.isNaN(kb) ? -1 : ka < kb ? -1 : 1) :
        String(ka).localeCompare(String(kb), undefined, { numeric: true });
      return order !== 0 ? sign * order : a - b;
    });
  }
  filtered = Int32Array.from(list);
  positionIn = new Int32Array(count).fill(-1);
  filtered.forEach((index, position) => { positionIn[index] = position; });
}
function positionOf(index) {
  return index >= 0 && index < count ? positionIn[index] : -1;
}
if (searchBox) searchBox.addEventListener('input', () => filterChanged());
Array.from(byId('findings').tHead.rows[0].cells).forEach((cell, column) => {
  cell.title = 'Sort by ' + cell.textContent;
  cell.addEventListener('click', () => {
    sortDescending = sortColumn === column ? !sortDescending : false;
    sortColumn = column;
    Array.from(cell.parentNode.cells).forEach((c) => c.removeAttribute('aria-sort'));
    cell.setAttribute('aria-sort', sortDescending ? 'descending' : 'ascending');
    filterChanged();
  });
});
// What would mend a finding: its suggestions, best first, or why there is none.
function repairText(f) {
  const list = Array.isArray(f.suggestions) ?
    f.suggestions.filter((s) => s && typeof s.text === 'string').map((s) => s.text) : [];
  const note = typeof f.repairNote === 'string' ? f.repairNote : '';
  return list.length ? list.join('; or ') + (note ? ' (' + note + ')' : '') : note;
}
function repairCount(f) {
  return Array.isArray(f.suggestions) ? f.suggestions.length : 0;
}
function makeRow(i) {
  const f = entry(i);
  const check = checks[checkOf[i]];
  const tr = document.createElement('tr');
  tr.id = 'finding-' + i;
  tr.dataset.index = i;
  tr.dataset.check = check.name;
  const name = add(tr, 'td');
  swatch(name, check);
  name.appendChild(document.createTextNode(check.name));
  if (comparing && f.new === true) {
    tr.classList.add('new');
    add(name, 'span', 'new').className = 'badge';
  }
  [f.mapX, f.mapY, f.sectX, f.sectY, f.tileX, f.tileY, f.objectId].forEach((v) => {
    add(tr, 'td', shown(v)).className = 'number';
  });
  add(tr, 'td', shown(f.objectName)).className = 'name';
  // A row keeps to two lines: the whole detail is its cell's tooltip, and the repairs (counted
  // here) are told under the map when the row is selected.
  const detail = add(tr, 'td');
  detail.title = shown(f.detail);
  add(detail, 'div', shown(f.detail)).className = 'clamp';
  const repairs = add(tr, 'td', repairCount(f) ? String(repairCount(f)) : '');
  repairs.className = 'number';
  repairs.title = repairText(f);
  if (i === selected) {
    tr.className = 'selected';
    tr.setAttribute('aria-selected', 'true');
  }
  return tr;
}
function rowsOf(from, to) {
  const part = document.createDocumentFragment();
  for (let k = from; k < to; k++) part.appendChild(makeRow(filtered[k]));
  return part;
}
function describeWindow() {
  const note = byId('rows-note');
  if (!filtered.length) {
    note.textContent = count ? 'No finding of the checks shown.' : 'No findings.';
  } else {
    note.textContent = 'Rows ' + grouped(first + 1) + '\u2013' + grouped(last) + ' of ' +
      grouped(filtered.length) + (filtered.length !== count ? ' shown (' + grouped(count) +
      ' in all)' : '') + '. Click a row to mark it on the map, a marker to find its row.';
  }
  byId('earlier').hidden = first === 0;
  byId('more').hidden = last >= filtered.length;
}
function showWindow(from) {
  first = Math.max(0, Math.min(from, filtered.length));
  last = Math.min(filtered.length, first + PAGE_ROWS);
  rows.replaceChildren(rowsOf(first, last));
  describeWindow();
}
byId('more').addEventListener('click', () => {
  const to = Math.min(filtered.length, last + PAGE_ROWS);
  rows.appendChild(rowsOf(last, to));
  last = to;
  describeWindow();
});
byId('earlier').addEventListener('click', () => {
  const from = Math.max(0, first - PAGE_ROWS);
  rows.insertBefore(rowsOf(from, first), rows.firstChild);
  first = from;
  describeWindow();
});

// Selection.
function placeMark() {
  const note = byId('selection-note');
  if (selected < 0) {
    if (mark) mark.hidden = true;
    note.textContent = '';
    return;
  }
  const f = entry(selected);
  const repair = repairText(f);
  const where = checks[checkOf[selected]].name + ' at Map X ' + shown(f.mapX) + ', Map Y ' +
    shown(f.mapY) + (f.detail ? ': ' + shown(f.detail) : '') +
    (repair ? '. Repair: ' + repair : '');
  if (!mark || !onMap[selected]) {
    if (mark) mark.hidden = true;
    note.textContent = 'Selected ' + where + ' (not on the map).';
    return;
  }
  mark.style.left = viewX(atX[selected]) + 'px';
  mark.style.top = viewY(atY[selected]) + 'px';
  mark.dataset.index = selected;
  mark.hidden = false;
  note.textContent = 'Selected ' + where + '.' + overlapNote;
}
function select(index, from) {
  if (from !== 'map') overlapNote = '';
  if (index >= 0 && from === 'table' && onMap[index]) reveal(index);
  const old = selected >= 0 ? byId('finding-' + selected) : null;
  if (old) {
    old.classList.remove('selected');
    old.removeAttribute('aria-selected');
  }
  selected = index;
  if (index >= 0 && from === 'map') {
    if (positionOf(index) < 0 && searchBox && searchBox.value) {
      searchBox.value = ''; // the finding clicked is shown, whatever the search held
      filter();
    }
    const check = checks[checkOf[index]];
    if (!check.shown) {
      check.shown = true;
      legend.querySelector('input[data-check="' + CSS.escape(check.name) + '"]').checked = true;
      filterChanged();
    }
    const position = positionOf(index);
    if (position < first || position >= last) {
      showWindow(Math.floor(position / PAGE_ROWS) * PAGE_ROWS);
    }
  }
  const row = index >= 0 ? byId('finding-' + index) : null;
  if (row) {
    row.classList.add('selected');
    row.setAttribute('aria-selected', 'true');
  }
  placeMark();
  if (from === 'map' && row) row.scrollIntoView({ block: 'nearest' });
  if (from === 'table' && mark && !mark.hidden) mark.scrollIntoView({ block: 'nearest' });
}
function filterChanged() {
  filter();
  if (selected >= 0 && !checks[checkOf[selected]].shown) select(-1);
  showWindow(0);
  drawMarkers();
}
rows.addEventListener('click', (event) => {
  const row = event.target.closest('tr[data-index]');
  if (row) select(Number(row.dataset.index), 'table');
});
if (canvas) {
  // Clicking again where markers overlap steps through them.
  canvas.addEventListener('click', (event) => {
    if (dragged) return; // the end of a drag, not a click
    const box = canvas.getBoundingClientRect();
    if (!(box.width > 0) || !(pictureWidth() > 0)) return;
    const cx = (event.clientX - box.left) * layoutWidth() / box.width;
    const cy = (event.clientY - box.top) * layoutHeight() / box.height;
    const near = [];
    let best = HIT_RADIUS * HIT_RADIUS;
    checks.forEach((check, c) => {
      if (!check.shown) return;
      for (const i of drawn[c]) {
        if (onlyNew() && entry(i).new !== true) continue;
        const dx = viewX(atX[i]) - cx;
        const dy = viewY(atY[i]) - cy;
        const d = dx * dx + dy * dy;
        if (d <= HIT_RADIUS * HIT_RADIUS) {
          near.push([d, i]);
          best = Math.min(best, d);
        }
      }
    });
    const hits = near.filter((h) => h[0] <= best + 1).map((h) => h[1]).sort((a, b) => a - b);
    if (!hits.length) return;
    const next = (hits.indexOf(selected) + 1) % hits.length;
    overlapNote = hits.length > 1 ? ' Finding ' + (next + 1) + ' of ' + hits.length +
      ' here: click again for the next.' : '';
    select(hits[next], 'map');
  });
  // The wheel zooms about the mouse; dragging moves the map.
  let dragFrom = null;
  let dragged = false;
  mapBox.addEventListener('wheel', (event) => {
    event.preventDefault();
    const box = mapBox.getBoundingClientRect();
    zoomAt(event.deltaY < 0 ? 1.25 : 0.8, event.clientX - box.left - mapBox.clientLeft,
      event.clientY - box.top - mapBox.clientTop);
  }, { passive: false });
  canvas.addEventListener('pointerdown', (event) => {
    dragFrom = [event.clientX, event.clientY, panX, panY];
    dragged = false;
  });
  canvas.addEventListener('pointermove', (event) => {
    if (!dragFrom || !(event.buttons & 1)) return;
    const dx = event.clientX - dragFrom[0];
    const dy = event.clientY - dragFrom[1];
    if (!dragged && dx * dx + dy * dy < 16) return;
    dragged = true;
    canvas.setPointerCapture(event.pointerId);
    panX = dragFrom[2] + dx;
    panY = dragFrom[3] + dy;
    applyView();
  });
  canvas.addEventListener('pointerup', () => {
    dragFrom = null;
    setTimeout(() => { dragged = false; }, 0); // after the click this drag ends in
  });
  const centreZoom = (factor) => zoomAt(factor, layoutWidth() / 2, layoutHeight() / 2);
  byId('zoom-in').addEventListener('click', () => centreZoom(2));
  byId('zoom-out').addEventListener('click', () => centreZoom(0.5));
  byId('zoom-whole').addEventListener('click', () => { zoom = 1; panX = 0; panY = 0; applyView(); });
  new ResizeObserver(applyView).observe(picture);
  picture.addEventListener('load', applyView);
}

filter();
showWindow(0);
drawMarkers();

// #closeup: the first finding on the map, zoomed in until its posts show one by one (for a
// picture of the page at post level).
if (location.hash === '#closeup' && picture) {
  const closeUp = () => {
    let first = -1;
    for (let i = 0; i < count && first < 0; i++) if (onMap[i]) first = i;
    if (first < 0) return;
    zoom = maxZoom() / 2;
    panX = layoutWidth() / 2 - atX[first] * baseScaleX() * zoom;
    panY = layoutHeight() / 2 - atY[first] * baseScaleY() * zoom;
    applyView();
    select(first, 'table');
    window.scrollTo(0, 0);
  };
  if (picture.complete) closeUp(); else picture.addEventListener('load', closeUp);
}
})();
