-- Everything but EndRecord: the converter refuses it before OpenOutput runs.
function OpenOutput(path) io.open("opened.txt", "w"):close() end
function StartRecord() end
function ProcessField() end
EndRecord = "not a function"
function CloseOutput() end
