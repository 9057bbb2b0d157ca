-- ProcessField fails on field 115 of every record; the run goes on.
local log

function OpenOutput() log = assert(io.open("log.txt", "wb")) end
function StartRecord() log:write("StartRecord\n") end

function ProcessField(field, value)
  if field == "115" then
    local amount = nil
    value = amount + 1
  end
  log:write("ProcessField ", field, "\n")
end

function EndRecord() log:write("EndRecord\n") end
function CloseOutput() log:write("CloseOutput\n") log:close() end
