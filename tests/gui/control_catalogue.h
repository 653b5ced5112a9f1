#pragma once
// A catalogue with every kind of control, its actions writing under a sandbox
// key: for the GUI tests of the controls pane and for the pictures of it.
#include <map>
#include <string>
#include <vector>

#include "controls/controls_pane.h"
#include "db/dm1.h"
#include "db/records.h"
#include "doubles/memory_registry.h"
#include "doubles/scripted_host_queries.h"
#include "host/file_store.h"
#include "support/fixed_text_measure.h"
#include "support/table_files.h"

namespace cordalis::testing {

inline std::vector<ActionRecord> EveryControl(const std::string& key) {
  auto action = [&](const char* value, int dataType, const char* special, const char* data) {
    return ActionRecord{1, "HKCU", key, value, dataType, 1, special, data, 0x0F3F};
  };
  return {action("Drive", 1, "drive", "Drive letter"),
          action("File", 1, "file", "Program file|Programs|*.exe"),
          action("Folder", 1, "folder", "Folder"),
          action("Memo", 1, "memo", "Message"),
          action("Number", 4, "num", "Delay (seconds)|0|100|5|20"),
          action("Text", 1, "text", "Optional text"),
          action("TextB", 1, "textb", "Required text"),
          action("Toggle", 4, "toggle", "Switch it on|1|0")};
}

// The tables: tweak 1 with every control but the icon, tweak 2 that only
// shows a value, tweak 3 that asks for an icon.
inline void WriteControlCatalogue(FileStore& files, const std::string& folder, const std::string& key) {
  WriteTable(files, PathInFolder(folder, "Twks.xml"), Tdm1::TweakFields(),
             {{"1", "FALSE", "Controls", "", "Every control", "Asks for one of everything."},
              {"2", "FALSE", "Controls", "", "Only a view", "Shows a value."},
              {"3", "FALSE", "Controls", "", "An icon", "Asks for an icon."}});
  std::vector<RowText> rows;
  for (const ActionRecord& a : EveryControl(key))
    rows.push_back({"1", a.root, a.key, a.value, std::to_string(a.dataType), std::to_string(a.changeType), a.special,
                    a.data, std::to_string(a.verMask)});
  rows.push_back({"2", "HKCU", key, "Drive", "1", "4", "view", "Current drive", std::to_string(0x0F3F)});
  rows.push_back({"3", "HKCU", key, "Icon", "1", "1", "icon", "Icon", std::to_string(0x0F3F)});
  WriteTable(files, PathInFolder(folder, "Data.xml"), Tdm1::ActionFields(), rows);
}

// The window id of each control of tweak 1, by name, as the pane numbers its
// controls: 1000 and up, in the order the model describes them.
inline std::map<std::string, int> ControlIds(const std::string& key) {
  MemoryRegistry registry;
  ScriptedHostQueries host;
  FixedTextMeasure measure;
  PaneGeometry geometry;
  const std::vector<ActionRecord> actions = EveryControl(key);
  ControlsPaneModel pane;
  pane.Clear();
  pane.RunActionPass({actions, registry, host, measure, geometry, false, false, 0x0820});
  std::map<std::string, int> ids;
  for (std::size_t i = 0; i < pane.Controls().size(); ++i) ids[pane.Controls()[i].name] = 1000 + static_cast<int>(i);
  return ids;
}

}  // namespace cordalis::testing
