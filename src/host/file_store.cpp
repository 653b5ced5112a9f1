#include "host/file_store.h"

namespace cordalis {
namespace {

std::string TemporaryOf(const std::string& path) { return path + ".tmp"; }
std::string OldOf(const std::string& path) { return path + ".old"; }

// The older systems' replacement: the old file steps aside under a third name,
// the new one takes its place, and the old one goes. The temporary file is
// complete before the old file moves, which is what recovery relies on.
void ReplaceInTwoRenames(FileStore& files, const std::string& temporary, const std::string& path) {
  const std::string old = OldOf(path);
  files.Remove(old);
  if (files.Exists(path) && !files.MoveNoReplace(path, old))
    throw FileError("Cannot replace " + path + ": " + old + " is in the way");
  if (!files.MoveNoReplace(temporary, path)) throw FileError("Cannot replace " + path + ": it reappeared");
  try {
    files.Remove(old);
  } catch (const FileError&) {
    // The new file is in place; the next start removes what is left over.
  }
}

// A replacement that failed part-way puts the old file back and removes the
// temporary one, so that a full disk does not stay full. Its own failures
// give way to the one being reported; the next start finishes the work.
void RollBackReplacement(FileStore& files, const std::string& temporary, const std::string& path) {
  try {
    if (!files.Exists(path) && files.Exists(OldOf(path))) files.MoveNoReplace(OldOf(path), path);
    files.Remove(temporary);
  } catch (const FileError&) {
  }
}

// A start that finds nothing left over changes nothing.
void RemoveIfThere(FileStore& files, const std::string& path) {
  if (files.Exists(path)) files.Remove(path);
}

}  // namespace

FileError FileTooLargeError(const std::string& path, std::size_t maxBytes) {
  const std::string reason = "The file is larger than the " + std::to_string(maxBytes) + " bytes Cordalis reads.";
  return FileError("Cannot read " + path + ": " + reason, FileFault::TooLarge, reason);
}

void ReplaceFileAtomically(FileStore& files, const std::string& path, std::string_view bytes) {
  const std::string temporary = TemporaryOf(path);
  try {
    files.WriteDurably(temporary, bytes);
    if (!files.ReplaceInOneStep(temporary, path)) ReplaceInTwoRenames(files, temporary, path);
  } catch (const FileError&) {
    RollBackReplacement(files, temporary, path);
    throw;
  }
}

bool ExistsOrRecoverable(FileStore& files, const std::string& path) {
  // Cut between the two renames, the file stands aside under the old name.
  return files.Exists(path) || files.Exists(OldOf(path));
}

void RecoverInterruptedReplacement(FileStore& files, const std::string& path) {
  const std::string temporary = TemporaryOf(path);
  const std::string old = OldOf(path);
  if (files.Exists(path)) {
    // Cut before the file was touched, or after the new one took its place:
    // the file is whole, and what lies beside it is left over.
    RemoveIfThere(files, temporary);
    RemoveIfThere(files, old);
  } else if (files.Exists(old)) {
    // Cut between the two renames: the temporary file was complete before the
    // old file stepped aside, so the replacement can be finished.
    if (files.Exists(temporary)) {
      files.MoveNoReplace(temporary, path);
      files.Remove(old);
    } else {
      files.MoveNoReplace(old, path);
    }
  } else {
    // The file did not exist before; a temporary file may have been cut short.
    RemoveIfThere(files, temporary);
  }
}

}  // namespace cordalis
