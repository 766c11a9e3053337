#include "bench/Fixtures.h"

#include <cstdlib>
#include <stdexcept>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace kt::bench {

std::filesystem::path MakeTempFolder(const std::string& prefix) {
  std::string tmpl = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  return tmpl;
}

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

const TLineList& FolderLines(size_t count) {
  static std::map<size_t, TLineList> made;
  auto it = made.find(count);
  if (it != made.end()) return it->second;

  static const std::vector<std::string> roots = {"d:\\sounds", "e:\\mp3", "\\\\server\\musik",
                                                 "z:\\home\\anna\\Musik", "D:\\Sounds"};
  static const std::vector<std::string> genres = {
      "rock", "Rock", "pop", "Jazz", "klassik", "Hip-Hop", "_unsortiert", "Schlager", "Elektro", "Sampler",
      "Soundtracks", "Live", "80er", "90er", "Neue Deutsche Welle", "Punk", "Metal", "Chanson"};
  static const std::vector<std::string> syllables = {
      "Ka", "ra", "mel", "St\xF6", "ne", "\xC4rz", "te", "fun", "Bl", "ue", "Cr", "\xFC" "e", "de", "ich",
      "kind", "Za", "ppa", "Mo", "zart", "Fal", "co", "Ne", "na", "See", "ed", "Gr\xF6", "ne", "mey", "er"};
  static const std::vector<std::string> albums = {
      "Greatest Hits", "Live in Berlin", "Best of", "Demo", "Unplugged", "Singles", "Remixes", "B-Seiten",
      "Stra\xDF" "e", "M\xE4" "dchen", "Sommer", "Nacht", "Radio", "Autobahn"};
  std::mt19937 rng(7);
  TLineList lines;
  lines.Reserve(count, count * 60);
  while (lines.size() < count) {
    const std::string base = roots[rng() % roots.size()] + "\\" + genres[rng() % genres.size()] + "\\";
    std::string artist;
    for (int s = 2 + int(rng() % 3); s > 0; --s) artist += syllables[rng() % syllables.size()];
    if (rng() % 4 == 0) artist += " & " + syllables[rng() % syllables.size()] + syllables[rng() % syllables.size()];
    for (int a = 1 + int(rng() % 6); a > 0 && lines.size() < count; --a) {
      const std::string album = base + artist + "\\" + albums[rng() % albums.size()] + " " +
                                std::to_string(1970 + rng() % 50);
      lines.Append(album);
      if (rng() % 5 == 0)
        for (int cd = 1; cd <= 2 && lines.size() < count; ++cd) lines.Append(album + "\\CD " + std::to_string(cd));
    }
    if (rng() % 50 == 0 && lines.size() < count) {  // a folder a second search path covers again
      const std::string again(lines[rng() % lines.size()]);
      lines.Append(again);
    }
  }
  return made.emplace(count, std::move(lines)).first->second;
}

}  // namespace kt::bench
