#pragma once
// A run of the program without its window: /list, /apply, /undo,
// /export-set and /export-reg over the same tables, lock, engine and write
// protocol as the window, saying what it did to a report.
#include <cstdint>
#include <string>

#include "app/unattended_request.h"

namespace cordalis {

class FileStore;
class HostQueries;
class MessageBoxes;
class PacketEngine;
class RegistryApi;
class RunReport;
class Tdm1;
struct HostFacts;

struct UnattendedPorts {
  PacketEngine& engine;
  FileStore& files;
  RegistryApi& registry;
  HostQueries& host;
  const HostFacts& facts;
  MessageBoxes& boxes;  // only for /? and a refused command line, unless /quiet
  RunReport& report;    // the log file and standard output
  RunReport& output;    // standard output alone: what /list lists when it names no file
  std::string programFolder;
  std::string commandLine;  // as given, for the log's first line
  std::string writtenOn;  // when and where, for the rollback file ("2024-05-01 10:22 on PC-042")
};

// How long a run that changes the tables waits for a window to let them go:
// tries every kLockPauseMilliseconds.
inline constexpr int kUnattendedLockPauses = 50;

// Runs what the command line asks for; returns the exit code.
int RunUnattended(const CommandLineReading& reading, const UnattendedPorts& ports);

struct TweakState;

// What /list shows as a tweak's state.
std::string TweakStateText(const TweakState& state);

}  // namespace cordalis
