#pragma once
// The registry values the program reads, under HKEY_CLASSES_ROOT, kept in a
// per-user text file in the form of a registry export:
//
//   [HKEY_CLASSES_ROOT\Winamp.File\shell\Play\command]
//   @="\"z:\\home\\anna\\bin\\standin-player\" \"%1\""
//
// Key names are compared without regard to ASCII letter case. Values are
// Windows-1252 byte strings; in the file a backslash and a double quote are
// escaped with a backslash.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace kt {

class TRegistry {
 public:
  // $KLANGTRUHE_REGISTRY when set, else $XDG_CONFIG_HOME/klangtruhe/registry.reg,
  // else ~/.config/klangtruhe/registry.reg.
  static std::filesystem::path DefaultFile();

  explicit TRegistry(std::filesystem::path file = DefaultFile());

  // Opens a key below HKEY_CLASSES_ROOT; with create, a missing key is made
  // (and written to the file). False when the key does not exist and cannot be made.
  bool OpenKey(std::string_view key, bool create);
  // The key's default (unnamed) value; nothing when the key or value is absent.
  std::optional<std::string> DefaultValue(std::string_view key) const;
  bool SetDefaultValue(std::string_view key, std::string_view value);

 private:
  struct Key {
    std::string Name;  // as first written
    std::optional<std::string> Default;
  };
  void Load();
  bool Save() const;

  std::filesystem::path file_;
  std::map<std::string, Key> keys_;  // by upper-cased name
};

}  // namespace kt
