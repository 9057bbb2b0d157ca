-- Everything but EndRecord: the converter refuses it before OpenOutput runs.
function OpenOutput(path) io.open("opened.txt", "wb"):close() end
function StartRecord() end
function ProcessField() end
EndRecord = "not a function"
function CloseOutput() end
