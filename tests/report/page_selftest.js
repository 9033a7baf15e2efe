// The audit page's own test, for the browser test. The test's page generator puts it into the
// page's head, where it hears of any error of the page's script; with #selftest it works the
// built page through its elements as a user would and writes the outcome where a headless
// browser's DOM dump shows it.
'use strict';
(() => {
if (location.hash !== '#selftest') return;
const scriptErrors = [];
window.addEventListener('error', (event) => { scriptErrors.push(String(event.message)); });
const byId = (id) => document.getElementById(id);

async function selfTest() {
  const fail = (reason) => { throw new Error(reason); };
  // Timers, not animation frames: a headless browser's virtual time may run no frames.
  const settle = () => new Promise((done) => setTimeout(done, 100));
  const img = byId('map-picture');
  if (!img) fail('the page has no map picture');
  if (!img.complete) {
    await new Promise((done) => {
      img.addEventListener('load', done, { once: true });
      img.addEventListener('error', done, { once: true });
    });
  }
  if (!(img.naturalWidth > 0)) fail('the map picture did not load');
  const d = byId('map').dataset;
  if (img.naturalWidth !== Number(d.width) || img.naturalHeight !== Number(d.height)) {
    fail('the picture is ' + img.naturalWidth + 'x' + img.naturalHeight + ' pixels, the page ' +
      'places markers on ' + d.width + 'x' + d.height);
  }
  await settle();
  const tableRows = () => Array.from(document.querySelectorAll('#findings tbody tr[data-index]'));
  // Where a row's finding lies on the screen, from the numbers the row shows.
  const onScreen = (row) => {
    const box = img.getBoundingClientRect();
    const x = Number(row.cells[1].textContent);
    const y = Number(row.cells[2].textContent);
    return [box.left + (x + 0.5 - Number(d.originX)) * Number(d.pixelsPerPost) * box.width /
      img.naturalWidth, box.top + (Number(d.originY) - (y + 0.5)) * Number(d.pixelsPerPost) *
      box.height / img.naturalHeight];
  };
  const markAt = (row, what) => {
    const ring = byId('selection-mark');
    if (!ring || ring.hidden) fail('no selection mark after ' + what);
    const box = ring.getBoundingClientRect();
    const [x, y] = onScreen(row);
    const cx = box.left + box.width / 2;
    const cy = box.top + box.height / 2;
    if (Math.abs(cx - x) > 1 || Math.abs(cy - y) > 1) {
      fail('after ' + what + ' the selection mark is at (' + cx.toFixed(1) + ', ' +
        cy.toFixed(1) + '), the finding at (' + x.toFixed(1) + ', ' + y.toFixed(1) + ')');
    }
  };
  const all = tableRows();
  if (!all.length) fail('the table has no rows');

  const firstRow = all[0];
  firstRow.click();
  if (!firstRow.classList.contains('selected')) fail('the clicked first row is not selected');
  markAt(firstRow, 'clicking the first row');

  // The marker under the mark has its check's colour. Neighbouring markers may cover its
  // centre on a dense map: a pixel of that colour close to it is enough.
  const markers = byId('markers');
  const [fx, fy] = onScreen(firstRow);
  const cbox = markers.getBoundingClientRect();
  const px = Math.floor((fx - cbox.left) * markers.width / cbox.width);
  const py = Math.floor((fy - cbox.top) * markers.height / cbox.height);
  const around = markers.getContext('2d').getImageData(px - 2, py - 2, 5, 5).data;
  const want = getComputedStyle(firstRow.querySelector('.swatch')).backgroundColor
    .match(/\d+/g).map(Number);
  let found = false;
  for (let i = 0; i < around.length && !found; i += 4) {
    found = [0, 1, 2].every((k) => Math.abs(around[i + k] - want[k]) <= 2) &&
      around[i + 3] === 255;
  }
  if (!found) {
    fail('no pixel near the marker of the first row has its check\'s colour rgb(' +
      want.join(', ') + ')');
  }

  // A click on another finding's marker selects its row.
  const other = all.slice(1).reverse().find((row) => row.dataset.check !== 'offmap' &&
    row.dataset.check !== firstRow.dataset.check);
  if (!other) fail('the sample has no second check with a marker');
  const [ox, oy] = onScreen(other);
  markers.dispatchEvent(new MouseEvent('click', { bubbles: true, clientX: ox, clientY: oy }));
  // Markers of one post lie on each other: the row selected may be any finding of that post.
  const again = document.querySelector('tr.selected');
  if (!again) {
    fail('clicking the marker of finding ' + other.dataset.index + ' selected no row');
  }
  const [ax, ay] = onScreen(again);
  const [bx, by] = onScreen(other); // the page may have scrolled to the row meanwhile
  if (Math.abs(ax - bx) > 1 || Math.abs(ay - by) > 1) {
    fail('clicking the marker of finding ' + other.dataset.index + ' selected finding ' +
      again.dataset.index + ', elsewhere on the map');
  }
  if (firstRow.classList.contains('selected')) fail('two rows are selected');
  markAt(again, 'clicking a marker');

  // Unticking a check hides its rows and, when selected, the mark; ticking brings them back.
  const name = again.dataset.check;
  const box = document.querySelector('#legend input[data-check="' + CSS.escape(name) + '"]');
  if (!box) fail('the legend has no box for ' + name);
  const listed = tableRows().filter((row) => row.dataset.check === name).length;
  box.click();
  if (tableRows().some((row) => row.dataset.check === name)) fail('hidden ' + name + ' rows stay');
  if (!byId('selection-mark').hidden) fail('the mark stays on a hidden finding');
  box.click();
  if (tableRows().filter((row) => row.dataset.check === name).length !== listed) {
    fail('ticking ' + name + ' again does not bring its rows back');
  }

  // Where markers lie on each other a click says which of them it took, and the next click
  // takes the next.
  const byPost = new Map();
  for (const row of tableRows()) {
    if (row.dataset.check === 'offmap') continue;
    const key = row.cells[1].textContent + ',' + row.cells[2].textContent;
    byPost.set(key, (byPost.get(key) || []).concat([row]));
  }
  const shared = Array.from(byPost.values()).find((list) => list.length > 1);
  if (shared) {
    const [sx, sy] = onScreen(shared[0]);
    markers.dispatchEvent(new MouseEvent('click', { bubbles: true, clientX: sx, clientY: sy }));
    const firstPick = document.querySelector('tr.selected');
    if (!/Finding 1 of \d+ here/.test(byId('selection-note').textContent)) {
      fail('a click on ' + shared.length + ' findings of one post does not say "1 of ' +
        shared.length + '": ' + byId('selection-note').textContent);
    }
    const [tx, ty] = onScreen(shared[0]); // the page may have scrolled to the row meanwhile
    markers.dispatchEvent(new MouseEvent('click', { bubbles: true, clientX: tx, clientY: ty }));
    if (document.querySelector('tr.selected') === firstPick) {
      fail('a second click on findings of one post does not take the next');
    }
  }

  // Against a baseline the new findings are marked and can be shown alone.
  const onlyNewBox = byId('only-new');
  const page = JSON.parse(byId('audit-data').textContent);
  if (page.summary && page.summary.baseline) {
    if (onlyNewBox.parentNode.hidden) fail('an audit against a baseline offers no "only new"');
    const marked = tableRows().filter((r) => r.classList.contains('new')).length;
    if (marked !== page.summary.baseline.new) {
      fail(marked + ' rows are marked new, the baseline says ' + page.summary.baseline.new);
    }
    onlyNewBox.click();
    if (tableRows().length !== marked || tableRows().some((r) => !r.classList.contains('new'))) {
      fail('"only new" shows other rows than the new ones');
    }
    onlyNewBox.click();
    if (tableRows().length !== all.length) fail('unticking "only new" does not show every row');
  } else if (!onlyNewBox.parentNode.hidden) {
    fail('an audit without a baseline offers "only new"');
  }

  // The search keeps the rows that hold its text; emptied, every row is back.
  const search = byId('search');
  const word = firstRow.cells[9].textContent.split(/[\s:,()]+/).find((w) => w.length > 3);
  if (word) {
    search.value = word;
    search.dispatchEvent(new Event('input'));
    const found = tableRows();
    if (!found.length || found.some((r) => !r.textContent.toLowerCase().includes(word.toLowerCase()))) {
      fail('searching for "' + word + '" shows rows without it');
    }
    search.value = '';
    search.dispatchEvent(new Event('input'));
    if (tableRows().length !== all.length) fail('an empty search does not show every row');
  }

  // A column's header sorts the rows by it, up then down.
  const header = byId('findings').tHead.rows[0].cells[1];
  const mapXs = () => tableRows().map((r) => Number(r.cells[1].textContent));
  header.click();
  if (mapXs().some((x, k, xs) => k > 0 && x < xs[k - 1])) fail('Map X does not sort upwards');
  header.click();
  if (mapXs().some((x, k, xs) => k > 0 && x > xs[k - 1])) fail('Map X does not sort downwards');

  // The wheel zooms in about the mouse; a row clicked then is brought into view and marked
  // where it lies; Whole map shows all of it again.
  const map = byId('map');
  const mb = map.getBoundingClientRect();
  for (let k = 0; k < 12; k++) {
    map.dispatchEvent(new WheelEvent('wheel', { deltaY: -100, bubbles: true, cancelable: true,
      clientX: mb.left + mb.width / 3, clientY: mb.top + mb.height / 3 }));
  }
  const zoomed = img.getBoundingClientRect();
  if (!(zoomed.width > mb.width * 4)) fail('the wheel does not zoom the map in');
  const far = tableRows().reverse().find((row) => row.dataset.check !== 'offmap');
  far.click();
  markAt(far, 'clicking a row on the zoomed map');
  const ring = byId('selection-mark').getBoundingClientRect();
  const now = map.getBoundingClientRect(); // the page may have scrolled to the mark
  if (ring.left + ring.width / 2 < now.left || ring.left + ring.width / 2 > now.right ||
      ring.top + ring.height / 2 < now.top || ring.top + ring.height / 2 > now.bottom) {
    fail('the row clicked on the zoomed map is not brought into view');
  }
  byId('zoom-whole').click();
  if (Math.abs(img.getBoundingClientRect().width - map.clientWidth) > 1) {
    fail('Whole map does not show the whole map');
  }
  header.click(); // back to ascending, as the screenshot shows it

  const requests = performance.getEntriesByType('resource').filter((r) => !/^data:/.test(r.name));
  if (requests.length) fail('the page requested ' + requests[0].name);
  if (scriptErrors.length) fail('script error: ' + scriptErrors[0]);

  tableRows()[0].click(); // leaves a selection for the screenshot
}
const report = (reason) => {
  const pre = document.createElement('pre');
  pre.id = 'selftest';
  pre.style.background = '#eee';
  pre.style.padding = '0.3rem';
  pre.textContent = 'selftest: ' + (reason ? 'failed: ' + reason : 'ok');
  document.body.prepend(pre);
};
document.addEventListener('DOMContentLoaded', () => {
  selfTest().then(() => report(''), (error) => report(error && error.message || String(error)));
});
})();
