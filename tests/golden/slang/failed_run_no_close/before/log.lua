-- Logs the document number of each record and whether the output is closed.
local log
function OpenOutput() log = assert(io.open("log.txt", "wb")) end
function StartRecord() end
function ProcessField(field, value) if field == "100" then log:write(value, "\n") end end
function EndRecord() end
function CloseOutput() log:write("CloseOutput\n") log:close() end
