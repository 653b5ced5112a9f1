// Program entry: a run without the window when the command line asks for one;
// else the database pre-check, the single-instance test, the main window, the
// data module and the message loop, in that order.
#include <windows.h>

#include <string>

#include "app/command_line.h"
#include "app/commands.h"
#include "app/program_files.h"
#include "app/win32/main_window.h"
#include "app/win32/single_instance.h"
#include "app/win32/unattended_entry.h"
#include "db/dm1.h"
#include "db/packet_engine.h"
#include "host/file_store.h"
#include "host/host_queries.h"
#include "host/platform.h"
#include "host/registry_api.h"
#include "host/win32/profile_settings_store.h"
#include "host/win32/system_libraries.h"
#include "host/win32/win32_message_boxes.h"
#include "host/win32/win32_text_collation.h"
#include "host/win32/window.h"

namespace cordalis {
namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Messages go to the Find dialog while it is open, then to the accelerators,
// then to the window; the command states are brought up to date whenever the
// queue runs dry. Alt and a menu's letter open that menu: the window's own
// dialog keys would give it to a button with the same letter ("&Note").
int RunMessageLoop(TMainForm& form) {
  MSG message;
  for (;;) {
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) form.Idle();
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got <= 0) return got == 0 ? static_cast<int>(message.wParam) : 1;
    form.Mouse(message);
    if (form.FindDialog() != nullptr && IsDialogMessageA(form.FindDialog(), &message)) continue;
    if (form.Handle() != nullptr && TranslateAcceleratorA(form.Handle(), form.Accelerators(), &message)) continue;
    const bool menuKey = message.message == WM_SYSCHAR && IsMenuAccessKey(static_cast<char>(message.wParam));
    if (form.Handle() != nullptr && !menuKey && IsDialogMessageA(form.Handle(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

int Run(HINSTANCE instance, int show, Win32MessageBoxes& boxes) {
  if (const std::optional<int> exitCode = RunWithoutWindowIfAsked(boxes)) return *exitCode;
  HostQueries& host = SystemHostQueries();
  const std::string programPath = host.ProgramPath();
  const std::string folder = FolderOf(programPath);
  if (!DatabasePreCheck(SystemFileStore(), boxes, folder)) return 0;
  if (SingleInstance::HandOverToFirstCopy()) return 0;
  SingleInstance record;
  if (!record.Create()) return 0;

  InitialiseCommonControls(RealSystemLibraries());
  HostEnvironment environment(host);
  ProfileSettingsStore settings(SettingsPathFor(programPath));
  Win32TextCollation collation;
  TMainForm::RegisterClasses(instance);
  std::vector<std::string> arguments = SplitCommandLine(GetCommandLineA());
  if (!arguments.empty()) arguments.erase(arguments.begin());  // the program's own name
  TMainForm form({instance, SystemRegistry(), host, environment.Facts(), boxes, settings, collation, arguments,
                  programPath});
  boxes.SetMainWindow(form.Handle());

  XmlPacketEngine engine(SystemFileStore());
  Tdm1 dm(engine, SystemFileStore(), boxes, folder,
          form.Model().ViewOnly() ? TableAccess::ViewOnly : TableAccess::ReadWrite);
  form.Model().Attach(dm);
  SetWindowTextA(form.Handle(), form.Model().Caption().c_str());  // view-only when the tables are not ours to write
  record.Store(form.Handle(), form.Handle());  // the main window is also the one on the taskbar
  ShowWindow(form.Handle(), show);
  const int result = RunMessageLoop(form);
  boxes.SetMainWindow(nullptr);
  dm.Close();
  return result;
}

}  // namespace
}  // namespace cordalis

// The boxes outlive everything Run makes, so that an error that ends it is
// still shown through them, with no owner once the main window is gone.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  cordalis::Win32MessageBoxes boxes;
  cordalis::SetUncaughtErrorBoxes(&boxes);
  int result = 1;
  try {
    result = cordalis::Run(instance, show, boxes);
  } catch (const std::exception& error) {
    boxes.SetMainWindow(nullptr);
    cordalis::ReportUncaught(error);
  } catch (...) {
    boxes.SetMainWindow(nullptr);
    cordalis::ReportUncaught(std::runtime_error("An unexpected error occurred."));
  }
  cordalis::SetUncaughtErrorBoxes(nullptr);
  return result;
}
