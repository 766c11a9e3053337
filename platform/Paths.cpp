#include "platform/Paths.h"

#include "platform/Cp1252.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <unordered_set>

namespace fs = std::filesystem;

namespace kt {

struct TPathMapper::Listing {
  std::unordered_set<std::string> names;                    // native names
  std::unordered_map<std::string, std::string> byFoldedName;  // upper-cased Windows-1252 form -> native name
};

namespace {

bool IsDriveName(std::string_view s) {
  return s.size() == 2 && s[1] == ':' && ((s[0] >= 'a' && s[0] <= 'z') || (s[0] >= 'A' && s[0] <= 'Z'));
}

std::vector<std::string> DirectoryNames(const fs::path& dir) {
  std::vector<std::string> names;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return names;
  while (const dirent* e = ::readdir(d)) {
    const std::string_view n = e->d_name;
    if (n == "." || n == "..") continue;
    names.emplace_back(n);
  }
  ::closedir(d);
  std::sort(names.begin(), names.end());  // a fixed choice among names that differ only in case
  return names;
}

bool Exists(const fs::path& p) {
  struct stat st{};
  return ::lstat(p.c_str(), &st) == 0;
}

// Splits a catalog path's remainder at backslashes, dropping empty components.
std::vector<std::string_view> Components(std::string_view s) {
  std::vector<std::string_view> out;
  size_t start = 0;
  while (start <= s.size()) {
    size_t end = s.find('\\', start);
    if (end == std::string_view::npos) end = s.size();
    if (end > start) out.push_back(s.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

// The native folders a drive link stands for: the link itself (the form
// ToNative gives), its own target and the fully resolved folder, so every
// spelling of a path maps back to the drive.
std::vector<fs::path> RootsOf(const fs::path& link) {
  std::vector<fs::path> roots{link.lexically_normal()};
  std::error_code ec;
  if (fs::is_symlink(link, ec)) {
    fs::path target = fs::read_symlink(link, ec);
    if (!ec) {
      if (target.is_relative()) target = link.parent_path() / target;
      roots.push_back(target.lexically_normal());
    }
  }
  fs::path canonical = fs::weakly_canonical(link, ec);
  if (!ec && std::find(roots.begin(), roots.end(), canonical) == roots.end()) roots.push_back(canonical);
  for (fs::path& r : roots) {
    std::string s = r.string();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    r = s;
  }
  return roots;
}

// Length of root inside native when native lies at or below root, else 0.
size_t MatchLength(const std::string& native, const std::string& root) {
  if (root == "/") return 1;
  if (native.size() < root.size() || native.compare(0, root.size(), root) != 0) return 0;
  if (native.size() > root.size() && native[root.size()] != '/') return 0;
  return root.size();
}

}  // namespace

bool IsCatalogPath(std::string_view text) {
  return (text.size() >= 2 && IsDriveName(text.substr(0, 2))) || text.substr(0, 2) == "\\\\";
}

TPathMapper::TPathMapper(fs::path programFolder) : programFolder_(std::move(programFolder)) {}
TPathMapper::~TPathMapper() = default;

void TPathMapper::SetCaching(bool on) {
  caching_ = on;
  if (!on) ClearCache();
}

void TPathMapper::ClearCache() {
  listings_.clear();
  drives_.clear();
  drivesRead_ = false;
}

std::vector<TPathMapper::Drive> TPathMapper::ReadDrives() const {
  std::vector<Drive> drives;
  const fs::path dosdevices = programFolder_ / "dosdevices";
  for (const std::string& name : DirectoryNames(dosdevices)) {
    if (!IsDriveName(name) || AsciiLower(name) == "z:") continue;
    drives.push_back({AsciiLower(name), RootsOf(dosdevices / name)});
  }
  const fs::path unc = dosdevices / "unc";
  for (const std::string& server : DirectoryNames(unc))
    for (const std::string& share : DirectoryNames(unc / server))
      drives.push_back({"\\\\" + Utf8ToCp1252(server) + "\\" + Utf8ToCp1252(share), RootsOf(unc / server / share)});
  drives.push_back({"z:", {fs::path("/")}});
  return drives;
}

const std::vector<TPathMapper::Drive>& TPathMapper::Drives() const {
  if (!caching_ || !drivesRead_) {
    drives_ = ReadDrives();
    drivesRead_ = true;
  }
  return drives_;
}

std::string TPathMapper::ToCatalog(const fs::path& native) const {
  std::error_code ec;
  fs::path abs = native.is_absolute() ? native : fs::absolute(native, ec);
  std::string n = abs.lexically_normal().string();
  while (n.size() > 1 && n.back() == '/') n.pop_back();

  const std::vector<Drive>& drives = Drives();  // read once: the pointers below point into it
  auto best = [&](const std::string& path, const Drive*& drive, size_t& len) {
    for (const Drive& d : drives)
      for (const fs::path& root : d.roots) {
        const size_t m = MatchLength(path, root.string());
        if (m > len) drive = &d, len = m;
      }
  };
  const Drive* drive = nullptr;
  size_t len = 0;
  best(n, drive, len);
  if (drive && drive->catalogPrefix == "z:") {
    // The path may reach a drive's folder through a link of its own.
    const std::string canonical = fs::weakly_canonical(n, ec).string();
    const Drive* viaLink = nullptr;
    size_t linkLen = 0;
    if (!ec) best(canonical, viaLink, linkLen);
    if (viaLink && viaLink->catalogPrefix != "z:") drive = viaLink, len = linkLen, n = canonical;
  }
  if (!drive) return Utf8ToCp1252(n);  // unreachable: z: matches every absolute path

  std::string rest = n.substr(len);
  if (!rest.empty() && rest.front() == '/') rest.erase(0, 1);
  std::string out = drive->catalogPrefix;
  if (!rest.empty()) {
    std::replace(rest.begin(), rest.end(), '/', '\\');
    out += '\\';
    out += Utf8ToCp1252(rest);
  }
  return out;
}

std::shared_ptr<const TPathMapper::Listing> TPathMapper::ListingOf(const fs::path& dir) const {
  const std::string key = dir.string();
  if (caching_) {
    auto it = listings_.find(key);
    if (it != listings_.end()) return it->second;
  }
  auto l = std::make_shared<Listing>();
  for (std::string& name : DirectoryNames(dir)) {
    l->byFoldedName.try_emplace(AsciiUpper(Utf8ToCp1252(name)), name);
    l->names.insert(std::move(name));
  }
  if (caching_) listings_[key] = l;
  return l;
}

fs::path TPathMapper::Resolve(const fs::path& dir, std::string_view component, bool& found) const {
  const std::string exact = Cp1252ToUtf8(component);
  if (!found) return dir / exact;
  if (caching_) {
    auto l = ListingOf(dir);
    if (l->names.count(exact)) return dir / exact;
    auto it = l->byFoldedName.find(AsciiUpper(component));
    if (it != l->byFoldedName.end()) return dir / it->second;
  } else {
    if (Exists(dir / exact)) return dir / exact;
    std::string match;
    for (const std::string& name : DirectoryNames(dir)) {
      const std::string cp = Utf8ToCp1252(name);
      if (cp == component) {
        match = name;
        break;
      }
      if (match.empty() && AsciiEqualsIgnoreCase(cp, component)) match = name;
    }
    if (!match.empty()) return dir / match;
  }
  found = false;  // nothing below a missing component can exist
  return dir / exact;
}

fs::path TPathMapper::ToNative(std::string_view catalogPath) const {
  fs::path base;
  std::string_view rest;
  bool found = true;
  if (catalogPath.size() >= 2 && IsDriveName(catalogPath.substr(0, 2))) {
    rest = catalogPath.substr(2);
    if (AsciiLower(catalogPath.substr(0, 2)) == "z:") {
      base = "/";
    } else {
      base = Resolve(programFolder_ / "dosdevices", AsciiLower(catalogPath.substr(0, 2)), found);
    }
  } else if (catalogPath.substr(0, 2) == "\\\\") {
    base = programFolder_ / "dosdevices" / "unc";
    found = Exists(base);
    rest = catalogPath.substr(2);
  } else {
    // Not a catalog path: a relative path, taken as it stands.
    std::string native = Cp1252ToUtf8(catalogPath);
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
  }
  fs::path p = base;
  for (std::string_view c : Components(rest)) {
    if (c == ".") continue;
    if (c == "..") {
      if (p != base) p = p.parent_path();
      continue;
    }
    p = Resolve(p, c, found);
  }
  return p;
}

std::string TPathMapper::FolderToCatalogForm(const QString& typed) const {
  const std::string cp = ToCp1252(typed);
  if (IsCatalogPath(cp)) return cp;
  if (typed.startsWith(QLatin1Char('/'))) return ToCatalog(fs::path(typed.toStdString()));
  return cp;
}

}  // namespace kt
