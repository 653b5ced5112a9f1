// The catalogue that ships beside the program loads as the program loads it.
#include <gtest/gtest.h>

#include <filesystem>

#include "db/dm1.h"
#include "db/packet_engine.h"
#include "db/record_codes.h"
#include "host/file_store.h"
#include "support/build_path.h"
#include "doubles/recording_message_boxes.h"
#include "support/table_files.h"
#include "support/temp_dir.h"

namespace cordalis {
namespace {

TEST(ShippedCatalogue, LoadsWithStatusZeroAndEveryTweakHasActions) {
  testing::TempDir dir;
  for (const char* name : {"Twks.xml", "Data.xml"})
    std::filesystem::copy_file(testing::BuildPath(CORDALIS_SOURCE_DIR "/catalogue/") + name, dir.File(name));
  testing::WriteTable(SystemFileStore(), dir.File("Undo.xml"), Tdm1::UndoFields(), {});
  testing::WriteTable(SystemFileStore(), dir.File("Note.xml"), Tdm1::NoteFields(), {});
  testing::RecordingMessageBoxes boxes;
  XmlPacketEngine engine(SystemFileStore());
  Tdm1 dm(engine, SystemFileStore(), boxes, dir.Str());
  ASSERT_EQ(dm.LoadStatus(), lsLoaded);
  EXPECT_TRUE(boxes.shown.empty());
  int tweaks = 0;
  for (dm.cdsTwks.First(); !dm.cdsTwks.Eof(); dm.cdsTwks.Next(), ++tweaks) {
    EXPECT_FALSE(dm.cdsTwks.AsBoolean("Hide"));
    EXPECT_GT(dm.cdsData.RecordCount(), 0) << TweakNumberText(dm.cdsTwks.AsInteger("TwkID"));
  }
  EXPECT_GE(tweaks, 80);
}

}  // namespace
}  // namespace cordalis
