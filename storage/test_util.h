// Helpers shared by the storage tests.
#pragma once

#include <cstdlib>
#include <string>

namespace vorlam::testing {

// A fresh directory under /tmp, removed with its contents on destruction.
class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/vorlam-test-XXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace vorlam::testing
