// Shared by the fuzz targets: fatal errors turned into an exception, and a
// private working directory for the files a run reads and writes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace zeko::fuzz {

// Thrown where the program would end the process with its message.
struct FatalExit {};

// Makes the next fatal error throw FatalExit instead of ending the process,
// so that one fuzzing process can run input after input. Call before each
// input. Whatever owns a resource must release it while the exception
// passes (the fuzzer's leak and file-descriptor checks see the rest).
void ArmFatal();

// The process's working directory for run files: fresh, on tmpfs when the
// machine has one (so that the runs' fsync calls cost nothing), made the
// current directory and TMPDIR on the first call, removed at exit.
const std::filesystem::path& WorkDir();

// Removes every file in the working directory.
void ClearWorkDir();

void WriteFile(const std::string& name, std::string_view bytes);
// The file's bytes; `exists` tells whether there was a file.
std::string ReadFile(const std::string& name, bool* exists = nullptr);

// Ends the process with a report when `condition` is false: a property
// every run must keep was broken.
void Require(bool condition, const char* what);

}  // namespace zeko::fuzz
