#pragma once
// The whole main window without Windows: the main-form model on the in-memory
// ports, with a view that mirrors the model as the tree control would (a
// selection made by program comes back as a selection change).
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/plain_text_search.h"
#include "db/dm1.h"
#include "db/packet_engine.h"
#include "doubles/memory_file_store.h"
#include "doubles/memory_registry.h"
#include "doubles/recording_message_boxes.h"
#include "doubles/recording_rich_text.h"
#include "doubles/recording_tree_control.h"
#include "doubles/scripted_host_queries.h"
#include "host/ini_settings_store.h"
#include "host/platform.h"
#include "host/text_collation.h"
#include "support/fixed_text_measure.h"
#include "support/table_files.h"

namespace cordalis::testing {

class RecordingView final : public MainFormView {
 public:
  RecordingView() {
    tree.onSelectionChanged = [this](int node) { model->SelectionChanged(node); };
  }
  MainFormModel* model = nullptr;
  RecordingTreeControl tree;  // the tree control: its selection and its selection changes
  int treeBuilds = 0;
  std::optional<bool> tweakPaneState;
  int controlsShown = 0;
  ColumnSizes layout;
  int treeWidth = 0;
  bool terminated = false;
  bool closed = false;
  std::optional<std::string> noteAnswer;  // what the note dialog returns; nothing is Cancel
  std::string noteTitle, noteShown;
  std::string aboutPlatform;
  int findDialogs = 0;
  std::string helpPath;
  std::optional<std::string> rollbackAnswer;  // what the save dialog returns; nothing is Cancel
  int rollbackDialogs = 0;
  std::optional<HelpTopic> helpTopic;
  int treeStatesShown = 0;
  std::vector<std::vector<DriftRow>> driftShown;  // each drift dialog's rows
  DriftChoice driftAnswer = DriftChoice::Cancel;

  void ShowTree(const TweakTree& shown) override {
    ++treeBuilds;
    tree.Show(shown);
  }
  void ApplyTreeUpdate(const TweakTree& shown, const TreeUpdate& update) override { tree.Apply(shown, update); }
  void ShowTreeStates() override { ++treeStatesShown; }
  DriftChoice AskDrift(const std::vector<DriftRow>& rows) override {
    driftShown.push_back(rows);
    return driftAnswer;
  }
  void ShowTweakPaneState(bool tweakSelected) override { tweakPaneState = tweakSelected; }
  void ShowControls(const ControlsPaneModel&, const ControlsGroupSize&) override { ++controlsShown; }
  void ShowLayout(int width, const ColumnSizes& column) override {
    treeWidth = width;
    layout = column;
  }
  void ShowCommandStates() override {}
  void Terminate() override { terminated = true; }
  std::optional<std::string> EditNote(const std::string& title, const std::string& note) override {
    noteTitle = title;
    noteShown = note;
    return noteAnswer;
  }
  void ShowAbout(const std::string& platformText) override { aboutPlatform = platformText; }
  void ShowFindDialog(const FindState&) override { ++findDialogs; }
  void ShowHelp(const std::string& path, HelpTopic topic) override {
    helpPath = path;
    helpTopic = topic;
  }
  std::optional<std::string> AskRollbackFile() override {
    ++rollbackDialogs;
    return rollbackAnswer;
  }
  void CopyFocused() override {}
  void SelectAllFocused() override {}
  void Close() override { closed = true; }
};

// One installation of the program: its files and its Registry survive a
// restart; the running program (tables, model, window) does not.
class MainFormWorld {
 public:
  static constexpr const char* kFolder = "C:\\Program Files\\Cordalis";
  static constexpr const char* kExe = "C:\\Program Files\\Cordalis\\cordalis.exe";

  MainFormWorld() {
    host.version = OsVersionRecord{2, 5, 1};  // Windows XP
    host.programPath = kExe;
    registry.CreateKey(kHkeyLocalMachine, "Software\\Microsoft\\Internet Explorer", kKeyAllAccess, &ieKey, nullptr);
    const std::string six = "6.0.2900";
    registry.SetValue(ieKey, "Version", kRegSz, reinterpret_cast<const std::uint8_t*>(six.c_str()),
                      static_cast<std::uint32_t>(six.size() + 1));
  }

  void WriteCatalogue(const std::vector<RowText>& tweaks, const std::vector<RowText>& actions) {
    WriteTable(files, PathInFolder(kFolder, "Twks.xml"), Tdm1::TweakFields(), tweaks);
    WriteTable(files, PathInFolder(kFolder, "Data.xml"), Tdm1::ActionFields(), actions);
  }

  // Starts the program: the window, then the data module, then activation.
  void Start(std::vector<std::string> arguments = {}) {
    Stop();
    settings = std::make_unique<IniSettingsStore>(PathInFolder(kFolder, "cordalis.INI"), files);
    environment = std::make_unique<HostEnvironment>(host);
    const MainFormPorts ports{registry,  files,   host,   environment->Facts(), boxes,
                              *settings, collation, measure, search,         description, detail};
    view = std::make_unique<RecordingView>();
    model = std::make_unique<MainFormModel>(ports, *view, arguments, kExe, MainFormMetrics{});
    view->model = model.get();
    dm = std::make_unique<Tdm1>(engine, files, boxes, kFolder,
                                model->ViewOnly() ? TableAccess::ViewOnly : TableAccess::ReadWrite);
    model->Attach(*dm);
    model->ColumnResized(400, 800);
    model->Activated();
  }
  // Closes the program as the user does: the window goes, then the tables.
  void Stop() {
    if (!model) return;
    model->Destroying();
    model.reset();
    dm.reset();
  }

  int NodeOfTweak(std::int32_t twkId) const { return model->Tree().IndexOfTweak(twkId); }
  std::optional<std::int32_t> SelectedTweak() const {
    const int selected = model->Tree().Selected();
    if (!model->Tree().IsTweak(selected)) return std::nullopt;
    return model->Tree().TweakAt(selected);
  }
  void Select(std::int32_t twkId) { view->ApplyTreeUpdate(model->Tree(), {NodeOfTweak(twkId), {}}); }
  std::string Value(const std::string& key, const std::string& name) {
    HKey k = 0;
    if (registry.OpenKey(kHkeyCurrentUser, key, kKeyRead, &k) != kErrorSuccess) return "(no key)";
    std::uint32_t type = 0;
    std::vector<std::uint8_t> bytes;
    const long error = registry.QueryValue(k, name, &type, &bytes, nullptr);
    registry.CloseKey(k);
    if (error != kErrorSuccess) return "(no value)";
    return std::string(bytes.begin(), bytes.end());
  }

  MemoryFileStore files;
  MemoryRegistry registry;
  ScriptedHostQueries host;
  RecordingMessageBoxes boxes;
  AsciiCollation collation;
  FixedTextMeasure measure;
  PlainTextSearch search;
  RecordingRichText description, detail;
  XmlPacketEngine engine{files};
  std::unique_ptr<IniSettingsStore> settings;
  std::unique_ptr<HostEnvironment> environment;
  std::unique_ptr<RecordingView> view;
  std::unique_ptr<MainFormModel> model;
  std::unique_ptr<Tdm1> dm;

 private:
  HKey ieKey = 0;
};

}  // namespace cordalis::testing
