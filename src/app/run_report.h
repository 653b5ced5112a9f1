#pragma once
// Where a run without the window says what it did: a log file that many
// machines may share, standard output when the caller redirected it, and the
// message boxes of the layers below, which must not wait for a click.
#include <functional>
#include <string>
#include <vector>

#include "host/message_boxes.h"

namespace cordalis {

class FileStore;

class RunReport {
 public:
  virtual ~RunReport() = default;
  // A message of one or more lines ("\r\n" between them).
  virtual void Say(const std::string& text) = 0;
};

// Says nothing: standard output that nobody redirected.
class SilentReport final : public RunReport {
 public:
  void Say(const std::string&) override {}
};

// Says everything to each report in turn.
class ReportToAll final : public RunReport {
 public:
  explicit ReportToAll(std::vector<RunReport*> reports) : reports_(std::move(reports)) {}
  void Say(const std::string& text) override {
    for (RunReport* report : reports_) report->Say(text);
  }

 private:
  std::vector<RunReport*> reports_;
};

// Who and when, for each line of a log file.
struct LogStamp {
  std::function<std::string()> now;  // "2024-05-01 10:22:33"
  std::string machine;
  std::string user;
};

// Adds each line to a log file, after the date and time, the machine and the
// user: "2024-05-01 10:22:33 PC-042 admin: Applied ...". The file is made
// when missing; a file another machine is writing to is waited for a while.
// A log that cannot be written is told once to the fallback report, and the
// run goes on.
class LogFileReport final : public RunReport {
 public:
  LogFileReport(FileStore& files, std::string path, LogStamp stamp, RunReport& fallback);
  void Say(const std::string& text) override;

 private:
  void Append(const std::string& bytes);

  FileStore& files_;
  std::string path_;
  LogStamp stamp_;
  RunReport& fallback_;
  bool failed_ = false;
};

// The message boxes of the data module and the engine during a run without
// the window: each message goes to the report instead, and a question is
// answered No, as nothing unattended may change what it cannot undo.
class ReportedMessageBoxes final : public MessageBoxes {
 public:
  explicit ReportedMessageBoxes(RunReport& report) : report_(report) {}
  MsgAnswer Show(MsgOwner owner, MsgIcon icon, const std::string& text) override;

 private:
  RunReport& report_;
};

// How long a log file that another machine is appending to is waited for.
inline constexpr int kLogPauses = 40;
inline constexpr int kLogPauseMilliseconds = 50;

}  // namespace cordalis
