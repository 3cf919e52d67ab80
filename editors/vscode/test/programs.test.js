'use strict';
// The extension's own logic, without VS Code: node --test editors/vscode/test/
const test = require('node:test');
const assert = require('node:assert/strict');
const programs = require('../lib/programs');

test('findProgram: the setting, then PATH in order, then /usr/bin', () => {
  const existing = new Set(['/opt/b/talewick-check', '/usr/bin/talewick-check', '/home/u/check']);
  const isExecutable = (file) => existing.has(file);
  const cases = [
    ['/home/u/check', '/opt/b', '/home/u/check'],
    ['  ', '/opt/a:/opt/b', '/opt/b/talewick-check'],
    ['', '/opt/a::', '/usr/bin/talewick-check'],
    ['', undefined, '/usr/bin/talewick-check'],
    ['/home/u/missing', '/opt/b', null],
  ];
  for (const [configured, pathVariable, expected] of cases) {
    assert.equal(programs.findProgram('talewick-check', configured, pathVariable, isExecutable), expected);
  }
  assert.equal(programs.findProgram('talewick-check', '', '/opt/a', () => false), null);
});

test('parseVersion: the version line only', () => {
  assert.deepEqual(programs.parseVersion('talewick-check 0.0.1.1\n'), [0, 0, 1, 1]);
  assert.deepEqual(programs.parseVersion('talewick-check 1.2\n'), [1, 2]);
  assert.equal(programs.parseVersion('usage: talewick-check FILE\n'), null);
  assert.equal(programs.parseVersion(null), null);
});

test('isAtLeast: compares part by part, missing parts as 0', () => {
  const cases = [
    [[0, 0, 1, 1], '0.0.1.1', true],
    [[0, 0, 1], '0.0.1.1', false],
    [[0, 0, 2], '0.0.1.1', true],
    [[0, 0, 1, 0], '0.0.1.1', false],
    [[0, 10], '0.9.9', true],
    [[1], '0.0.1.1', true],
  ];
  for (const [version, minimum, expected] of cases) {
    assert.equal(programs.isAtLeast(version, minimum), expected, `${version} against ${minimum}`);
  }
});

test('checkerProblem: missing, not the checker, too old, fine', () => {
  assert.match(programs.checkerProblem(null, null), /見つかりません.*apt install/);
  assert.match(programs.checkerProblem('/usr/bin/talewick-check', null), /起動できません/);
  assert.match(programs.checkerProblem('/usr/bin/talewick-check', 'talewick-check 0.0.1\n'), /0\.0\.1 は古すぎます/);
  assert.equal(programs.checkerProblem('/usr/bin/talewick-check', `talewick-check ${programs.MINIMUM_CHECK_VERSION}\n`), null);
});

test('serverArguments: --lsp, and the commands file against the workspace', () => {
  assert.deepEqual(programs.serverArguments({ commands: '' }, '/work/npcs'), ['--lsp']);
  assert.deepEqual(programs.serverArguments({ commands: 'db/commands.tsv' }, '/work/npcs'), [
    '--lsp',
    '--commands',
    '/work/npcs/db/commands.tsv',
  ]);
  assert.deepEqual(programs.serverArguments({ commands: '/etc/c.tsv ' }, '/work/npcs'), ['--lsp', '--commands', '/etc/c.tsv']);
  assert.deepEqual(programs.serverArguments({ commands: 'c.tsv' }, undefined), ['--lsp', '--commands', 'c.tsv']);
});

test('initializationOptions: what is set, paths against the workspace', () => {
  const cases = [
    [{ target: '', commands: '', server: '' }, '/work/npcs', {}],
    [{}, '/work/npcs', {}],
    [{ target: ' today-strict ' }, '/work/npcs', { target: 'today-strict' }],
    [
      { target: 'older', commands: 'src/map/script.c', server: '../server' },
      '/work/npcs',
      { target: 'older', commands: '/work/npcs/src/map/script.c', server: '/work/server' },
    ],
    [{ server: '/srv/game ' }, '/work/npcs', { server: '/srv/game' }],
    [{ commands: 'c.tsv' }, undefined, { commands: 'c.tsv' }],
  ];
  for (const [settings, folder, expected] of cases) {
    assert.deepEqual(programs.initializationOptions(settings, folder), expected, JSON.stringify(settings));
  }
});

test('initializationOptions: the scripts\' encoding as the server names it, none for Shift JIS', () => {
  assert.deepEqual(programs.initializationOptions({ encoding: 'shiftjis' }, '/w'), {});
  assert.deepEqual(programs.initializationOptions({ encoding: 'utf8' }, '/w'), { encoding: 'UTF-8' });
  assert.deepEqual(programs.initializationOptions({ encoding: 'eucjp' }, '/w'), { encoding: 'EUC-JP' });
  assert.equal(programs.serverEncoding('gb18030'), 'gb18030');
});

test('ruleCodeAt: a code under the cursor first, else the diagnostic there', () => {
  const line = '\t// talewick-check disable=TW206,TW104';
  assert.equal(programs.ruleCodeAt(line, line.indexOf('TW104') + 2, []), 'TW104');
  assert.equal(programs.ruleCodeAt('\tgoto L_Nowhere;', 7, ['TW206']), 'TW206');
  assert.equal(programs.ruleCodeAt('\tmes "x";', 3, []), null);
});
