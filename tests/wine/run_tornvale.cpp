#include "run_tornvale.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>

namespace {

struct Pipe {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  Pipe() {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (!CreatePipe(&read, &write, &inherit, 0)) throw std::runtime_error("CreatePipe");
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  }
  ~Pipe() {
    if (read) CloseHandle(read);
    if (write) CloseHandle(write);
  }
  void CloseWrite() {
    CloseHandle(write);
    write = nullptr;
  }
};

std::string Drain(HANDLE pipe) {
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  return bytes;
}

std::wstring Quote(const std::wstring& arg) {
  // Backslashes double only where a quote follows them.
  std::wstring quoted = L"\"";
  std::size_t slashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++slashes;
      continue;
    }
    if (c == L'"') quoted.append(slashes * 2 + 1, L'\\');
    else quoted.append(slashes, L'\\');
    slashes = 0;
    quoted += c;
  }
  quoted.append(slashes * 2, L'\\');
  return quoted + L"\"";
}

struct DrainJob {
  HANDLE pipe;
  std::string bytes;
};

DWORD WINAPI DrainThread(void* job) {
  auto* drain = static_cast<DrainJob*>(job);
  drain->bytes = Drain(drain->pipe);
  return 0;
}

}  // namespace

std::wstring TornvalePath() {
  wchar_t path[MAX_PATH * 4];
  const DWORD length = GetEnvironmentVariableW(L"TORNVALE_EXE", path, MAX_PATH * 4);
  if (length == 0 || length >= MAX_PATH * 4) throw std::runtime_error("TORNVALE_EXE not set");
  return path;
}

RunResult RunTornvaleRaw(const std::wstring& tail) {
  const std::wstring exe = TornvalePath();
  std::wstring commandLine = Quote(exe) + tail;
  Pipe out;
  Pipe err;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = out.write;
  startup.hStdError = err.write;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      nullptr, &startup, &process))
    throw std::runtime_error("CreateProcessW failed");
  CloseHandle(process.hThread);
  out.CloseWrite();
  err.CloseWrite();
  RunResult result;
  // Both pipes are read at once so neither can fill up and stall the child.
  DrainJob errJob{err.read, {}};
  HANDLE errReader = CreateThread(nullptr, 0, DrainThread, &errJob, 0, nullptr);
  if (errReader == nullptr) throw std::runtime_error("CreateThread failed");
  result.out = Drain(out.read);
  WaitForSingleObject(errReader, INFINITE);
  CloseHandle(errReader);
  result.err = errJob.bytes;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hProcess);
  result.status = status;
  return result;
}

RunResult RunTornvale(const std::vector<std::wstring>& args) {
  std::wstring tail;
  for (const std::wstring& arg : args) tail += L" " + Quote(arg);
  return RunTornvaleRaw(tail);
}

void ExpectRun(const std::vector<std::wstring>& args, unsigned long status,
               const std::string& out) {
  const RunResult run = RunTornvale(args);
  EXPECT_EQ(run.status, status);
  EXPECT_EQ(run.out, out);
  EXPECT_EQ(run.err, "");
}
