// Program entry: the database pre-check, the main window, the data module and
// the message loop, in that order.
#include <windows.h>

#include <string>

#include "app/win32/status_window.h"
#include "db/dm1.h"
#include "db/packet_engine.h"
#include "host/file_store.h"
#include "host/win32/system_libraries.h"
#include "host/win32/win32_message_boxes.h"

namespace {

std::string ProgramFolder() {
  char path[MAX_PATH * 4];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, n);
  size_t slash = folder.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

int Run(HINSTANCE instance, int show) {
  using namespace cordalis;
  const std::string folder = ProgramFolder();
  Win32MessageBoxes boxes;
  if (!DatabasePreCheck(SystemFileStore(), boxes, folder)) return 0;

  InitialiseCommonControls(RealSystemLibraries());
  Window::RegisterClass(instance, StatusWindow::kClassName, LoadIcon(instance, MAKEINTRESOURCE(1)));
  StatusWindow window(instance, boxes);

  XmlPacketEngine engine(SystemFileStore());
  Tdm1 dm(engine, SystemFileStore(), boxes, folder);
  boxes.SetMainWindow(window.Handle());
  window.Attach(dm);
  ShowWindow(window.Handle(), show);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  dm.Close();
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  try {
    return Run(instance, show);
  } catch (const std::exception& error) {
    cordalis::Window::ReportUncaught(nullptr, error);
    return 1;
  }
}
