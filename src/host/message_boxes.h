#pragma once
// Every message to the user is a modal box captioned "Cordalis".
#include <string>

namespace cordalis {

enum class MsgIcon { Information, Error, Question };  // questions have Yes and No
enum class MsgOwner { None, MainWindow };            // None: before the main window exists, or from the data module
enum class MsgAnswer { Ok, Yes, No };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual MsgAnswer Show(MsgOwner owner, MsgIcon icon, const std::string& text) = 0;
};

inline constexpr const char* kCaption = "Cordalis";

}  // namespace cordalis
