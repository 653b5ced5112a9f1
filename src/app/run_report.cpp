#include "app/run_report.h"

#include "host/file_store.h"

namespace cordalis {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      lines.push_back(std::move(line));
      line.clear();
    } else {
      line += c;
    }
  }
  lines.push_back(std::move(line));
  return lines;
}

}  // namespace

LogFileReport::LogFileReport(FileStore& files, std::string path, LogStamp stamp, RunReport& fallback)
    : files_(files), path_(std::move(path)), stamp_(std::move(stamp)), fallback_(fallback) {}

void LogFileReport::Say(const std::string& text) {
  if (failed_) return;
  const std::string prefix = stamp_.now() + " " + stamp_.machine + " " + stamp_.user + ": ";
  std::string bytes;
  for (const std::string& line : Lines(text)) bytes += prefix + line + "\r\n";
  try {
    Append(bytes);
  } catch (const FileError& e) {
    failed_ = true;
    fallback_.Say("The log file " + path_ + " cannot be written: " + e.Reason());
  }
}

// A new log appears whole under its name, so that two machines starting one
// at the same moment cannot write over each other's first lines.
void LogFileReport::Append(const std::string& bytes) {
  for (int paused = 0;; ++paused) {
    try {
      if (!files_.Exists(path_)) {
        const std::string fresh = path_ + "." + stamp_.machine + ".new";
        files_.WriteDurably(fresh, bytes);
        if (files_.MoveNoReplace(fresh, path_)) return;
        files_.Remove(fresh);
      }
      files_.AppendDurably(path_, bytes);
      return;
    } catch (const FileError& e) {
      if (e.Fault() != FileFault::SharingViolation || paused >= kLogPauses) throw;
      files_.Pause(kLogPauseMilliseconds);
    }
  }
}

MsgAnswer ReportedMessageBoxes::Show(MsgOwner, MsgIcon icon, const std::string& text) {
  if (icon != MsgIcon::Question) {
    report_.Say(text);
    return MsgAnswer::Ok;
  }
  report_.Say(text + " No: a run without the window makes no change it cannot undo.");
  return MsgAnswer::No;
}

}  // namespace cordalis
