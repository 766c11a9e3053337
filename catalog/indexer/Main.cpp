// klangtruhe-index: builds the catalog of a program folder without a window.
//   klangtruhe-index [PROGRAMMORDNER]
// The program folder (by default the folder of this executable) holds
// "Pfade.txt"; the run is the one the search-path dialog starts: it writes
// "Pfade.txt" back, then "Index.txt", "Baum.txt" and the two RTF catalogs.
// Progress goes to stderr (one line updated in place on a terminal, a line
// every ten per cent otherwise), the closing message to stdout.
// Exit status: 0 done, 1 a catalog file could not be written (or the run
// failed), 2 wrong usage.

#include "catalog/CatalogFiles.h"
#include "catalog/IndexingRun.h"
#include "platform/Cp1252.h"
#include "platform/Paths.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage = "Aufruf: klangtruhe-index [PROGRAMMORDNER]\n";

int Usage(std::FILE* to, int status) {
  std::fputs(kUsage, to);
  return status;
}

// The percentage of the run's own stages (scan and tags) on stderr.
class TProgressLine {
 public:
  TProgressLine() : terminal_(::isatty(STDERR_FILENO) == 1) {}

  void Show(int gaugePosition) {
    const int end = kt::IndexingGaugePosition(kt::kTagStage, 1, 1);
    const int percent = gaugePosition >= end ? 100 : gaugePosition * 100 / end;
    if (terminal_) {
      if (percent == shown_) return;
      std::fprintf(stderr, "\rIndex wird erzeugt... %3d%%", percent);
      std::fflush(stderr);
    } else {
      if (shown_ >= 0 && percent / 10 == shown_ / 10) return;
      std::fprintf(stderr, "Index wird erzeugt... %d%%\n", percent / 10 * 10);
    }
    shown_ = percent;
  }

  void Finish() {
    Show(kt::IndexingGaugePosition(kt::kTagStage, 1, 1));
    if (terminal_) std::fputc('\n', stderr);
  }

 private:
  bool terminal_;
  int shown_ = -1;
};

}  // namespace

int main(int argc, char** argv) {
  fs::path programFolder;
  if (argc > 2) return Usage(stderr, 2);
  if (argc == 2) {
    const std::string_view arg = argv[1];
    if (arg == "-h" || arg == "--help") return Usage(stdout, 0);
    if (arg.empty() || arg.front() == '-') return Usage(stderr, 2);
    programFolder = arg;
  } else {
    std::error_code ec;
    programFolder = fs::read_symlink("/proc/self/exe", ec).parent_path();
    if (ec) {
      std::fprintf(stderr, "Fehler: Der Ordner des Programms ist nicht zu finden (%s).\n", ec.message().c_str());
      return 1;
    }
  }
  std::error_code ec;
  if (!fs::is_directory(programFolder, ec)) {
    std::fprintf(stderr, "Fehler: Der Programmordner \"%s\" ist kein Ordner.\n", programFolder.c_str());
    return Usage(stderr, 2);
  }

  try {
    const std::vector<kt::TSearchPath> paths = kt::ReadSearchPathFile(programFolder / kt::kSearchPathFile);
    kt::TPathMapper mapper(programFolder);
    mapper.SetCaching(true);
    kt::TCatalog catalog;
    TProgressLine progress;
    kt::TIndexingSink sink;
    sink.Progress = [&](int position) { progress.Show(position); };
    progress.Show(0);
    const kt::TIndexingResult result = kt::RunIndexingSteps(paths, mapper, programFolder, catalog, sink);
    progress.Finish();

    if (!result.AllWritten()) {
      for (const kt::TUnwrittenFile& f : result.UnwrittenFiles)
        std::fprintf(stderr, "Fehler: %s (%s)\n", kt::Cp1252ToUtf8(kt::UnwrittenFileMessage(f)).c_str(),
                     f.Error.message().c_str());
      return 1;
    }
    std::printf("%s\n", kt::Cp1252ToUtf8(kt::IndexingDoneMessage(result.TrackCount)).c_str());
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "\nFehler: Die Indizierung ist fehlgeschlagen: %s\n", e.what());
    return 1;
  }
}
