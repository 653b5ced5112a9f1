// A writer's rows survive the process being killed before the tables close.
#include <gtest/gtest.h>

#include "db/dm1.h"
#include "db/packet_engine.h"
#include "host/file_store.h"
#include "support/build_path.h"
#include "support/child_process.h"
#include "doubles/recording_message_boxes.h"
#include "support/table_files.h"
#include "support/temp_dir.h"

namespace cordalis {
namespace {

TEST(Durability, UndoRowsSurviveAKilledProcess) {
  testing::TempDir dir;
  testing::WriteSampleCatalogue(SystemFileStore(), dir.Str());
  testing::WriteTable(SystemFileStore(), dir.File("Undo.xml"), Tdm1::ActionFields(), {});
  testing::WriteTable(SystemFileStore(), dir.File("Note.xml"), Tdm1::NoteFields(), {});
  {
    testing::ChildProcess writer(testing::BuildPath(CORDALIS_UNDO_WRITER), {dir.Str(), "5"});
    ASSERT_EQ(writer.ReadLine(), "written");
    writer.Kill();
  }
  testing::RecordingMessageBoxes boxes;
  XmlPacketEngine engine(SystemFileStore());
  Tdm1 dm(engine, SystemFileStore(), boxes, dir.Str());
  EXPECT_TRUE(boxes.shown.empty());
  ASSERT_TRUE(dm.LocateTweak(5));
  std::vector<std::string> keys;
  for (dm.cdsUndo.First(); !dm.cdsUndo.Eof(); dm.cdsUndo.Next()) keys.push_back(dm.cdsUndo.AsString("Key"));
  EXPECT_EQ(keys, (std::vector<std::string>{"Software\\Written1", "Software\\Written2"}));
}

}  // namespace
}  // namespace cordalis
