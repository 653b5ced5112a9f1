// Helper of the durability test: appends undo actions for a tweak the way a
// writer does, says so on its standard output, and waits to be killed.
#include <cstdio>
#include <iostream>
#include <string>

#include "db/dm1.h"
#include "db/packet_engine.h"
#include "doubles/recording_message_boxes.h"
#include "host/file_store.h"

int main(int argc, char** argv) {
  using namespace cordalis;
  if (argc != 3) return 2;
  cordalis::testing::SilentMessageBoxes boxes;
  XmlPacketEngine engine(SystemFileStore());
  Tdm1 dm(engine, SystemFileStore(), boxes, argv[1]);
  if (!dm.LocateTweak(std::stoi(argv[2]))) return 3;
  dm.cdsUndo.SetReadOnly(false);
  for (const char* key : {"Software\\Written1", "Software\\Written2"}) {
    dm.cdsUndo.Append();
    dm.cdsUndo.SetAsString("Root", "HKCU");
    dm.cdsUndo.SetAsString("Key", key);
    dm.cdsUndo.SetAsInteger("ChangeType", 2);
    dm.cdsUndo.Post();
  }
  dm.cdsUndo.SetReadOnly(true);
  std::cout << "written" << std::endl;
  std::getchar();  // killed while waiting here: the tables are never closed
  return 0;
}
