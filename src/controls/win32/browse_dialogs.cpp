#include "controls/win32/browse_dialogs.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

#include "controls/text_measure.h"
#include "host/win32/window.h"

namespace cordalis {
namespace {

// "description|pattern|..." as the dialog wants it: each part ending in a zero,
// the list ending in another.
std::vector<char> FilterList(const std::string& filter) {
  std::vector<char> list(filter.begin(), filter.end());
  for (char& c : list)
    if (c == '|') c = '\0';
  list.push_back('\0');
  list.push_back('\0');
  return list;
}

struct FolderContext {
  char start[kFolderContextCapacity] = {};
  int statusWidth = 0;
  const TextMeasure* measure = nullptr;
};

void Status(HWND dialog, const std::string& text) {
  SendMessageA(dialog, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void SelectionChanged(HWND dialog, LPITEMIDLIST item, const FolderContext& context) {
  SHFILEINFOA info{};
  SHGetFileInfoA(reinterpret_cast<LPCSTR>(item), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_TYPENAME);
  if (IsFolderShortcut(info.szTypeName)) {
    SendMessageA(dialog, BFFM_ENABLEOK, 0, 0);
    Status(dialog, kFolderShortcutStatus);
    return;
  }
  char path[MAX_PATH] = {};
  if (!SHGetPathFromIDListA(item, path) || path[0] == '\0') SendMessageA(dialog, BFFM_ENABLEOK, 0, 0);
  Status(dialog, ShortenPath(path, context.statusWidth, *context.measure));
}

int CALLBACK FolderCallback(HWND dialog, UINT message, LPARAM lParam, LPARAM data) {
  return Guarded(0, [&] {
    auto& context = *reinterpret_cast<FolderContext*>(data);
    switch (message) {
      case BFFM_INITIALIZED: {
        RECT client;
        GetClientRect(dialog, &client);
        context.statusWidth = FolderStatusWidth(client.right);
        const std::string selection = FolderInitialSelection(context.start);
        if (!selection.empty())
          SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(selection.c_str()));
        return 0;
      }
      case BFFM_SELCHANGED:
        SelectionChanged(dialog, reinterpret_cast<LPITEMIDLIST>(lParam), context);
        return 0;
      case BFFM_VALIDATEFAILEDA:
        Status(dialog, InvalidFolderNameStatus(reinterpret_cast<const char*>(lParam)));
        MessageBeep(MB_ICONHAND);
        return 1;  // the dialog stays open
      default:
        return 0;
    }
  });
}

}  // namespace

std::optional<std::string> ChooseFile(HWND owner, const FileDialogStart& start) {
  char file[kFileDialogCapacity] = {};
  if (InitialPathFits(start.fileName, sizeof file)) std::strcpy(file, start.fileName.c_str());
  const std::vector<char> filter = FilterList(start.filter);
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;  // the size Windows 95 and NT 4.0 know, with _WIN32_WINNT at 0x0400
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.data();
  dialog.lpstrFile = file;
  dialog.nMaxFile = sizeof file;
  if (!GetOpenFileNameA(&dialog)) return std::nullopt;
  return std::string(file);
}

std::optional<std::string> BrowseForFolder(HWND owner, const std::string& startPath, int shellVersion,
                                           const TextMeasure& measure) {
  FolderContext context;
  if (InitialPathFits(startPath, sizeof context.start)) std::strcpy(context.start, startPath.c_str());
  context.measure = &measure;
  char name[MAX_PATH] = {};
  BROWSEINFOA browse{};
  browse.hwndOwner = owner;
  browse.pszDisplayName = name;
  browse.lpszTitle = kFolderBrowserTitle;
  browse.ulFlags = FolderBrowserFlags(shellVersion);
  browse.lpfn = FolderCallback;
  browse.lParam = reinterpret_cast<LPARAM>(&context);
  LPITEMIDLIST item = SHBrowseForFolderA(&browse);
  if (item == nullptr) return std::nullopt;
  char path[MAX_PATH] = {};
  const BOOL hasPath = SHGetPathFromIDListA(item, path);
  CoTaskMemFree(item);
  if (!hasPath || path[0] == '\0') return std::nullopt;
  return FolderBrowserResult(path);
}

std::optional<IconChoice> PickIcon(HWND owner, const IconChoice& start, bool ntFamily) {
  // The picker is exported by ordinal only, as 62. It answers 1 for a choice,
  // 0 for Cancel, and -1 when its dialog cannot be made (as on Wine 8).
  using Picker = BOOL(WINAPI*)(HWND, void*, UINT, int*);
  HMODULE shell = GetModuleHandleA("shell32.dll");
  auto pick = reinterpret_cast<Picker>(
      reinterpret_cast<void*>(shell ? GetProcAddress(shell, MAKEINTRESOURCEA(62)) : nullptr));
  if (pick == nullptr) return std::nullopt;
  int index = start.index;
  if (ntFamily) {
    wchar_t path[kIconPickerCapacity] = {};
    MultiByteToWideChar(CP_ACP, 0, start.file.c_str(), -1, path, kIconPickerCapacity);
    if (pick(owner, path, kIconPickerCapacity, &index) <= 0) return std::nullopt;
    char chosen[kIconPickerCapacity * 2] = {};
    WideCharToMultiByte(CP_ACP, 0, path, -1, chosen, sizeof chosen, nullptr, nullptr);
    if (chosen[0] == '\0') return std::nullopt;
    return IconChoice{chosen, index};
  }
  char path[kIconPickerCapacity] = {};
  std::strncpy(path, start.file.c_str(), kIconPickerCapacity - 1);
  if (pick(owner, path, kIconPickerCapacity, &index) <= 0 || path[0] == '\0') return std::nullopt;
  return IconChoice{path, index};
}

bool FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace cordalis
