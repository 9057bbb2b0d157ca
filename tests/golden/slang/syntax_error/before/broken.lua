-- A macro that does not compile.
function OpenOutput(path)
  local n = = 1
end
