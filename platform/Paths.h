#pragma once
// Catalog paths and native paths.
//
// The catalog speaks Windows paths: "d:\sounds\rock\x.mp3", network paths
// "\\server\share\x.mp3", backslash separators, Windows-1252 bytes. They map
// to native paths the way Wine maps them:
//   - "z:" is the root of the file system;
//   - further drives are symbolic links named like the drive ("d:") in the
//     folder "dosdevices" of the program folder;
//   - network paths resolve below "dosdevices/unc/server/share".
// Native to catalog: the longest matching drive wins, "/" becomes "\", UTF-8
// names become Windows-1252 ("?" for what it cannot hold).
// Catalog to native: each component is the exact name if it exists, otherwise
// the directory entry whose Windows-1252 form equals the component without
// regard to ASCII letter case, as a Windows file system finds it.

#include <QString>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kt {

// True for "x:..." and "\\..." texts.
bool IsCatalogPath(std::string_view text);

class TPathMapper {
 public:
  explicit TPathMapper(std::filesystem::path programFolder);
  ~TPathMapper();

  const std::filesystem::path& ProgramFolder() const { return programFolder_; }

  std::string ToCatalog(const std::filesystem::path& native) const;
  std::filesystem::path ToNative(std::string_view catalogPath) const;

  // A folder as typed by the user, in either form, in catalog form. A text
  // that is neither (no drive, no "\\", no leading "/") comes back as it
  // stands, in Windows-1252.
  std::string FolderToCatalogForm(const QString& typed) const;

  // Bulk runs (indexing, synchronisation) resolve many paths in the same
  // folders: with caching on, directory listings and the drive table are read
  // once and kept until caching is switched off or the cache is cleared.
  void SetCaching(bool on);
  void ClearCache();

 private:
  struct Listing;
  struct Drive {
    std::string catalogPrefix;                 // "d:" or "\\server\share"
    std::vector<std::filesystem::path> roots;  // native folders it stands for
  };

  std::vector<Drive> ReadDrives() const;
  const std::vector<Drive>& Drives() const;
  std::filesystem::path Resolve(const std::filesystem::path& dir, std::string_view component, bool& found) const;
  std::shared_ptr<const Listing> ListingOf(const std::filesystem::path& dir) const;

  std::filesystem::path programFolder_;
  bool caching_ = false;
  mutable std::vector<Drive> drives_;
  mutable bool drivesRead_ = false;
  mutable std::unordered_map<std::string, std::shared_ptr<const Listing>> listings_;
};

}  // namespace kt
