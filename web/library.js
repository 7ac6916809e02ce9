// JavaScript the game calls: showing a frame and ending in a page (frame/web_loop.cpp), and where
// Emscripten's SDL 1.2 falls short of what the game does on a desktop.
mergeInto(LibraryManager.library, {
  // The finished frame goes to the canvas in one step, from an image over the display's memory
  // made once, and again only if the memory has moved.
  ShowPixels: function(pixels, width, height) {
    var shown = Module['shownImage'];
    if (!shown || shown.data.buffer !== HEAPU8.buffer || shown.data.byteOffset !== pixels ||
        shown.width !== width || shown.height !== height) {
      var bytes = new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4);
      shown = Module['shownImage'] = new ImageData(bytes, width, height);
    }
    Module['canvas'].getContext('2d').putImageData(shown, 0, 0);
  },

  TellPageGameEnded: function() {
    if (Module['onGameEnded']) Module['onGameEnded']();
  },

  TellPageFrameShown: function() {
    if (Module['onFrameShown']) Module['onFrameShown']();
  },

  // An idle page draws nothing: the animation frames stop until SDL takes the next input from
  // the page (every such event ends by handing SDL's queue on, wrapped here once), and a paused
  // loop resumes in the next animation frame, where that input is handled. An open gamepad is
  // only seen by polling, so the frames go on while one is.
  SleepUntilInput__deps: ['$SDL', '$Browser'],
  SleepUntilInput: function() {
    if (Object.keys(SDL.lastJoystickState).length) return;
    if (!SDL.wakeLoop) {
      // Also the page's, for a gamepad it opens.
      SDL.wakeLoop = function() {
        if (SDL.loopAsleep) {
          SDL.loopAsleep = false;
          Browser.mainLoop.resume();
        }
      };
      var flush = SDL.flushEventsToHandler;
      SDL.flushEventsToHandler = function() {
        SDL.wakeLoop();
        return flush.apply(this, arguments);
      };
    }
    SDL.loopAsleep = true;
    Browser.mainLoop.pause();
  },

  // Emscripten's SDL hides the pointer only in full screen; the game hides it in a page too.
  SDL_ShowCursor: function(toggle) {
    var style = Module['canvas'].style;
    var shown = style.cursor !== 'none';
    if (toggle === 0) {
      style.cursor = 'none';
    } else if (toggle === 1) {
      style.cursor = '';
    }
    return shown ? 1 : 0;
  },

  // Emscripten's SDL hands a freed surface's canvas to the next new surface; reading a loaded
  // picture back from a reused canvas makes Chromium warn on the console. The game frees few
  // surfaces, so none is kept for reuse.
  SDL_FreeSurface__deps: ['$SDL'],
  SDL_FreeSurface: function(surf) {
    if (!surf) return;
    var info = SDL.surfaces[surf];
    SDL.freeSurface(surf);
    var pool = SDL.canvasPool;
    if (info && pool.length && pool[pool.length - 1] === info.canvas) pool.pop();
  },

  // Emscripten's SDL reports every call on the console; a page has nothing to shut down.
  SDL_Quit: function() {},

  // Browsers list empty gamepad slots as null, which Emscripten's SDL counts as joysticks.
  SDL_NumJoysticks: function() {
    var pads = navigator.getGamepads ? navigator.getGamepads() : [];
    var count = 0;
    for (var i = 0; i < pads.length; i++) {
      if (pads[i]) count++;
    }
    return count;
  },
});
