// Helpers shared by the storage tests.
#pragma once

#include <cstdlib>
#include <string>

namespace vorlam::testing {

// A fresh directory under `base` (/tmp unless told), removed with its
// contents on destruction.
class TempDir {
 public:
  explicit TempDir(const std::string& base = "/tmp") {
    std::string tmpl = base + "/vorlam-test-XXXXXX";
    const char* made = mkdtemp(tmpl.data());
    if (!made) {
      char fallback[] = "/tmp/vorlam-test-XXXXXX";
      made = mkdtemp(fallback);
    }
    path_ = made ? made : "";
  }
  ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace vorlam::testing
