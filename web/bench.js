// Benchmark mode (index.html?bench): the page measures itself, in the same run and on the same
// canvas, against the least any 2D-canvas game pays to show a frame: one putImageData of the
// whole 480 x 272 canvas. tools/bench-web.py drives it and prints the ratios.
'use strict';

var noughtsBenchmark = (function() {
  var ROUNDS = 15;
  var REPEATS = 200;
  var context = canvas.getContext('2d');
  var floorImage = context.createImageData(canvas.width, canvas.height);
  for (var i = 0; i < floorImage.data.length; i++) floorImage.data[i] = i * 7 & 255;

  function nextFrame() {
    return new Promise(function(resolve) { requestAnimationFrame(resolve); });
  }
  function soon() {
    return new Promise(function(resolve) { setTimeout(resolve, 0); });
  }
  function median(values) {
    var sorted = values.slice().sort(function(a, b) { return a - b; });
    return sorted[sorted.length >> 1];
  }
  function timeFloor() {
    var start = performance.now();
    for (var i = 0; i < REPEATS; i++) context.putImageData(floorImage, 0, 0);
    return (performance.now() - start) / REPEATS;
  }

  // Milliseconds of one pass of the screen on top, shown as a frame is, and of the floor:
  // medians of rounds that alternate the two, each round in a frame of its own.
  async function passes() {
    var floors = [];
    var game = [];
    for (var round = 0; round < ROUNDS; round++) {
      await nextFrame();
      floors.push(timeFloor());
      game.push(Module._TimePasses(REPEATS) / REPEATS);
    }
    return {pass: median(game), floor: median(floors)};
  }

  function mouse(type, x, y) {
    var rect = canvas.getBoundingClientRect();
    canvas.dispatchEvent(new MouseEvent(type, {
      bubbles: true, button: 0, clientX: rect.left + (x + 0.5) * rect.width / canvas.width,
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

  return {passes: passes, input: input};
})();
