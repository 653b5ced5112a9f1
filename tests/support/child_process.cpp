#include "support/child_process.h"

#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace cordalis::testing {

#ifdef _WIN32
struct ChildProcess::Impl {
  PROCESS_INFORMATION process{};
  HANDLE output = nullptr;
};

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments) : impl_(new Impl) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE write = nullptr;
  if (!CreatePipe(&impl_->output, &write, &inherit, 0)) throw std::runtime_error("cannot make a pipe");
  SetHandleInformation(impl_->output, HANDLE_FLAG_INHERIT, 0);
  std::string commandLine = "\"" + program + "\"";
  for (const std::string& a : arguments) commandLine += " \"" + a + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  BOOL ok = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                           &impl_->process);
  CloseHandle(write);
  if (!ok) throw std::runtime_error("cannot start " + program);
}

ChildProcess::~ChildProcess() {
  Kill();
  CloseHandle(impl_->output);
  CloseHandle(impl_->process.hThread);
  CloseHandle(impl_->process.hProcess);
  delete impl_;
}

std::string ChildProcess::ReadLine() {
  std::string line;
  char c;
  DWORD n;
  while (ReadFile(impl_->output, &c, 1, &n, nullptr) && n == 1 && c != '\n')
    if (c != '\r') line += c;
  return line;
}

void ChildProcess::Kill() {
  TerminateProcess(impl_->process.hProcess, 137);
  WaitForSingleObject(impl_->process.hProcess, INFINITE);
}
#else
struct ChildProcess::Impl {
  pid_t pid = -1;
  int output = -1;
  bool ended = false;
};

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments) : impl_(new Impl) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) throw std::runtime_error("cannot make a pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int error = posix_spawn(&impl_->pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  impl_->output = pipeEnds[0];
  if (error != 0) throw std::runtime_error("cannot start " + program);
}

ChildProcess::~ChildProcess() {
  Kill();
  close(impl_->output);
  delete impl_;
}

std::string ChildProcess::ReadLine() {
  std::string line;
  char c;
  while (read(impl_->output, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

void ChildProcess::Kill() {
  if (impl_->ended) return;
  kill(impl_->pid, SIGKILL);
  waitpid(impl_->pid, nullptr, 0);
  impl_->ended = true;
}
#endif

}  // namespace cordalis::testing
