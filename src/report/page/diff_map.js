'use strict';
(() => {
  const views = Array.from(document.querySelectorAll('.map .view'));
  if (!views.length) return;
  let scale = 1;
  let x = 0;
  let y = 0;
  const show = () => {
    views.forEach((v) => { v.style.transform = `translate(${x}px, ${y}px) scale(${scale})`; });
    document.getElementById('zoom-note').textContent = scale === 1 ? 'whole map' : `× ${scale}`;
  };
  const zoomAbout = (factor, px, py) => {
    const next = Math.min(64, Math.max(1, scale * factor));
    x = px - (px - x) * next / scale;
    y = py - (py - y) * next / scale;
    scale = next;
    if (scale === 1) { x = 0; y = 0; }
    show();
  };
  const middle = () => {
    const box = views[0].parentNode.getBoundingClientRect();
    return [box.width / 2, box.height / 2];
  };
  document.getElementById('zoom-in').addEventListener('click', () => zoomAbout(2, ...middle()));
  document.getElementById('zoom-out').addEventListener('click', () => zoomAbout(0.5, ...middle()));
  document.getElementById('whole').addEventListener('click', () => zoomAbout(1 / scale, 0, 0));
  views.forEach((view) => {
    const box = view.parentNode;
    box.addEventListener('wheel', (event) => {
      event.preventDefault();
      const r = box.getBoundingClientRect();
      zoomAbout(event.deltaY < 0 ? 2 : 0.5, event.clientX - r.left, event.clientY - r.top);
    }, { passive: false });
    let from = null;
    box.addEventListener('pointerdown', (event) => {
      from = [event.clientX - x, event.clientY - y];
      box.setPointerCapture(event.pointerId);
    });
    box.addEventListener('pointermove', (event) => {
      if (!from || scale === 1) return;
      x = event.clientX - from[0];
      y = event.clientY - from[1];
      show();
    });
    box.addEventListener('pointerup', () => { from = null; });
  });
  document.querySelectorAll('input[name=picture]').forEach((choice) => {
    choice.addEventListener('change', () => {
      document.body.classList.toggle('tiles', choice.value === 'tiles' && choice.checked);
    });
  });
  show();
})();
