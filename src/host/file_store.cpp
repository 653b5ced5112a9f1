#include "host/file_store.h"

namespace cordalis {

void ReplaceFileAtomically(FileStore& files, const std::string& path, std::string_view bytes) {
  const std::string temporary = path + ".tmp";
  files.WriteDurably(temporary, bytes);
  files.Replace(temporary, path);
}

}  // namespace cordalis
