#include "app/win32/unattended_entry.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/run_report.h"
#include "app/unattended_run.h"
#include "db/packet_engine.h"
#include "host/file_store.h"
#include "host/host_queries.h"
#include "host/platform.h"
#include "host/registry_api.h"
#include "host/win32/win32_message_boxes.h"

namespace cordalis {
namespace {

// Standard output, when the caller gave the program one (a GUI program has
// no console on Windows 95 to 2000: only a redirection hands it a handle).
class StandardOutputReport final : public RunReport {
 public:
  StandardOutputReport() : handle_(GetStdHandle(STD_OUTPUT_HANDLE)) {
    if (handle_ == INVALID_HANDLE_VALUE || GetFileType(handle_) == FILE_TYPE_UNKNOWN) handle_ = nullptr;
  }
  void Say(const std::string& text) override {
    if (handle_ == nullptr) return;
    const std::string line = text + "\r\n";
    DWORD written = 0;
    WriteFile(handle_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);  // nobody to tell if not
  }

 private:
  HANDLE handle_;
};

std::string Now(bool seconds) {
  SYSTEMTIME t;
  GetLocalTime(&t);
  char text[32];
  std::snprintf(text, sizeof text, seconds ? "%04u-%02u-%02u %02u:%02u:%02u" : "%04u-%02u-%02u %02u:%02u",
                static_cast<unsigned>(t.wYear), static_cast<unsigned>(t.wMonth), static_cast<unsigned>(t.wDay),
                static_cast<unsigned>(t.wHour), static_cast<unsigned>(t.wMinute), static_cast<unsigned>(t.wSecond));
  return text;
}

std::string MachineName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  return GetComputerNameA(name, &size) ? name : "(unknown machine)";
}

std::string UserName() {
  char name[257] = {};  // UNLEN + 1
  DWORD size = sizeof name;
  return GetUserNameA(name, &size) ? name : "(unknown user)";
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The arguments as they came, for the log's first line.
std::string Joined(const std::vector<std::string>& arguments) {
  std::string line;
  for (const std::string& a : arguments) {
    if (!line.empty()) line += ' ';
    line += a.find_first_of(" \t") == std::string::npos && !a.empty() ? a : "\"" + a + "\"";
  }
  return line;
}

}  // namespace

std::optional<int> RunWithoutWindowIfAsked(Win32MessageBoxes& boxes) {
  std::vector<std::string> arguments = SplitCommandLine(GetCommandLineA());
  if (!arguments.empty()) arguments.erase(arguments.begin());  // the program's own name
  const CommandLineReading reading = ReadCommandLine(arguments);
  if (!reading.unattended) return std::nullopt;

  HostQueries& host = SystemHostQueries();
  StandardOutputReport output;
  const std::string machine = MachineName();
  std::vector<RunReport*> reports{&output};
  std::unique_ptr<LogFileReport> log;
  if (!reading.request.logFile.empty()) {
    log = std::make_unique<LogFileReport>(SystemFileStore(), reading.request.logFile,
                                          LogStamp{[] { return Now(true); }, machine, UserName()}, output);
    reports.push_back(log.get());
  }
  ReportToAll report(reports);
  HostEnvironment environment(host);
  XmlPacketEngine engine(SystemFileStore());
  const UnattendedPorts ports{engine,
                              SystemFileStore(),
                              SystemRegistry(),
                              host,
                              environment.Facts(),
                              boxes,
                              report,
                              output,
                              FolderOf(host.ProgramPath()),
                              Joined(arguments),
                              Now(false) + " on " + machine};
  return RunUnattended(reading, ports);
}

}  // namespace cordalis
