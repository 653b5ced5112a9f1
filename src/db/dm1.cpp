#include "db/dm1.h"

#include "db/packet_engine.h"
#include "db/schema.h"
#include "host/file_store.h"
#include "host/format.h"
#include "host/message_boxes.h"

namespace cordalis {
namespace {

// Every field the program reads must be there with its type; a file that lacks
// one is as unusable as one that does not parse.
void RequireFields(const ClientDataSet& table, const FieldDefs& required, const std::string& fileName) {
  const FieldDefs& present = table.Data().Fields();
  for (const FieldDef& want : required) {
    int f = table.Data().FieldIndex(want.name);
    if (f < 0) throw DataSetError(fileName + ": the field " + want.name + " is missing");
    if (present[static_cast<std::size_t>(f)].type != want.type)
      throw DataSetError(fileName + ": the field " + want.name + " is not of type " + FieldTypeName(want.type));
  }
}

}  // namespace

std::string PathInFolder(const std::string& folder, const std::string& name) {
#ifdef _WIN32
  return folder + "\\" + name;
#else
  return folder + "/" + name;
#endif
}

const FieldDefs& Tdm1::TweakFields() { return schema::TweakFields(); }
const FieldDefs& Tdm1::ActionFields() { return schema::ActionFields(); }
const FieldDefs& Tdm1::UndoFields() { return schema::UndoFields(); }
const FieldDefs& Tdm1::NoteFields() { return schema::NoteFields(); }

Tdm1::Tdm1(PacketEngine& engine, FileStore& files, MessageBoxes& boxes, std::string programFolder)
    : cdsTwks("cdsTwks", engine),
      cdsData("cdsData", engine),
      cdsUndo("cdsUndo", engine),
      cdsNote("cdsNote", engine),
      files_(files),
      boxes_(boxes),
      folder_(std::move(programFolder)) {
  cdsTwks.FieldList = TweakFields();
  cdsData.FieldList = ActionFields();
  cdsUndo.FieldList = UndoFields();
  cdsNote.FieldList = NoteFields();
  cdsTwks.SetIndexField("TwkID");
  for (ClientDataSet* detail : {&cdsData, &cdsUndo, &cdsNote}) detail->SetMaster(cdsTwks, "TwkID");
  for (ClientDataSet* table : {&cdsTwks, &cdsData, &cdsUndo, &cdsNote}) table->SetReadOnly(true);
  Open();
}

Tdm1::~Tdm1() {
  try {
    Close();
  } catch (...) {
    // Every writer has already saved its table; nothing is lost here.
  }
}

void Tdm1::Open() {
  loadStatus_ = lsLoaded;
  RecoverTableFiles(files_, folder_);
  cdsTwks.FileName = PathInFolder(folder_, "Twks.xml");
  cdsData.FileName = PathInFolder(folder_, "Data.xml");
  cdsUndo.FileName = PathInFolder(folder_, "Undo.xml");
  cdsNote.FileName = PathInFolder(folder_, "Note.xml");
  try {
    cdsTwks.Open();
    RequireFields(cdsTwks, TweakFields(), "Twks.xml");
  } catch (const EngineUnavailableError&) {
    cdsTwks.Close();
    loadStatus_ = lsEngineFailed;
    return;
  } catch (const std::exception&) {
    cdsTwks.Close();
    loadStatus_ = lsTweaksFailed;
    return;
  }
  try {
    cdsData.Open();
    RequireFields(cdsData, ActionFields(), "Data.xml");
  } catch (const std::exception&) {
    cdsData.Close();
    loadStatus_ = lsActionsFailed;
    return;
  }
  OpenUserTable(cdsUndo, UndoFields(), "stored undo actions", "undo.xml",
                " You will not be able to undo tweaks that were used previously.");
  OpenUserTable(cdsNote, NoteFields(), "your notes", "note.xml", "");
}

void Tdm1::OpenUserTable(ClientDataSet& table, const FieldDefs& fields, const char* description,
                         const char* fileName, const char* consequence) {
  const char* state = "missing";
  if (files_.Exists(table.FileName)) {
    try {
      table.Open();
      RequireFields(table, fields, fileName);
      table.WidenFields(fields);  // a file written with narrower fields must not cut new rows
      return;
    } catch (const std::exception&) {
      table.Close();
      state = "corrupted";
    }
  }
  boxes_.Show(MsgOwner::None, MsgIcon::Information,
              Format("The database of %s (%s) is %s. Cordalis will create a new empty %1:s.%3:s\r\n\r\n"
                     "If you can locate the old %1:s file, close Cordalis and copy the old file over the "
                     "newly-created empty one.",
                     {description, fileName, state, consequence}));
  if (files_.Exists(table.FileName)) KeepDamagedFile(table.FileName);
  table.FieldList = fields;
  table.CreateDataSet();
}

// A damaged user file may still hold what the user needs; it is moved aside
// under a name of its own, never over an earlier damaged copy.
void Tdm1::KeepDamagedFile(const std::string& path) {
  for (int n = 1; n <= 1000; ++n) {
    std::string kept = path + ".damaged" + (n == 1 ? std::string() : "-" + std::to_string(n));
    if (files_.MoveNoReplace(path, kept)) return;
  }
  throw FileError("Cannot keep the damaged file " + path + ": too many damaged copies beside it");
}

bool Tdm1::LocateTweak(std::int32_t twkId) { return cdsTwks.Active() && cdsTwks.FindKey(twkId); }

void Tdm1::Close() {
  for (ClientDataSet* table : {&cdsNote, &cdsUndo, &cdsData, &cdsTwks}) table->Close();
}

void RecoverTableFiles(FileStore& files, const std::string& programFolder) {
  for (const char* name : {"Twks.xml", "Data.xml", "Undo.xml", "Note.xml"})
    RecoverInterruptedReplacement(files, PathInFolder(programFolder, name));
}

bool DatabasePreCheck(FileStore& files, MessageBoxes& boxes, const std::string& programFolder) {
  RecoverTableFiles(files, programFolder);
  bool tweaks = files.Exists(PathInFolder(programFolder, "twks.xml"));
  bool actions = files.Exists(PathInFolder(programFolder, "Data.xml"));
  if (tweaks && actions) return true;
  const char* subject = !tweaks && !actions ? "twks.xml and data.xml databases are"
                        : !tweaks           ? "twks.xml database is"
                                            : "data.xml database is";
  boxes.Show(MsgOwner::None, MsgIcon::Error,
             Format("Cordalis's essential %s not present in the program's folder (%s).\r\n\r\n"
                    "Without the database files, it is impossible for Cordalis to function. You will need to "
                    "reinstall the program.\r\n\r\nClick OK to terminate",
                    {subject, programFolder}));
  return false;
}

std::string LoadFailureMessage(int loadStatus) {
  switch (loadStatus) {
    case lsTweaksFailed:
    case lsActionsFailed:
      return Format("Cordalis's essential database file %s.xml is present in the program's folder, but it is "
                    "corrupted.\r\n\r\nWithout this database file, it is impossible for Cordalis to function. You "
                    "will need to reinstall the program.\r\n\r\nClick OK to terminate.",
                    {loadStatus == lsTweaksFailed ? "Twks" : "Data"});
    case lsEngineFailed:
      return "Cordalis relies on the support file MIDAS.DLL for database handling. This file is apparently absent "
             "from your Windows System folder. Please reinstall Cordalis.";
    default:
      return {};
  }
}

}  // namespace cordalis
