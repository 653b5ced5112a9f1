#pragma once
// Starts a helper program whose standard output the test reads, and kills it
// outright, as a crash or a power cut would end the program.
#include <string>
#include <vector>

namespace cordalis::testing {

class ChildProcess {
 public:
  ChildProcess(const std::string& program, const std::vector<std::string>& arguments);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The next line the child writes, without its line break; empty at its end.
  std::string ReadLine();
  // Ends the child at once: no destructor, no exit handler runs in it.
  void Kill();

 private:
  struct Impl;
  Impl* impl_;
};

}  // namespace cordalis::testing
