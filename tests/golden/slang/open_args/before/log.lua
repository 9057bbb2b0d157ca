-- Writes every call of the converter, with its arguments, to log.txt.
local log

local function put(name, ...)
  local args = table.pack(...)
  local parts = {}
  for i = 1, args.n do parts[#parts + 1] = "[" .. args[i] .. "]" end
  log:write(name, " ", args.n, " ", table.concat(parts, " "), "\n")
end

function OpenOutput(...)
  log = assert(io.open("log.txt", "wb"))
  put("OpenOutput", ...)
end

function StartRecord(...) put("StartRecord", ...) end
function ProcessField(...) put("ProcessField", ...) end
function EndRecord(...) put("EndRecord", ...) end

function CloseOutput(...)
  put("CloseOutput", ...)
  log:close()
end
