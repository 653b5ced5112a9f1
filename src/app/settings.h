#pragma once
// The main window's section "Settings" of the settings file: what it reads
// when it is created and writes when it is destroyed, and the first-run mark.
#include <cstdint>
#include <string>

#include "host/settings_store.h"

namespace cordalis {

inline constexpr char kSettingsSection[] = "Settings";

struct Settings {
  std::int32_t lastTip = -1;  // TwkID of the tweak to select; -1 selects none
  std::int32_t split1 = 250;  // width of the tweak panel
  std::int32_t findX = 10;    // position of the Find dialog
  std::int32_t findY = 10;
  std::string findWhat;       // the last text searched for

  // Reads every key; one that is missing or malformed takes its default.
  void Load(SettingsStore& store);
  // Writes "LastTip", "FindX", "FindY", "FindWhat" and "Split1" in that
  // order; false when any of them could not be written.
  bool Save(SettingsStore& store) const;
};

// Whether the first-run notice is still to be shown ("VeryFirst", default true).
bool ReadVeryFirst(SettingsStore& store);
// Records that it has been: "VeryFirst" written as "0".
bool ClearVeryFirst(SettingsStore& store);

}  // namespace cordalis
