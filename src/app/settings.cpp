#include "app/settings.h"

namespace cordalis {

void Settings::Load(SettingsStore& store) {
  const Settings defaults;
  lastTip = store.ReadInteger(kSettingsSection, "LastTip", defaults.lastTip);
  split1 = store.ReadInteger(kSettingsSection, "Split1", defaults.split1);
  findX = store.ReadInteger(kSettingsSection, "FindX", defaults.findX);
  findY = store.ReadInteger(kSettingsSection, "FindY", defaults.findY);
  findWhat = store.ReadString(kSettingsSection, "FindWhat", defaults.findWhat);
}

bool Settings::Save(SettingsStore& store) const {
  // Every key is tried even after a failure, so that one bad write loses no more.
  bool ok = store.WriteInteger(kSettingsSection, "LastTip", lastTip);
  ok = store.WriteInteger(kSettingsSection, "FindX", findX) && ok;
  ok = store.WriteInteger(kSettingsSection, "FindY", findY) && ok;
  ok = store.WriteString(kSettingsSection, "FindWhat", findWhat) && ok;
  ok = store.WriteInteger(kSettingsSection, "Split1", split1) && ok;
  return ok;
}

bool ReadVeryFirst(SettingsStore& store) { return store.ReadBoolean(kSettingsSection, "VeryFirst", true); }

bool ClearVeryFirst(SettingsStore& store) { return store.WriteBoolean(kSettingsSection, "VeryFirst", false); }

}  // namespace cordalis
