#include "platform/Registry.h"

#include "platform/Cp1252.h"
#include "platform/FileIO.h"

#include <cstdlib>

namespace kt {
namespace {

constexpr std::string_view kRoot = "HKEY_CLASSES_ROOT\\";

std::string Escape(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

// The quoted string at the start of s ("..." with \\ and \" escapes).
std::optional<std::string> Unquote(std::string_view s) {
  if (s.empty() || s.front() != '"') return std::nullopt;
  std::string out;
  for (size_t i = 1; i < s.size(); ++i) {
    if (s[i] == '"') return out;
    if (s[i] == '\\' && i + 1 < s.size()) ++i;
    out += s[i];
  }
  return std::nullopt;  // no closing quote
}

std::string NormalKey(std::string_view key) {
  while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
  while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  return std::string(key);
}

}  // namespace

std::filesystem::path TRegistry::DefaultFile() {
  if (const char* own = std::getenv("KLANGTRUHE_REGISTRY"); own && *own) return own;
  if (const char* cfg = std::getenv("XDG_CONFIG_HOME"); cfg && *cfg)
    return std::filesystem::path(cfg) / "klangtruhe" / "registry.reg";
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home && *home ? home : "/tmp") / ".config" / "klangtruhe" / "registry.reg";
}

TRegistry::TRegistry(std::filesystem::path file) : file_(std::move(file)) { Load(); }

void TRegistry::Load() {
  keys_.clear();
  std::string text;
  ReadFileBytes(file_, text);
  Key* current = nullptr;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty() && line.front() == '[') {
      std::string_view name = line.substr(1, line.size() - 1 - (line.back() == ']'));
      if (line.back() == ']' && name.size() >= kRoot.size() && AsciiEqualsIgnoreCase(name.substr(0, kRoot.size()), kRoot)) {
        const std::string key = NormalKey(name.substr(kRoot.size()));
        current = &keys_.try_emplace(AsciiUpper(key), Key{key, std::nullopt}).first->second;
      } else {
        current = nullptr;  // another root, or no key at all: not ours
      }
    } else if (current && line.substr(0, 2) == "@=") {
      if (auto v = Unquote(line.substr(2))) current->Default = *v;
    }
  }
}

bool TRegistry::Save() const {
  std::string text = "Windows Registry Editor Version 5.00\r\n";
  for (const auto& [upper, key] : keys_) {
    text += "\r\n[" + std::string(kRoot) + key.Name + "]\r\n";
    if (key.Default) text += "@=\"" + Escape(*key.Default) + "\"\r\n";
  }
  std::error_code ec;
  std::filesystem::create_directories(file_.parent_path(), ec);
  return WriteFileAtomic(file_, text, ec);
}

bool TRegistry::OpenKey(std::string_view key, bool create) {
  const std::string name = NormalKey(key);
  if (keys_.count(AsciiUpper(name))) return true;
  if (!create || name.empty()) return false;
  keys_.emplace(AsciiUpper(name), Key{name, std::nullopt});
  if (Save()) return true;
  keys_.erase(AsciiUpper(name));
  return false;
}

std::optional<std::string> TRegistry::DefaultValue(std::string_view key) const {
  auto it = keys_.find(AsciiUpper(NormalKey(key)));
  if (it == keys_.end()) return std::nullopt;
  return it->second.Default;
}

bool TRegistry::SetDefaultValue(std::string_view key, std::string_view value) {
  const std::string name = NormalKey(key);
  if (name.empty()) return false;
  Key& k = keys_.try_emplace(AsciiUpper(name), Key{name, std::nullopt}).first->second;
  k.Default = std::string(value);
  return Save();
}

}  // namespace kt
