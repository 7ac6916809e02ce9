// The page around the game: the canvas at a whole-number scale, controls and taps on touch
// screens, gamepads that appear late, the end of the game, the offline copy, and the benchmark
// mode (?bench).
'use strict';

var canvas = document.getElementById('canvas');
var GAME_WIDTH = 480;
var GAME_HEIGHT = 272;

var help = document.getElementById('help');
var controls = document.getElementById('controls');
// Phones and tablets get buttons for what has no key there; a mouse-and-keyboard page has none.
var touchDevice = navigator.maxTouchPoints > 0 ||
    window.matchMedia('(any-pointer: coarse)').matches;
document.body.classList.toggle('touch', touchDevice);
controls.hidden = !touchDevice;

// Where the canvas may go in a layout: the window less the line of help (below it, and as much
// above on a desktop, so the canvas stays centred) and less the controls, beside or below.
function stageFor(layout) {
  document.body.dataset.layout = layout;
  var width = window.innerWidth;
  var height = window.innerHeight;
  var helpHeight = help.offsetHeight;
  controls.style.bottom = helpHeight + 'px';
  if (layout === 'beside') {
    return {width: width - controls.offsetWidth, height: height - helpHeight};
  }
  if (layout === 'below') {
    return {width: width, height: height - helpHeight - controls.offsetHeight};
  }
  return {width: width, height: height, room: height - 2 * helpHeight};
}

// The largest whole number of device pixels per game pixel that fits the stage.
function scaleFor(stage, ratio) {
  var height = stage.room === undefined ? stage.height : stage.room;
  return Math.max(1, Math.floor(Math.min(stage.width * ratio / GAME_WIDTH,
                                         height * ratio / GAME_HEIGHT)));
}

// The layout with the largest scale (the one that suits the window's shape on a tie). The canvas
// sits on whole CSS pixels, so on whole device pixels wherever a CSS pixel is a whole number of
// them: centring an odd room by halves would move every click half a pixel off what it shows.
function fitCanvas() {
  var ratio = window.devicePixelRatio || 1;
  var layouts = !touchDevice ? ['plain'] :
      window.innerWidth >= window.innerHeight ? ['beside', 'below'] : ['below', 'beside'];
  var best = null;
  layouts.forEach(function(layout) {
    var stage = stageFor(layout);
    var scale = scaleFor(stage, ratio);
    if (!best || scale > best.scale) best = {layout: layout, scale: scale};
  });
  var stage = stageFor(best.layout);
  var width = GAME_WIDTH * best.scale / ratio;
  var height = GAME_HEIGHT * best.scale / ratio;
  var place = {
    '--width': width, '--height': height,
    '--left': Math.max(0, Math.floor((stage.width - width) / 2)),
    '--top': Math.max(0, Math.floor((stage.height - height) / 2))
  };
  Object.keys(place).forEach(function(name) {
    document.documentElement.style.setProperty(name, place[name] + 'px');
  });
}
fitCanvas();
window.addEventListener('resize', fitCanvas);

// Where SDL last saw the pointer, in the page: a wheel turn sent from a control happens there,
// so the pointer stays where it was.
var pointer = null;
function notePointer(event) {
  if (event.target === canvas) pointer = {x: event.clientX, y: event.clientY};
}
['mousemove', 'mousedown'].forEach(function(type) {
  window.addEventListener(type, notePointer, true);
});

// Each control is one of the game's own inputs, given to SDL as the browser gives it a key or a
// wheel turn, so every screen takes it as it takes that input; once the game has ended, SDL
// takes no more (the page's own offer of a new game reads key names, which these lack).
function sendKey(keyCode) {
  ['keydown', 'keyup'].forEach(function(type) {
    document.dispatchEvent(new KeyboardEvent(type, {keyCode: keyCode, bubbles: true,
                                                    cancelable: true}));
  });
}
function sendWheel(deltaY) {
  var rect = canvas.getBoundingClientRect();
  var at = pointer || {x: rect.left, y: rect.top};
  canvas.dispatchEvent(new WheelEvent('wheel', {deltaY: deltaY, deltaMode: 0, clientX: at.x,
                                                clientY: at.y, bubbles: true, cancelable: true}));
}
Array.prototype.forEach.call(controls.querySelectorAll('button'), function(button) {
  button.addEventListener('click', function() {
    if (button.dataset.key) sendKey(Number(button.dataset.key));
    if (button.dataset.wheel) sendWheel(Number(button.dataset.wheel));
  });
});

