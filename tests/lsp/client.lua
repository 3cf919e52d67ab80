-- Drives `talewick-check --lsp` from Neovim's built-in LSP client, as an editor
-- user would meet it, and writes what the client saw, one fact a line:
--
--   nvim --headless --clean -u NONE -i NONE -n -c "luafile tests/lsp/client.lua"
--
-- Environment: TALEWICK_CHECK (the server), TALEWICK_WORKSPACE (a scratch copy
-- of tests/lsp/workspace, the workspace root), TALEWICK_OUTPUT (the facts file).
-- Lines and columns are 0-based. Diagnostics are as Neovim stores them (byte
-- columns of the UTF-8 buffer); answers to requests are the server's own
-- positions (UTF-16 code units). Every wait has a timeout; on any failure the
-- facts so far are written, then "FAILED: reason", and Neovim exits nonzero.

local server = os.getenv('TALEWICK_CHECK')
local workspace = os.getenv('TALEWICK_WORKSPACE')
local output = os.getenv('TALEWICK_OUTPUT')

local kWaitMs = 10000 -- the longest any one step may take
local kSettleMs = 300 -- diagnostics count as final after this long without more

local facts = {}
local function fact(line)
  facts[#facts + 1] = line
end

local function write_facts(failure)
  local file = assert(io.open(output, 'wb'))
  for _, line in ipairs(facts) do
    file:write(line, '\n')
  end
  if failure then
    file:write('FAILED: ', failure, '\n')
  end
  file:close()
end

local function fail(reason)
  error({ reason = reason }, 0)
end

local function wait_for(what, condition)
  if not vim.wait(kWaitMs, condition, 10) then
    fail('timed out waiting for ' .. what)
  end
end

-- The client and what the server told it.
local client_id
local exited = nil -- the server's exit code, once it is gone
local publications = {} -- {version, at} for each publishDiagnostics of the script
local script_uri

local function client()
  local found = vim.lsp.get_client_by_id(client_id)
  if not found then
    fail('the client is gone' .. (exited and (' (server exit ' .. exited .. ')') or ''))
  end
  return found
end

local function server_alive()
  if exited then
    fail('the server exited with ' .. exited)
  end
end

-- Like client.request_sync, but gives up at once when the server is gone.
local function request(method, params, bufnr)
  local answer
  local sent = client().request(method, params, function(err, result)
    answer = { err = err, result = result }
  end, bufnr)
  if not sent then
    fail(method .. ': not sent')
  end
  wait_for('the answer to ' .. method, function()
    server_alive()
    return answer ~= nil
  end)
  if answer.err then
    fail(method .. ': ' .. tostring(answer.err.message or vim.inspect(answer.err)))
  end
  return answer.result
end

-- The position of the `occurrence`-th `needle` on buffer line `line`, in the
-- server's UTF-16 code units, `offset` units further on.
local function position_of(bufnr, line, needle, occurrence, offset)
  local text = vim.api.nvim_buf_get_lines(bufnr, line, line + 1, true)[1]
  local from = 1
  local start
  for _ = 1, occurrence or 1 do
    start = text:find(needle, from, true)
    if not start then
      fail(('"%s" is not on line %d'):format(needle, line))
    end
    from = start + 1
  end
  local _, utf16 = vim.str_utfindex(text, start - 1)
  return { line = line, character = utf16 + (offset or 0) }
end

local function text_document_position(position)
  return { textDocument = { uri = script_uri }, position = position }
end

local function span(range)
  return ('%d:%d-%d:%d'):format(range.start.line, range.start.character, range['end'].line, range['end'].character)
end

local function sorted(lines)
  table.sort(lines)
  return lines
end

-- Orders lines by their first "LINE:COLUMN", numerically, then as text.
local function by_position(a, b)
  local al, ac = a:match('(%d+):(%d+)')
  local bl, bc = b:match('(%d+):(%d+)')
  al, ac, bl, bc = tonumber(al), tonumber(ac), tonumber(bl), tonumber(bc)
  if al ~= bl then
    return al < bl
  end
  if ac ~= bc then
    return ac < bc
  end
  return a < b
end

local function locations(result)
  if result == nil then
    return {}
  end
  if result.uri then
    result = { result }
  end
  local lines = {}
  for _, location in ipairs(result) do
    local name = vim.fn.fnamemodify(vim.uri_to_fname(location.uri), ':t')
    lines[#lines + 1] = name .. ' ' .. span(location.range)
  end
  table.sort(lines, by_position)
  return lines
end

-- Waits until the server has published diagnostics for buffer version
-- `version` and then said nothing more for a while: once it has read the
-- workspace's other files it publishes the same version again, with its
-- callfunc warnings (TW212) judged.
local function wait_for_diagnostics(version)
  wait_for('diagnostics of version ' .. version, function()
    server_alive()
    local last = publications[#publications]
    return last and last.version == version and vim.loop.now() - last.at >= kSettleMs
  end)
end

local severities = { 'error', 'warning', 'information', 'hint' }

local function write_diagnostics(bufnr)
  local lines = {}
  for _, d in ipairs(vim.diagnostic.get(bufnr)) do
    local code = d.code or (d.user_data and d.user_data.lsp and d.user_data.lsp.code)
    lines[#lines + 1] =
      ('diagnostic %d:%d %s %s'):format(d.lnum, d.col, tostring(code), severities[d.severity] or '?')
  end
  table.sort(lines, by_position)
  for _, line in ipairs(lines) do
    fact(line)
  end
end

local function buffer_version(bufnr)
  return vim.lsp.util.buf_versions[bufnr]
end

local function run()
  if not (server and workspace and output) then
    fail('TALEWICK_CHECK, TALEWICK_WORKSPACE and TALEWICK_OUTPUT must be set')
  end
  vim.o.encoding = 'utf-8'
  vim.o.fileencodings = 'cp932'
  vim.o.fileformats = 'dos,unix'

  client_id = vim.lsp.start_client({
    name = 'talewick',
    cmd = { server, '--lsp' },
    root_dir = workspace,
    offset_encoding = 'utf-16',
    flags = { debounce_text_changes = 0 },
    handlers = {
      ['textDocument/publishDiagnostics'] = function(err, result, ctx, config)
        if result and result.uri == script_uri then
          publications[#publications + 1] = { version = result.version, at = vim.loop.now() }
        end
        return vim.lsp.diagnostic.on_publish_diagnostics(err, result, ctx, config)
      end,
    },
    on_exit = function(code)
      exited = code
    end,
  })
  if not client_id then
    fail('the client did not start')
  end
  wait_for('initialize', function()
    server_alive()
    local started = vim.lsp.get_client_by_id(client_id)
    return started and started.initialized
  end)

  -- The script with mistakes, code page 932 with CR LF.
  local path = workspace .. '/ferry.txt'
  vim.cmd('edit ' .. vim.fn.fnameescape(path))
  local bufnr = vim.api.nvim_get_current_buf()
  script_uri = vim.uri_from_bufnr(bufnr)
  fact(('file ferry.txt %s %s'):format(vim.bo[bufnr].fileencoding, vim.bo[bufnr].fileformat))
  if not vim.lsp.buf_attach_client(bufnr, client_id) then
    fail('the buffer did not attach')
  end
  wait_for_diagnostics(buffer_version(bufnr))
  fact('== diagnostics on open')
  write_diagnostics(bufnr)

  -- Labels: from the menu's jump to L_Fare, and from the menu's L_Ride.
  fact('== labels')
  local menu_line = 5
  for _, place in ipairs(locations(request('textDocument/definition',
      text_document_position(position_of(bufnr, menu_line, 'L_Fare', 1, 2)), bufnr))) do
    fact('definition ' .. place)
  end
  local references = request('textDocument/references', {
    textDocument = { uri = script_uri },
    position = position_of(bufnr, menu_line, 'L_Ride'),
    context = { includeDeclaration = true },
  }, bufnr)
  for _, place in ipairs(locations(references)) do
    fact('reference ' .. place)
  end

  -- Rename L_Ride from its goto; the other NPC's own L_Ride must stay.
  fact('== rename')
  local goto_line = 15
  local goto_place = position_of(bufnr, goto_line, 'L_Ride', 1, 3)
  local prepared = request('textDocument/prepareRename', text_document_position(goto_place), bufnr)
  fact(('prepare_rename %s %s'):format(span(prepared.range or prepared), tostring(prepared.placeholder)))
  local before = vim.api.nvim_buf_get_lines(bufnr, 0, -1, true)
  local edit = request('textDocument/rename', {
    textDocument = { uri = script_uri },
    position = goto_place,
    newName = 'L_Board',
  }, bufnr)
  vim.lsp.util.apply_workspace_edit(edit, 'utf-16')
  local after = vim.api.nvim_buf_get_lines(bufnr, 0, -1, true)
  if #after ~= #before then
    fail(('the rename changed the line count from %d to %d'):format(#before, #after))
  end
  for index, text in ipairs(after) do
    if text ~= before[index] then
      fact(('line %d: %s'):format(index - 1, text))
    end
  end

  -- Mend the missing ";" by typing it at the end of its line (an incremental change).
  local mend_line = 13
  local text = vim.api.nvim_buf_get_lines(bufnr, mend_line, mend_line + 1, true)[1]
  vim.api.nvim_buf_set_text(bufnr, mend_line, #text, mend_line, #text, { ';' })
  wait_for_diagnostics(buffer_version(bufnr))
  fact('== diagnostics after the ";" is typed')
  write_diagnostics(bufnr)

  -- Outline, hover and completion.
  fact('== outline')
  local function symbols(list, parent)
    for _, symbol in ipairs(list or {}) do
      local name = parent and (parent .. '/' .. symbol.name) or symbol.name
      local range = symbol.range or symbol.location.range
      fact(('symbol %s %s %d-%d'):format(name, vim.lsp.protocol.SymbolKind[symbol.kind] or symbol.kind,
        range.start.line, range['end'].line))
      symbols(symbol.children, name)
    end
  end
  symbols(request('textDocument/documentSymbol', { textDocument = { uri = script_uri } }, bufnr))

  fact('== hover')
  local hover = request('textDocument/hover', text_document_position(position_of(bufnr, 2, 'mes', 1, 1)), bufnr)
  if not hover then
    fail('no hover on mes')
  end
  local contents = hover.contents
  fact(('hover %s %s'):format(hover.range and span(hover.range) or '-', contents.value or contents))

  fact('== completion after "goto "')
  local completion = request('textDocument/completion',
    text_document_position(position_of(bufnr, goto_line, 'goto ', 1, 5)), bufnr)
  local items = {}
  for _, item in ipairs(completion and (completion.items or completion) or {}) do
    items[#items + 1] = ('completion %s %s'):format(item.label, vim.lsp.protocol.CompletionItemKind[item.kind] or item.kind)
  end
  for _, line in ipairs(sorted(items)) do
    fact(line)
  end

  -- A clean shutdown: shutdown, exit, and the server's own exit code.
  vim.lsp.stop_client(client_id)
  wait_for('the server to exit', function()
    return exited ~= nil
  end)
  fact('server exit ' .. exited)
end

local ok, problem = xpcall(run, function(e)
  if type(e) == 'table' and e.reason then
    return e.reason
  end
  return debug.traceback(tostring(e), 2)
end)
if ok then
  write_facts()
  vim.cmd('qall!')
else
  if client_id and not exited then
    vim.lsp.stop_client(client_id, true)
  end
  io.stderr:write('FAILED: ', problem, '\n')
  if output then
    pcall(write_facts, problem)
  end
  vim.cmd('cquit 1')
end
