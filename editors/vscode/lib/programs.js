'use strict';
// Finding talewick-check and talewick, judging the checker's version, and the
// arguments of its language server: plain functions, tested without VS Code.
const path = require('path');

// The version whose language server answers every request the extension makes.
const MINIMUM_CHECK_VERSION = '0.0.1.1';
// Where the Debian package puts the programs.
const PACKAGE_BIN = '/usr/bin';

// The program's path: the setting when it is given, else the first `name` on
// PATH, else the Debian package's; null when none exists. `isExecutable(path)`
// tells whether a file is there to run.
function findProgram(name, configured, pathVariable, isExecutable) {
  if (configured && configured.trim() !== '') {
    const given = configured.trim();
    return isExecutable(given) ? given : null;
  }
  const folders = (pathVariable || '').split(path.delimiter).filter((folder) => folder !== '');
  for (const folder of [...folders, PACKAGE_BIN]) {
    const candidate = path.join(folder, name);
    if (isExecutable(candidate)) {
      return candidate;
    }
  }
  return null;
}

// "talewick-check 0.0.1.1" gives [0, 0, 1, 1]; null for anything else.
function parseVersion(output) {
  const match = /^talewick-check\s+(\d+(?:\.\d+)*)\s*$/m.exec(output || '');
  return match ? match[1].split('.').map(Number) : null;
}

function isAtLeast(version, minimum) {
  const wanted = minimum.split('.').map(Number);
  for (let i = 0; i < Math.max(version.length, wanted.length); ++i) {
    const have = version[i] || 0;
    const need = wanted[i] || 0;
    if (have !== need) {
      return have > need;
    }
  }
  return true;
}

// The language server's arguments. A relative commands file is the workspace's.
function serverArguments(settings, workspaceFolder) {
  const args = ['--lsp'];
  const commands = (settings.commands || '').trim();
  if (commands !== '') {
    args.push('--commands', workspaceFolder ? path.resolve(workspaceFolder, commands) : commands);
  }
  return args;
}

// The name the language server knows for one of VS Code's file encodings (the
// files.encoding of NPC scripts), for the scripts it reads from disk itself;
// undefined for Shift JIS, which it reads as code page 932 by default.
const kEncodingNames = {
  utf8: 'UTF-8',
  utf8bom: 'UTF-8',
  utf16le: 'UTF-16LE',
  utf16be: 'UTF-16BE',
  eucjp: 'EUC-JP',
  iso2022jp: 'ISO-2022-JP',
  windows1252: 'windows-1252',
  iso88591: 'ISO-8859-1',
};
function serverEncoding(vscodeEncoding) {
  const name = (vscodeEncoding || '').trim().toLowerCase();
  if (name === '' || name === 'shiftjis') {
    return undefined;
  }
  return kEncodingNames[name] || name;
}

// The language server's initializationOptions: the target, and the commands file
// and the server's folder against the workspace. Empty settings are left out, so
// that the project file (talewick-check.ini) beside the scripts decides.
function initializationOptions(settings, workspaceFolder) {
  const options = {};
  const target = (settings.target || '').trim();
  if (target !== '') {
    options.target = target;
  }
  const encoding = serverEncoding(settings.encoding);
  if (encoding) {
    options.encoding = encoding;
  }
  for (const name of ['commands', 'server']) {
    const value = (settings[name] || '').trim();
    if (value !== '') {
      options[name] = workspaceFolder ? path.resolve(workspaceFolder, value) : value;
    }
  }
  return options;
}

// What to tell the user when the checker cannot serve, or null when it can.
// `versionOutput` is what "--version" printed, null when it did not run.
function checkerProblem(checkPath, versionOutput) {
  const install =
    'Talewick の Debian パッケージを入れてください（sudo apt install ./talewick_<版>_amd64.deb）。' +
    '別の場所にあるときは設定 talewick.checkPath に書きます。';
  if (!checkPath) {
    return `talewick-check が見つかりません（PATH にも /usr/bin にもありません）。${install}`;
  }
  const version = parseVersion(versionOutput);
  if (!version) {
    return `${checkPath} を talewick-check として起動できませんでした。${install}`;
  }
  if (!isAtLeast(version, MINIMUM_CHECK_VERSION)) {
    return (
      `talewick-check ${version.join('.')} は古すぎます（この拡張機能には ${MINIMUM_CHECK_VERSION} 以降が必要です）。` +
      install
    );
  }
  return null;
}

// The rule's code at `character` of `lineText` ("TW206"), or of the first diagnostic there.
function ruleCodeAt(lineText, character, diagnosticCodes) {
  const pattern = /TW\d{3}/g;
  let match;
  while ((match = pattern.exec(lineText)) !== null) {
    if (character >= match.index && character <= match.index + match[0].length) {
      return match[0];
    }
  }
  return diagnosticCodes.find((code) => /^TW\d{3}$/.test(code)) || null;
}

module.exports = {
  MINIMUM_CHECK_VERSION,
  findProgram,
  parseVersion,
  isAtLeast,
  serverArguments,
  initializationOptions,
  serverEncoding,
  checkerProblem,
  ruleCodeAt,
};
