// ESLint over the scripts of the pages (src/report/page) and the page's self-test: the
// recommended rules in a browser, and the pages' own rules. The tests run it
// (tests/report/lint_page_scripts.sh).
import js from '@eslint/js';
import globals from 'globals';

// What the data says goes into a page as text nodes, never as markup: no property or call
// that parses HTML.
const message = 'Put text in with textContent or text nodes.';
const noMarkup = [
  ...['innerHTML', 'outerHTML', 'insertAdjacentHTML'].map((property) => ({ property, message })),
  ...['write', 'writeln'].map((property) => ({ object: 'document', property, message })),
];

export default [
  js.configs.recommended,
  {
    files: ['src/report/page/**/*.js', 'tests/report/**/*.js'],
    languageOptions: {
      sourceType: 'script',
      globals: { ...globals.browser },
    },
    rules: {
      strict: ['error', 'global'],
      'no-implicit-globals': 'error',
      eqeqeq: 'error',
      'no-var': 'error',
      'prefer-const': 'error',
      'no-eval': 'error', // nor would the pages' Content-Security-Policy run it
      'no-implied-eval': 'error',
      'no-new-func': 'error',
      'no-restricted-properties': ['error', ...noMarkup],
    },
  },
  {
    // The page's writer puts the checks' styles at the start of the script's scope.
    files: ['src/report/page/audit.js'],
    languageOptions: { globals: { STYLES: 'readonly' } },
  },
];
