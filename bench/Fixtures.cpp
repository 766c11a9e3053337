#include "bench/Fixtures.h"

#include <map>
#include <random>
#include <string>
#include <vector>

namespace kt::bench {

const TLineList& TrackLines(size_t count) {
  static std::map<size_t, TLineList> made;
  auto it = made.find(count);
  if (it != made.end()) return it->second;

  static const std::vector<std::string> artists = {
      "Die \xC4rzte", "Kraftwerk", "Pink Floyd", "Herbert Gr\xF6nemeyer", "AC/DC", "Rolling Stones",
      "Beatles", "Caf\xE9 del Mar", "Seeed", "Tocotronic", "Einst\xFCrzende Neubauten", "Mozart",
      "Miles Davis", "Nena", "Falco", "Wir sind Helden", "Deichkind", "M\xF6tley Cr\xFC" "e"};
  static const std::vector<std::string> words = {
      "Song", "Liebe", "Nacht", "Stra\xDF" "e", "Modell", "Sommer", "Zeit", "Radio", "Autobahn", "(Live)",
      "Remix", "Blue", "Heart", "Angie", "M\xE4" "dchen", "Sonne", "Regen", "Tanz", "[Demo]", "Version"};
  static const std::vector<std::string> roots = {"d:\\sounds", "e:\\mp3", "\\\\server\\musik", "z:\\home\\anna\\Musik"};
  std::mt19937 rng(42);
  TLineList lines;
  lines.Reserve(count, count * 110);
  for (size_t i = 0; i < count; ++i) {
    const std::string& artist = artists[rng() % artists.size()];
    std::string title = words[rng() % words.size()];
    for (int w = int(rng() % 3); w > 0; --w) title += " " + words[rng() % words.size()];
    std::string line = roots[rng() % roots.size()] + "\\" + artist + "\\Album " + std::to_string(rng() % 40) + "\\" +
                       std::to_string(1 + rng() % 20) + " - " + title + ".mp3 [" + artist + " - " + title + "]";
    lines.Append(line);
  }
  return made.emplace(count, std::move(lines)).first->second;
}

}  // namespace kt::bench
