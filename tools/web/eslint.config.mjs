// ESLint's checks for the JavaScript that ships in the page (tools/lint.sh runs it): ESLint's
// recommended rules, with each script's globals as it meets them. ESLint is installed with the
// other pinned npm tools, in tests/e2e/web/.
import { createRequire } from 'node:module';

const js = createRequire(new URL('../../tests/e2e/web/package.json', import.meta.url))(
  '@eslint/js');

const readonly = (names) => Object.fromEntries(names.map((name) => [name, 'readonly']));
const browser = readonly([
  'window', 'document', 'navigator', 'console', 'fetch', 'Response', 'URLSearchParams',
  'DecompressionStream', 'WebAssembly', 'Promise', 'requestAnimationFrame', 'setTimeout',
  'ImageData', 'Uint8ClampedArray', 'performance', 'MouseEvent']);

export default [
  js.configs.recommended,
  {
    files: ['web/page.js', 'web/bench.js'],
    languageOptions: { sourceType: 'script', globals: browser },
  },
  {
    // bench.js runs in the page after page.js, whose top-level names it shares.
    files: ['web/bench.js'],
    languageOptions: { globals: readonly(['canvas', 'Module']) },
    rules: { 'no-unused-vars': ['error', { varsIgnorePattern: '^noughtsBenchmark$' }] },
  },
  {
    files: ['web/sw.js'],
    languageOptions: { sourceType: 'script', globals: readonly(['self', 'caches', 'fetch']) },
  },
  {
    // Emscripten's library form: its own functions and the module's, named as its output
    // names them.
    files: ['web/sdl/src/library_page.js', 'web/library_loop.js'],
    languageOptions: {
      sourceType: 'script',
      globals: {
        ...browser,
        ...readonly(['mergeInto', 'LibraryManager', 'Module', 'HEAPU8', 'HEAP16', 'UTF8ToString',
          'PAGE', '_PAGE_SendMotion', '_PAGE_SendButton', '_PAGE_SendKey', '_PAGE_SendFocus',
          '_PAGE_SendQuit', '_PAGE_Present', '_PAGE_JoystickAppeared', '_RunFrame']),
      },
    },
  },
  {
    files: ['tests/e2e/web/*.mjs'],
    languageOptions: { sourceType: 'module', globals: readonly(['process', 'console', 'document',
      'window', 'atob', 'btoa', 'axe', 'FS', 'Navigator']) },
  },
];
