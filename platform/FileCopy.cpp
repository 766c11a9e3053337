#include "platform/FileCopy.h"

#include <string>

namespace kt {

namespace fs = std::filesystem;

fs::path FreeCopyName(const fs::path& target) {
  std::error_code ec;
  const fs::path folder = target.parent_path();
  const std::string stem = target.stem().string(), ext = target.extension().string();
  for (unsigned n = 1;; ++n) {
    const std::string suffix = n == 1 ? " - Kopie" : " - Kopie (" + std::to_string(n) + ")";
    fs::path candidate = folder / (stem + suffix + ext);
    if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate;
  }
}

size_t CopyFiles(const std::vector<TCopyPair>& pairs, TCopyCollision collision) {
  size_t copied = 0;
  for (const TCopyPair& p : pairs) {
    std::error_code ec;
    if (p.Target.has_parent_path()) fs::create_directories(p.Target.parent_path(), ec);
    fs::path target = p.Target;
    const bool taken = fs::exists(fs::symlink_status(target, ec));
    if (taken && collision == TCopyCollision::Rename) {
      // A file copied onto itself is taken too: it gets a new name, as a copy should.
      target = FreeCopyName(target);
    }
    ec.clear();
    const auto options = collision == TCopyCollision::Overwrite ? fs::copy_options::overwrite_existing
                                                                : fs::copy_options::none;
    if (taken && collision == TCopyCollision::Overwrite && fs::equivalent(p.Source, target, ec)) continue;
    ec.clear();
    if (fs::copy_file(p.Source, target, options, ec) && !ec) ++copied;
  }
  return copied;
}

}  // namespace kt
