'use strict';
// Drives a real VS Code (code-server) in Debian's Chromium through the extension:
// opens npc/guide.txt, then checks the squiggle and Problems, the status bar's
// encoding, the hover page, the semantic colours, a quick fix and a rename, each
// step waiting for what it needs. run.sh starts code-server and checks the file
// on disk afterwards. Environment: TALEWICK_URL, TALEWICK_WORKSPACE, TALEWICK_SCREENSHOT,
// TALEWICK_CHROMIUM.
const fs = require('fs');
const path = require('path');
const { chromium } = require('playwright-core');

const url = process.env.TALEWICK_URL;
const workspace = process.env.TALEWICK_WORKSPACE;
const screenshot = process.env.TALEWICK_SCREENSHOT;
const guide = path.join(workspace, 'npc', 'guide.txt');
const STEP_MS = 60000;

async function step(name, action) {
  const started = Date.now();
  try {
    await action();
  } catch (error) {
    error.message = `${name}: ${error.message}`;
    throw error;
  }
  console.log(`ok ${name} (${Date.now() - started} ms)`);
}

// Waits until `condition()` holds, asking again as the page changes.
async function until(description, condition, timeout = STEP_MS) {
  const deadline = Date.now() + timeout;
  for (;;) {
    if (await condition()) {
      return;
    }
    if (Date.now() > deadline) {
      throw new Error(`gave up waiting for ${description}`);
    }
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}

async function goToLine(page, line, column) {
  await page.keyboard.press('Control+G');
  const input = page.locator('.quick-input-widget input');
  await input.waitFor({ state: 'visible' });
  await input.fill(`:${line}:${column}`);
  await page.keyboard.press('Enter');
  // The status bar counts a tab as its width, so only the line is certain.
  await page.locator('[id="status.editor.selection"]').filter({ hasText: `Ln ${line},` }).waitFor();
  await page.locator('.quick-input-widget').waitFor({ state: 'hidden' });
}

async function openGuide(page) {
  await page.locator('.monaco-workbench').waitFor({ timeout: 120000 });
  await page.locator('.explorer-folders-view').waitFor();
  await page.keyboard.press('Control+P');
  const input = page.locator('.quick-input-widget input');
  await input.waitFor({ state: 'visible' });
  await input.fill('guide.txt');
  // Enter only once the list shows the file: earlier, it opens nothing.
  await page.locator('.quick-input-list .monaco-list-row', { hasText: 'guide.txt' }).first().waitFor();
  await page.keyboard.press('Enter');
  await page.locator('.monaco-editor .view-lines', { hasText: '案内人' }).waitFor();
}

// The colour of the first span of the editor whose text is `text`.
function colourOf(page, text) {
  return page.evaluate((wanted) => {
    const span = [...document.querySelectorAll('.monaco-editor .view-line span span')].find(
      (candidate) => candidate.textContent === wanted,
    );
    return span ? getComputedStyle(span).color : null;
  }, text);
}

function lineText(page, fragment) {
  return page.locator('.monaco-editor .view-line', { hasText: fragment });
}

async function checkDiagnostics(page) {
  await page.locator('.monaco-editor .squiggly-error').first().waitFor();
  await page.keyboard.press('Control+Shift+M');
  const problem = page.locator('.markers-panel .monaco-list-row', { hasText: 'L_Nowhere' });
  await problem.first().waitFor();
  const row = await problem.first().innerText();
  if (!row.includes('TW206')) {
    throw new Error(`the Problems row shows no code: ${row}`);
  }
}

// The pointer over the jump to the missing label, as a reader would look.
async function checkHover(page) {
  const label = page.locator('.monaco-editor .view-line span span', { hasText: /^L_Nowhere$/ });
  const box = await label.first().boundingBox();
  await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
  const hover = page.locator('.monaco-hover-content', { hasText: 'TW206' });
  await hover.first().waitFor();
  const text = await hover.first().innerText();
  if (!text.includes('誤りの例')) {
    throw new Error(`the hover shows no rule page: ${text}`);
  }
  await page.screenshot({ path: screenshot }); // colours, squiggles, the hover and Problems at once
  await page.mouse.move(0, 0);
  await hover.first().waitFor({ state: 'hidden' });
}

async function checkSemanticColours(page) {
  // The grammar leaves command words plain; only the server's tokens colour them.
  const plain = await page.evaluate(() => getComputedStyle(document.querySelector('.monaco-editor .view-lines')).color);
  await until('"mes" coloured by the semantic tokens', async () => {
    const colour = await colourOf(page, 'mes');
    return colour !== null && colour !== plain;
  });
}

async function applyQuickFix(page) {
  await goToLine(page, 8, 3);
  await page.keyboard.press('Control+.');
  const fix = page.locator('.action-widget .monaco-list-row', { hasText: 'mes' });
  await fix.first().waitFor();
  await page.keyboard.press('Enter'); // the preferred fix is the one chosen
  await lineText(page, 'mes "こんにちは"').waitFor();
}

async function renameLabel(page) {
  await goToLine(page, 7, 3);
  await page.keyboard.press('F2');
  const input = page.locator('.rename-box input, .rename-box textarea');
  await input.first().waitFor({ state: 'visible' });
  await input.first().fill('L_Welcome');
  await page.keyboard.press('Enter');
  await until('both places of the label renamed', async () => (await lineText(page, 'L_Welcome').count()) === 2);
}

async function saveAndWaitForDisk(page) {
  await page.keyboard.press('Control+S');
  await until('the saved script on disk', () => fs.readFileSync(guide).includes(Buffer.from('L_Welcome')));
}

async function main() {
  const browser = await chromium.launch({
    executablePath: process.env.TALEWICK_CHROMIUM || '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--lang=en-US'],
  });
  const page = await browser.newPage({ viewport: { width: 1280, height: 720 } });
  page.setDefaultTimeout(STEP_MS);
  try {
    await page.goto(`${url}/?folder=${encodeURIComponent(workspace)}`);
    await step('the script opens, decoded', () => openGuide(page));
    await step('Shift JIS and CRLF in the status bar', async () => {
      await page.locator('[id="status.editor.encoding"]', { hasText: 'Shift JIS' }).waitFor();
      await page.locator('[id="status.editor.eol"]', { hasText: 'CRLF' }).waitFor();
    });
    await step('the squiggle, and TW206 in Problems', () => checkDiagnostics(page));
    await step('semantic colours', () => checkSemanticColours(page));
    await step('the hover page', () => checkHover(page));
    await step('the quick fix', () => applyQuickFix(page));
    await step('the label renamed', () => renameLabel(page));
    await step('saved', () => saveAndWaitForDisk(page));
  } catch (error) {
    await page.screenshot({ path: `${screenshot}.failed.png` }).catch(() => {});
    throw error;
  } finally {
    await browser.close();
  }
}

main().catch((error) => {
  console.error(`vscode_extension: ${error.message}`);
  process.exit(1);
});
