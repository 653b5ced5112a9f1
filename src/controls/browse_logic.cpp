#include "controls/browse_logic.h"

#include "controls/controls_pane.h"
#include "controls/text_measure.h"
#include "host/format.h"
#include "host/int_text.h"
#include "host/text.h"

namespace cordalis {
namespace {

constexpr unsigned kBifReturnOnlyFsDirs = 0x01;
constexpr unsigned kBifReturnFsAncestors = 0x08;
constexpr unsigned kBifStatusText = 0x04;
constexpr unsigned kBifEditBox = 0x10;
constexpr unsigned kBifValidate = 0x20;

std::string EntryFor(int buttonNumber, const ControlsPaneModel& pane) {
  return buttonNumber < 0 ? std::string() : pane.BrowsePath(buttonNumber);
}

std::string WithoutTrailingBackslash(std::string_view path) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return std::string(path);
}

// Cuts the first folder off a path's folder part ("\A\B\" becomes "\...\B\"),
// taking the "...\" of an earlier cut with it.
void CutFirstFolder(std::string& folder) {
  if (folder == "\\") {
    folder.clear();
    return;
  }
  const bool rooted = folder.front() == '\\';
  if (rooted) folder.erase(0, 1);
  if (!folder.empty() && folder.front() == '.') folder.erase(0, 4);
  const std::size_t slash = folder.find('\\');
  folder = slash == std::string::npos ? std::string() : "...\\" + folder.substr(slash + 1);
  if (rooted) folder.insert(0, 1, '\\');
}

}  // namespace

bool InitialPathFits(std::string_view path, std::size_t capacity) { return path.size() < capacity; }

int ButtonNumber(std::string_view buttonName) {
  return IntegerText(buttonName.size() > 7 ? buttonName.substr(7) : std::string_view(), -1);
}

FileDialogStart FileDialogFor(int buttonNumber, const ControlsPaneModel& pane) {
  if (buttonNumber < 0) return {"All files|*.*", ""};
  FileDialogStart start{pane.BrowseFilter(buttonNumber), pane.BrowsePath(buttonNumber)};
  if (!InitialPathFits(start.fileName, kFileDialogCapacity)) start.fileName.clear();
  return start;
}

unsigned FolderBrowserFlags(int shellVersionNumber) {
  unsigned flags = kBifReturnOnlyFsDirs | kBifStatusText | kBifReturnFsAncestors;
  if (shellVersionNumber >= 471) flags |= kBifEditBox | kBifValidate;
  return flags;
}

std::string FolderBrowserStart(int buttonNumber, const ControlsPaneModel& pane) {
  std::string start = EntryFor(buttonNumber, pane);
  return InitialPathFits(start, kFolderContextCapacity) ? start : std::string();
}

std::string FolderInitialSelection(std::string_view startPath) {
  std::string selection = WithoutTrailingBackslash(startPath);
  if (selection.size() == 2 && selection[1] == ':') selection += '\\';
  return selection;
}

int FolderStatusWidth(int clientWidth) { return clientWidth - 20; }

bool IsFolderShortcut(std::string_view typeName) { return EqualsIgnoreCase(typeName, "Folder Shortcut"); }

std::string InvalidFolderNameStatus(std::string_view typedName) {
  return Format("\"%s\" is not a valid folder name", {std::string(typedName)});
}

std::string FolderBrowserResult(std::string_view path) {
  std::string result(path);
  if (result.empty() || result.back() != '\\') result += '\\';
  return result;
}

std::optional<std::string> AcceptedFolder(std::string_view result,
                                          const std::function<bool(const std::string&)>& folderExists) {
  const bool drivePath = result.size() >= 3 && result.substr(1, 2) == ":\\";
  const bool networkPath = result.substr(0, 2) == "\\\\";
  if (!(drivePath || networkPath) || !folderExists(std::string(result))) return std::nullopt;
  return WithoutTrailingBackslash(result);
}

IconChoice SplitIconText(std::string_view text) {
  const std::size_t comma = text.rfind(',');
  if (comma == std::string_view::npos) return {std::string(text), 0};
  return {std::string(text.substr(0, comma)), IntegerText(text.substr(comma + 1), 0)};
}

IconChoice IconPickerStart(int buttonNumber, const ControlsPaneModel& pane) {
  IconChoice start = SplitIconText(EntryFor(buttonNumber, pane));
  if (!InitialPathFits(start.file, kIconPickerCapacity)) start = {};
  return start;
}

std::string IconLabelText(const std::string& file, int index) { return Format("%s,%d", {file, std::int64_t{index}}); }

std::string ShortenPath(std::string_view path, int widthPixels, const TextMeasure& measure) {
  const std::size_t lastSlash = path.rfind('\\');
  const std::size_t fileStart = lastSlash == std::string_view::npos ? 0 : lastSlash + 1;
  std::string folder(path.substr(0, fileStart));
  const std::string file(path.substr(fileStart));
  std::string drive;
  if (folder.size() >= 2 && folder[1] == ':') {
    drive = folder.substr(0, 2);
    folder.erase(0, 2);
  }
  auto joined = [&] { return drive + folder + file; };
  while (measure.Measure(joined()).width > widthPixels && !(drive.empty() && folder.empty())) {
    if (folder == "\\...\\") {
      drive.clear();
      folder = "...\\";
    } else if (folder.empty()) {
      drive.clear();
    } else {
      CutFirstFolder(folder);
    }
  }
  return joined();
}

}  // namespace cordalis
