#pragma once
// One machine for runs without the window: the program's folder on a disk
// that keeps through a power cut only what was flushed, the Registry in
// memory, Windows XP with Internet Explorer 6, and a catalogue whose keys lie
// under HKCU\Software\Test.
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/run_report.h"
#include "app/unattended_run.h"
#include "db/dm1.h"
#include "db/packet_engine.h"
#include "db/records.h"
#include "doubles/memory_file_store.h"
#include "doubles/memory_registry.h"
#include "doubles/recording_message_boxes.h"
#include "doubles/scripted_host_queries.h"
#include "host/platform.h"
#include "host/registry.h"
#include "support/crashing_file_store.h"
#include "support/table_files.h"

namespace cordalis::testing {

class RecordingReport final : public RunReport {
 public:
  void Say(const std::string& text) override { said.push_back(text); }
  // Everything said, a line each.
  std::string Text() const {
    std::string all;
    for (const std::string& s : said) all += s + "\n";
    return all;
  }
  bool Has(const std::string& part) const { return Text().find(part) != std::string::npos; }
  std::vector<std::string> said;
};

class UnattendedWorld {
 public:
  static constexpr const char* kFolder = "C:\\Cordalis";
  static constexpr const char* kKey = "Software\\Test";

  UnattendedWorld(const std::vector<RowText>& tweaks, const std::vector<RowText>& actions) {
    host.version = OsVersionRecord{2, 5, 1};  // Windows XP
    HKey ie = 0;
    registry.CreateKey(kHkeyLocalMachine, "Software\\Microsoft\\Internet Explorer", kKeyAllAccess, &ie, nullptr);
    const std::string six = "6.0.2900";
    registry.SetValue(ie, "Version", kRegSz, reinterpret_cast<const std::uint8_t*>(six.c_str()),
                      static_cast<std::uint32_t>(six.size() + 1));
    registry.CloseKey(ie);
    HKey users = 0;  // every Windows has it; the probe of the writable roots makes keys below it
    registry.CreateKey(kHkeyUsers, ".Default", kKeyAllAccess, &users, nullptr);
    registry.CloseKey(users);
    WriteTable(disk, PathInFolder(kFolder, "Twks.xml"), Tdm1::TweakFields(), tweaks);
    WriteTable(disk, PathInFolder(kFolder, "Data.xml"), Tdm1::ActionFields(), actions);
    WriteTable(disk, PathInFolder(kFolder, "Undo.xml"), Tdm1::UndoFields(), {});
    WriteTable(disk, PathInFolder(kFolder, "Note.xml"), Tdm1::NoteFields(), {});
    environment = std::make_unique<HostEnvironment>(host);
  }

  // Runs the program with this command line (after its name); returns the exit code.
  int Run(const std::string& commandLine) {
    report.said.clear();
    output.said.clear();
    boxes.shown.clear();
    std::vector<std::string> arguments = SplitCommandLine("cordalis.exe " + commandLine);
    arguments.erase(arguments.begin());
    const CommandLineReading reading = ReadCommandLine(arguments);
    const UnattendedPorts ports{engine, files,      registry, host, environment->Facts(), boxes, report, output,
                                kFolder, commandLine, "2024-05-01 10:22 on TESTPC"};
    return RunUnattended(reading, ports);
  }

  // A value under HKCU as its bytes, or "(none)".
  std::string Value(const std::string& key, const std::string& name) {
    HKey k = 0;
    if (registry.OpenKey(kHkeyCurrentUser, key, kKeyRead, &k) != kErrorSuccess) return "(none)";
    std::uint32_t type = 0;
    std::vector<std::uint8_t> bytes;
    const long error = registry.QueryValue(k, name, &type, &bytes, nullptr);
    registry.CloseKey(k);
    if (error != kErrorSuccess) return "(none)";
    return std::string(bytes.begin(), bytes.end());
  }
  void PutText(const std::string& key, const std::string& name, const std::string& text) {
    HKey k = 0;
    registry.CreateKey(kHkeyCurrentUser, key, kKeyAllAccess, &k, nullptr);
    registry.SetValue(k, name, kRegSz, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                      static_cast<std::uint32_t>(text.size() + 1));
    registry.CloseKey(k);
  }

  // The undo actions of a tweak, as the tables on the disk hold them.
  std::vector<UndoRecord> UndoOf(std::int32_t twkId) {
    SilentMessageBoxes silent;
    Tdm1 dm(engine, files, silent, kFolder);
    return ActionsWithKey(dm.cdsUndo, twkId);
  }
  std::string File(const std::string& path) { return disk.files.count(ToLowerAscii(path)) ? disk.At(path) : ""; }
  void WriteFile(const std::string& path, const std::string& text) { disk.files[ToLowerAscii(path)] = text; }

  MemoryFileStore disk;
  CrashingFileStore files{disk};
  XmlPacketEngine engine{files};
  MemoryRegistry registry;
  ScriptedHostQueries host;
  std::unique_ptr<HostEnvironment> environment;
  RecordingMessageBoxes boxes;
  RecordingReport report;
  RecordingReport output;
};

}  // namespace cordalis::testing
