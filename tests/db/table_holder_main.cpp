// Helper of the table lock test: a second running copy of the program. Opens
// the tables of a folder, says whether it may write them, and waits to be killed.
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <iostream>
#include <string>

#include "db/dm1.h"
#include "db/packet_engine.h"
#include "doubles/recording_message_boxes.h"
#include "host/file_store.h"

int main(int argc, char** argv) {
  using namespace cordalis;
  if (argc != 2) return 2;
  cordalis::testing::SilentMessageBoxes boxes;
  XmlPacketEngine engine(SystemFileStore());
  Tdm1 dm(engine, SystemFileStore(), boxes, argv[1]);
  std::cout << (dm.ViewOnly() ? "viewing" : "writing") << std::endl;
  for (;;) {  // killed while waiting here, whatever its standard input holds
#ifdef _WIN32
    Sleep(INFINITE);
#else
    pause();
#endif
  }
}
