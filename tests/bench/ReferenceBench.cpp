#include "ReferenceBench.h"

#include <windows.h>

#include <vector>

namespace {

HANDLE OpenForChild(const char* path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool ReferenceBench::Transcode(const std::string& input, const std::string& output, int kbps,
                               int quality, Timing* timing) const {
  std::string arguments = "--quiet --mp3input -b " + std::to_string(kbps) + " -q " +
                          std::to_string(quality) + " -m s \"" + input + "\" \"" + output + "\"";
  return RunLame(arguments, timing, nullptr);
}

bool ReferenceBench::Startup(Timing* timing) const {
  return RunLame("--version", timing, nullptr);
}

std::string ReferenceBench::Version() const {
  char path[MAX_PATH], name[MAX_PATH];
  GetTempPathA(MAX_PATH, path);
  GetTempFileNameA(path, "lam", 0, name);
  HANDLE file = OpenForChild(name, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
  Timing ignored;
  bool ran = file != INVALID_HANDLE_VALUE && RunLame("--version", &ignored, file);
  std::string text(200, '\0');
  DWORD got = 0;
  if (ran) {
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    ReadFile(file, &text[0], static_cast<DWORD>(text.size()), &got, nullptr);
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  DeleteFileA(name);
  text.resize(got);
  size_t end = text.find_first_of("\r\n");
  return text.substr(0, end);
}

// Wall time from the process's creation to its end. Its CPU time is not
// known: Wine does not report the times of another process.
bool ReferenceBench::RunLame(const std::string& arguments, Timing* timing, HANDLE output) const {
  HANDLE nothing = OpenForChild("NUL", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nothing;
  startup.hStdOutput = output ? output : nothing;
  startup.hStdError = nothing;
  std::string command = "\"" + lameExe_ + "\" " + arguments;
  std::vector<char> line(command.begin(), command.end());
  line.push_back(0);
  PROCESS_INFORMATION process = {};
  double start = Stopwatch::Now();
  bool created = CreateProcessA(lameExe_.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                nullptr, &startup, &process);
  DWORD code = 1;
  if (created) {
    WaitForSingleObject(process.hProcess, INFINITE);
    timing->wall = Stopwatch::Now() - start;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  CloseHandle(nothing);
  return created && code == 0;
}
