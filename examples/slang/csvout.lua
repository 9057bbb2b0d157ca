--[[
csvout.lua - output macro for the SLANG target: one CSV line per record.

The converter (TYP=SLANG, SLMACRO=csvout.lua in the configuration) loads
this script once and calls five global functions. Every argument arrives as
a string; numbers are decimal texts. A function may return an integer; the
converter ignores it. An error inside a function is reported on the
terminal with file and line, and the run goes on with the next call.

  OpenOutput(path, append, datatype, consolidation, mandant, rundate)
      once, before the first record.
      path          the output file (PATH and NAME1..NAME5 of the
                    configuration); the converter does not create it, the
                    macro does
      append        "1" when APPEND is set, else "0"
      datatype      "1" Rechnungsausgang, "2" Debitoren - Adressen,
                    "3" Rechnungseingang, "4" Kreditoren - Adressen,
                    "5" Zahlungseingang
      consolidation input field 015 of the first record ("0" when absent)
      mandant       MANDANT of the configuration
      rundate       field 198 of the first record, else its field 105,
                    else today, as dd.mm.yyyy

  StartRecord(...)
      before the fields of each record. The converter sets no arguments
      for it: it sees what the last call left (do not rely on them).

  ProcessField(field, value, length, format, ...)
      once per field that the record holds, in increasing field number.
      field         the field number without leading zeros ("10", "105")
      value         the field's text as the host wrote it
      length        its declared length
      format        its format code
      The host's record table is never cleared: a field missing from one
      record keeps the value of the last record that had it.
      Arguments 5 and 6 are still those of OpenOutput.

  EndRecord(...)
      after the fields of each record; no arguments of its own.

  CloseOutput(...)
      once, after the last record; no arguments of its own. A cancelled
      run is a failed run (exit code 1): it does not call CloseOutput, and
      the output the macro wrote so far is not complete.

The values are written as they stand (Windows-1252 bytes from the host),
separated by ";", in double quotes when they contain ";", a quote or a
line break. Lines end with CR LF.
]]

local out       -- the open output file
local row = {}  -- the values of the current record, n of them
local n = 0     -- (one table for all records: nothing to collect per record)

-- Does a value need double quotes? Plain searches, no pattern: they run at
-- the speed of the C library.
local function special(text)
  return text:find(";", 1, true) or text:find('"', 1, true)
      or text:find("\r", 1, true) or text:find("\n", 1, true)
end

local function csv(value)
  if special(value) then
    return '"' .. value:gsub('"', '""') .. '"'
  end
  return value
end

function OpenOutput(path, append, datatype, consolidation, mandant, rundate)
  out = assert(io.open(path, append == "1" and "ab" or "wb"))
end

function StartRecord()
  n = 0
end

function ProcessField(field, value, length, format)
  n = n + 1
  row[n] = value
end

function EndRecord()
  -- A value never holds a zero byte (the converter cuts it there), so the
  -- values joined by one are searched once for a value that needs quotes;
  -- most records have none.
  if special(table.concat(row, "\0", 1, n)) then
    for i = 1, n do row[i] = csv(row[i]) end
  end
  out:write(table.concat(row, ";", 1, n), "\r\n")
end

function CloseOutput()
  out:close()
  return 0
end
