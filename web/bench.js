// Benchmark mode (index.html?bench): runs of the game's passes and of the floor they are
// measured against, the least any 2D-canvas game pays to show a frame: one putImageData of the
// whole 480 x 272 canvas. Each run is one synchronous call, so tools/web/bench.py can read the
// CPU time the browser spent on it; wall time on a shared machine swings too much to compare.
'use strict';

var noughtsBenchmark = (function() {
  var context = canvas.getContext('2d');
  var floorImage = context.createImageData(canvas.width, canvas.height);
  for (var i = 0; i < floorImage.data.length; i++) floorImage.data[i] = i * 7 & 255;

  function nextFrame() {
    return new Promise(function(resolve) {
      requestAnimationFrame(resolve);
    });
  }
  function soon() {
    return new Promise(function(resolve) {
      setTimeout(resolve, 0);
    });
  }

  // count full-canvas putImageData calls; returns count, for the driver to see the run ended.
  function floor(count) {
    for (var i = 0; i < count; i++) context.putImageData(floorImage, 0, 0);
    return count;
  }

  // count passes of the screen on top, each shown as a frame is (SDL's page driver shows the
  // display once its task's code has run); returns count.
  async function passes(count) {
    for (var i = 0; i < count; i++) {
      Module._RunPasses(1);
      await null;
    }
    return count;
  }

  function mouse(type, x, y) {
    var rect = canvas.getBoundingClientRect();
    canvas.dispatchEvent(new MouseEvent(type, {
      bubbles: true,
      button: 0,
      clientX: rect.left + (x + 0.5) * rect.width / canvas.width,
      clientY: rect.top + (y + 0.5) * rect.height / canvas.height
    }));
  }

  // Queues count events between two frames as input arrives (motions, then a click off the
  // board), and returns how many of the loop's frames it took until none waited.
  async function framesToDrain(count) {
    await nextFrame();
    await soon();
    for (var i = 0; i < count - 2; i++) mouse('mousemove', 300 + i % 100, 100 + i % 50);
    mouse('mousedown', 400, 20);
    mouse('mouseup', 400, 20);
    var first = Module._FramesRun();
    while (Module._EventsPending()) await soon();
    return Module._FramesRun() - first;
  }

  async function input(count, trials) {
    var worst = 0;
    for (var i = 0; i < trials; i++) worst = Math.max(worst, await framesToDrain(count));
    return worst;
  }

  return {floor: floor, passes: passes, input: input};
})();
