#pragma once
// The rollback file: a Registry editor file that puts back what the undo data
// records, for a machine where Cordalis is gone or will not start. Imported
// with the system's own Registry editor, it does what Undo does: values come
// back with their recorded types and data, keys and values DO IT made are
// removed.
//
// It is written in the REGEDIT4 format, in the machine's ANSI code page: the
// one format the Registry editors of all six systems import. "Windows
// Registry Editor Version 5.00" files are UTF-16 text that only the editors
// of Windows 2000 and XP read. REGEDIT4 keeps every type (strings in quotes,
// dword:, hex: and hex(n): for the others) and deletes keys ([-KEY]) and
// values ("name"=-); the editors of Windows 2000 and XP read the ANSI text,
// hex(2) and hex(7) data included, through the code page, as the editors of
// Windows 95, 98 and ME store it. Windows 95's editor cannot delete by
// import, so the file's opening comment names everything it deletes.
#include <cstdint>
#include <string>
#include <vector>

#include "db/records.h"

namespace cordalis {

class Tdm1;

struct RollbackTweak {
  std::int32_t twkId = 0;
  std::string title;
  std::vector<UndoRecord> actions;  // in the order Undo replays them
};

// The file's text, CR LF line ends. The tweaks come in the order their undo is
// to be made: the one applied last first. writtenOn says when and where, for
// the opening comment ("2024-05-01 10:22 on PC-042"); it may be empty.
std::string RollbackFileText(const std::vector<RollbackTweak>& tweaks, const std::string& writtenOn);

// Every tweak that has undo data, the one applied last first, with its undo
// actions in the order Undo replays them.
std::vector<RollbackTweak> RollbackTweaksOf(const Tdm1& dm);

}  // namespace cordalis
