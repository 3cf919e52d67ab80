'use strict';
// Talewick for VS Code: talewick-check's language server for NPC scripts, a
// rule's page in a read-only editor, and the desktop's conversation preview.
const fs = require('fs');
const path = require('path');
const { execFile, spawn } = require('child_process');
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');
const programs = require('./lib/programs');

const RULE_SCHEME = 'talewick-rule';
let client = null;

function isExecutable(file) {
  try {
    fs.accessSync(file, fs.constants.X_OK);
    return fs.statSync(file).isFile();
  } catch {
    return false;
  }
}

function settings() {
  return vscode.workspace.getConfiguration('talewick');
}

function findCheck() {
  return programs.findProgram('talewick-check', settings().get('checkPath'), process.env.PATH, isExecutable);
}

// What the program printed, or null when it could not run or failed.
function output(file, args) {
  return new Promise((resolve) => {
    execFile(file, args, { timeout: 10000, maxBuffer: 4 << 20 }, (error, stdout) => resolve(error ? null : stdout));
  });
}

function showProblem(problem, setting) {
  vscode.window.showErrorMessage(problem, '設定を開く').then((choice) => {
    if (choice) {
      vscode.commands.executeCommand('workbench.action.openSettings', setting);
    }
  });
}

async function startServer() {
  const checkPath = findCheck();
  const problem = programs.checkerProblem(checkPath, checkPath ? await output(checkPath, ['--version']) : null);
  if (problem) {
    showProblem(problem, 'talewick.checkPath');
    return;
  }
  const folder = vscode.workspace.workspaceFolders?.[0]?.uri.fsPath;
  const server = {
    command: checkPath,
    args: programs.serverArguments({ commands: settings().get('commands') }, folder),
    options: folder ? { cwd: folder } : {},
  };
  const config = settings();
  const wanted = {
    target: config.get('target'),
    commands: config.get('commands'),
    server: config.get('server'),
    encoding: vscode.workspace.getConfiguration('files', { languageId: 'talewick' }).get('encoding'),
  };
  client = new LanguageClient('talewick', 'Talewick', server, {
    documentSelector: [{ language: 'talewick' }],
    initializationOptions: programs.initializationOptions(wanted, folder),
    // talewick.target and talewick.server changed: the server checks the open scripts again.
    synchronize: { configurationSection: 'talewick' },
  });
  await client.start();
}

async function restartServer() {
  const running = client;
  client = null;
  if (running) {
    await running.stop();
  }
  await startServer();
}

// The page of `talewick-rule:TW206.md`, as "talewick-check --explain TW206" writes it.
const rulePages = {
  async provideTextDocumentContent(uri) {
    const code = path.basename(uri.path, '.md');
    const checkPath = findCheck();
    const page = checkPath ? await output(checkPath, ['--explain', code]) : null;
    return page ?? `${code} の説明を talewick-check から読めませんでした。`;
  },
};

async function explainRule() {
  const editor = vscode.window.activeTextEditor;
  if (!editor) {
    return;
  }
  const at = editor.selection.active;
  const codes = vscode.languages
    .getDiagnostics(editor.document.uri)
    .filter((diagnostic) => diagnostic.range.contains(at))
    .map((diagnostic) => String(typeof diagnostic.code === 'object' ? diagnostic.code.value : diagnostic.code));
  const code = programs.ruleCodeAt(editor.document.lineAt(at.line).text, at.character, codes);
  if (!code) {
    vscode.window.showInformationMessage('カーソルの位置に規則のコード（TW206 など）も診断もありません。');
    return;
  }
  const page = await vscode.workspace.openTextDocument(vscode.Uri.from({ scheme: RULE_SCHEME, path: `${code}.md` }));
  await vscode.window.showTextDocument(page, { viewColumn: vscode.ViewColumn.Beside, preview: true });
}

// Starts the desktop on the script, previewing the conversation at the cursor's line.
async function previewConversation() {
  const editor = vscode.window.activeTextEditor;
  if (!editor || editor.document.uri.scheme !== 'file') {
    return;
  }
  const talewick = programs.findProgram('talewick', settings().get('previewPath'), process.env.PATH, isExecutable);
  if (!talewick) {
    showProblem('talewick（デスクトップ版）が見つかりません。Talewick の Debian パッケージを入れてください。', 'talewick.previewPath');
    return;
  }
  if (editor.document.isDirty) {
    await editor.document.save();
  }
  const line = String(editor.selection.active.line + 1);
  const desktop = spawn(talewick, ['--preview', line, editor.document.uri.fsPath], { detached: true, stdio: 'ignore' });
  desktop.on('error', (error) => vscode.window.showErrorMessage(`talewick を起動できませんでした: ${error.message}`));
  desktop.unref();
}

async function activate(context) {
  context.subscriptions.push(
    vscode.workspace.registerTextDocumentContentProvider(RULE_SCHEME, rulePages),
    vscode.commands.registerCommand('talewick.explainRule', explainRule),
    vscode.commands.registerCommand('talewick.previewConversation', previewConversation),
    vscode.workspace.onDidChangeConfiguration((change) => {
      if (change.affectsConfiguration('talewick.checkPath') || change.affectsConfiguration('talewick.commands')) {
        restartServer();
      }
    }),
  );
  await startServer();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