// A tap is the pointer moving to that spot and a left click there, as two people sharing a
// phone expect. Caught before SDL's own touch handling, which clicks without moving. Only the
// first finger down counts until it lifts: a second one would click again.
var finger = null;
function sendMouse(type, touch) {
  canvas.dispatchEvent(new MouseEvent(type, {
    bubbles: true, cancelable: true, button: 0, buttons: type === 'mouseup' ? 0 : 1,
    clientX: touch.clientX, clientY: touch.clientY, view: window
  }));
}
function fingerIn(touches) {
  for (var i = 0; i < touches.length; i++) {
    if (touches[i].identifier === finger) return touches[i];
  }
  return null;
}
function onTouch(event) {
  if (event.target !== canvas) return;
  event.preventDefault();
  event.stopPropagation();
  if (event.type === 'touchstart') {
    if (finger !== null) return;
    var first = event.changedTouches[0];
    finger = first.identifier;
    sendMouse('mousemove', first);
    sendMouse('mousedown', first);
    return;
  }
  var touch = fingerIn(event.changedTouches);
  if (!touch) return;
  if (event.type === 'touchmove') {
    sendMouse('mousemove', touch);
  } else {
    finger = null;
    sendMouse('mouseup', touch);
  }
}
['touchstart', 'touchmove', 'touchend', 'touchcancel'].forEach(function(type) {
  window.addEventListener(type, onTouch, {capture: true, passive: false});
});

// SDL 1.2 opens joystick 0 once, at start, but a browser shows a gamepad only once a button on
// it is pressed (or it is plugged in later), so the page opens it when it appears, in Emscripten's
// SDL, as released: the press that revealed it counts.
function openGamepad() {
  var pad = navigator.getGamepads ? navigator.getGamepads()[0] : null;
  if (!pad || typeof SDL !== 'object' || !SDL.initFlags) return;
  SDL.recordJoystickState(1, pad);
  var opened = SDL.lastJoystickState[1];
  opened.buttons = opened.buttons.map(function() { return false; });
  opened.timestamp = undefined;
}
function closeGamepad() {
  if (typeof SDL === 'object' && !(navigator.getGamepads && navigator.getGamepads()[0])) {
    delete SDL.lastJoystickState[1];
  }
}
window.addEventListener('gamepadconnected', openGamepad);
window.addEventListener('gamepaddisconnected', closeGamepad);

// Emscripten's SDL registers its listeners the old way. Touches are the page's (above); the
// pointer's listeners prevent scrolling, so they say so (browsers warn otherwise); and a page
// that listens for unload cannot be kept for the back button, which the game never needs.
(function() {
  var addToCanvas = canvas.addEventListener;
  canvas.addEventListener = function(type, listener, capture) {
    if (type.indexOf('touch') === 0) return;
    addToCanvas.call(canvas, type, listener, {capture: !!capture, passive: false});
  };
  var addToWindow = window.addEventListener;
  window.addEventListener = function(type) {
    if (type !== 'unload') addToWindow.apply(window, arguments);
  };
})();

var query = new URLSearchParams(window.location.search);
var Module = {
  canvas: canvas,
  // The game's command line: ?arg=a&arg=b gives it the arguments a and b.
  arguments: query.getAll('arg'),
  onGameEnded: function() {
    document.getElementById('ended').hidden = false;
    document.getElementById('again').focus();
  },
  onRuntimeInitialized: function() {
    canvas.focus();
    if (query.has('bench')) {
      var script = document.createElement('script');
      script.src = 'bench.js';
      document.body.appendChild(script);
    }
  }
};
function newGame() {
  window.location.reload();
}
document.getElementById('again').addEventListener('click', newGame);
// SDL still takes every key from the page and stops the browser's own use of it, so Enter and
// Space on the offer are caught before SDL sees them.
window.addEventListener('keydown', function(event) {
  if (!document.getElementById('ended').hidden && (event.key === 'Enter' || event.key === ' ')) {
    event.stopPropagation();
    newGame();
  }
}, true);

// The pictures come compressed (gzip is a third of Emscripten's own LZ4); the game starts once
// they are unpacked, and its data loader takes them from here instead of fetching.
function startGame() {
  fetch('noughts.data.gz').then(function(response) {
    if (!response.ok) throw new Error('noughts.data.gz: ' + response.status);
    return new Response(response.body.pipeThrough(new DecompressionStream('gzip'))).arrayBuffer();
  }).then(function(pictures) {
    Module.getPreloadedPackage = function() {
      return pictures;
    };
    var script = document.createElement('script');
    script.src = 'noughts.js';
    document.body.appendChild(script);
  });
}
startGame();

if ('serviceWorker' in navigator) {
  navigator.serviceWorker.register('sw.js');
}
