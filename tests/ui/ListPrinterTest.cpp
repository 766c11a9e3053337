#include "app/ListPrinter.h"
#include "platform/Cp1252.h"
#include "search/ListDocument.h"
#include "tests/support/CupsServer.h"
#include "tests/support/TempDir.h"
#include "tests/ui/FormFixture.h"

#include "catalog/FolderTreeModel.h"
#include "search/ResultList.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <regex>

namespace kt::test {
namespace {

namespace fs = std::filesystem;

// One private print server for the whole program. CUPS_SERVER points at it
// before any test asks Qt for printers; it starts when a test first needs it.
class PrintServerEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    folder_ = std::make_unique<TempDir>();
    server_ = std::make_unique<CupsServer>(folder_->path());
    ::setenv("CUPS_SERVER", server_->Socket().c_str(), 1);
    ::setenv("CUPS_SERVERROOT", server_->ServerRoot().c_str(), 1);
    ::unsetenv("LPDEST");
    ::unsetenv("PRINTER");
  }
  void TearDown() override {
    server_.reset();
    folder_.reset();
  }

  // The running server, or null with the reason it cannot run here.
  CupsServer* Server(std::string* why) {
    if (why_.empty() && !server_->Start(&why_)) why_ = "no private print server: " + why_;
    *why = why_;
    return why_.empty() ? server_.get() : nullptr;
  }

 private:
  std::unique_ptr<TempDir> folder_;
  std::unique_ptr<CupsServer> server_;
  std::string why_;  // why the server cannot run; empty while it can
};

auto* const gPrintServer =
    static_cast<PrintServerEnvironment*>(::testing::AddGlobalTestEnvironment(new PrintServerEnvironment));

std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  ::pclose(pipe);
  return out;
}

// A printed line as pdftotext reads it: its words joined by one blank.
struct PrintedLine {
  int page;
  double x, y;  // points from the page's top left
  std::string text;  // UTF-8
};

std::string Unescaped(std::string s) {
  static const std::pair<std::string, std::string> entities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&#39;", "'"}, {"&amp;", "&"}};
  for (const auto& [from, to] : entities)
    for (size_t at; (at = s.find(from)) != std::string::npos;) s.replace(at, from.size(), to);
  return s;
}

std::vector<PrintedLine> PrintedLines(const fs::path& pdf) {
  const std::string xml = Output("pdftotext -bbox '" + pdf.string() + "' - 2>&1");
  static const std::regex item(
      R"re(<page |<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="[0-9.]+" yMax="[0-9.]+">([^<]*)</word>)re");
  std::vector<PrintedLine> lines;
  int page = 0;
  for (std::sregex_iterator it(xml.begin(), xml.end(), item), end; it != end; ++it) {
    const std::smatch& m = *it;
    if (!m[1].matched) {
      ++page;
      continue;
    }
    const double x = std::stod(m[1]), y = std::stod(m[2]);
    const std::string word = Unescaped(m[3]);
    if (!lines.empty() && lines.back().page == page && std::abs(lines.back().y - y) < 0.5)
      lines.back().text += " " + word;
    else
      lines.push_back({page, x, y, word});
  }
  return lines;
}

// Entries in Windows-1252 with umlauts, numbered so that their order shows,
// enough for three pages.
std::vector<std::string> SampleEntries() {
  const char* const titles[] = {"Die \xC4rzte - M\xE4nner sind Schweine",
                                "Br\xFC" "der Grimm - Der gro\xDF" "e M\xFC" "ller",
                                "Caf\xE9 del Mar - Sch\xF6nes Wetter", "Herbert - Flugzeuge im Bauch"};
  std::vector<std::string> entries;
  for (int i = 0; i < 200; ++i) {
    char number[8];
    std::snprintf(number, sizeof number, "%04d ", i);
    entries.push_back(number + std::string(titles[i % 4]));
  }
  return entries;
}

std::string SampleDocument(const std::vector<std::string>& entries) {
  return ListDocument(std::vector<std::string_view>(entries.begin(), entries.end()));
}

// What a printout of SampleDocument must show: the title, the rule and every
// entry, in order; the entries and the title eight blanks in, the rule five;
// three empty lines above the title, one below the rule; in Liberation Sans
// 8 pt, on more than one page.
void ExpectPrintout(const fs::path& pdf, const std::vector<std::string>& entries) {
  const std::vector<PrintedLine> lines = PrintedLines(pdf);
  std::vector<std::string> expected{"Varnik's Klangtruhe 2.0 alpha", std::string(43, '=')};
  for (const std::string& e : entries) expected.push_back(FromCp1252(e).toStdString());
  for (size_t i = 0; i < std::min(lines.size(), expected.size()); ++i)
    ASSERT_EQ(lines[i].text, expected[i]) << "line " << i << " on page " << lines[i].page;
  ASSERT_EQ(lines.size(), expected.size());

  const PrintedLine &title = lines[0], &rule = lines[1], &first = lines[2], &second = lines[3];
  EXPECT_GE(lines.back().page, 3);
  const double pitch = second.y - first.y;  // one line of 8 pt Liberation Sans: 9.2 pt
  EXPECT_NEAR(pitch, 9.2, 0.3);
  EXPECT_NEAR(rule.y - title.y, pitch, 0.1);
  EXPECT_NEAR(first.y - rule.y, 2 * pitch, 0.1);
  const auto topOfPage2 = std::find_if(lines.begin(), lines.end(), [](const PrintedLine& l) { return l.page == 2; });
  ASSERT_NE(topOfPage2, lines.end());
  EXPECT_NEAR(title.y - topOfPage2->y, 3 * pitch, 0.1);

  const double blank = 8 * 569.0 / 2048;  // Liberation Sans' blank at 8 pt
  EXPECT_NEAR(title.x - rule.x, 3 * blank, 0.2);
  for (size_t i = 2; i < lines.size(); ++i) EXPECT_NEAR(lines[i].x, title.x, 0.05) << lines[i].text;
  EXPECT_NE(Output("pdffonts '" + pdf.string() + "'").find("LiberationSans"), std::string::npos);
}

TEST(ListPrinting, WritesThePdfFile) {
  TempDir tmp;
  const auto entries = SampleEntries();
  const fs::path pdf = tmp / "list.pdf";
  QString error;
  ASSERT_TRUE(PrintPlainText(SampleDocument(entries), QStringLiteral("Report"), &error,
                             QString::fromStdString(pdf.string())))
      << error.toStdString();
  ExpectPrintout(pdf, entries);
  const std::string info = Output("pdfinfo '" + pdf.string() + "'");
  EXPECT_TRUE(std::regex_search(info, std::regex("(^|\n)Title: *Report\n"))) << info;
}

TEST(ListPrinting, PdfFileThatCannotBeWrittenIsAnError) {
  TempDir tmp;
  const QString pdf = QString::fromStdString((tmp / "missing/list.pdf").string());
  QString error;
  EXPECT_FALSE(PrintPlainText(SampleDocument({"x"}), QStringLiteral("Report"), &error, pdf));
  EXPECT_EQ(error, QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.").arg(pdf));
}

TEST(ListPrinting, PrintsOneJobNamedReportOnTheDefaultPrinter) {
  std::string why;
  CupsServer* server = gPrintServer->Server(&why);
  if (!server) GTEST_SKIP() << why;
  TempDir tmp;
  const fs::path out = tmp / "printed.pdf";
  ASSERT_TRUE(server->AddFileQueue("Other", tmp / "other.pdf", false, &why)) << why;
  ASSERT_TRUE(server->AddFileQueue("Test", out, true, &why)) << why;
  const size_t before = server->FinishedJobs().size();

  const auto entries = SampleEntries();
  QString error;
  ASSERT_TRUE(PrintPlainText(SampleDocument(entries), QStringLiteral("Report"), &error)) << error.toStdString();
  ASSERT_TRUE(server->WaitForFinishedJobs(before + 1));
  const auto jobs = server->FinishedJobs();
  ASSERT_EQ(jobs.size(), before + 1);
  EXPECT_EQ(jobs.back().name, "Report");
  EXPECT_FALSE(fs::exists(tmp / "other.pdf"));
  ExpectPrintout(out, entries);
}

// "Liste drucken" of the main window: more than 500 entries only after a Yes;
// a folder listing prints its entries without the folder.
TEST_F(FormFixture, ListPrintingFromTheResultList) {
  std::string why;
  CupsServer* server = gPrintServer->Server(&why);
  if (!server) GTEST_SKIP() << why;
  const fs::path out = tmp / "printed.pdf";
  ASSERT_TRUE(server->AddFileQueue("Test", out, true, &why)) << why;
  TLineList tracks;
  std::vector<std::string> lines, names;
  for (int i = 0; i < 501; ++i) {
    char name[40];
    std::snprintf(name, sizeof name, "t%03d.mp3 [A - %d]", i, i);
    names.push_back(name);
    lines.push_back((i < 500 ? "d:\\m\\" : "d:\\n\\") + names.back());
    tracks.Append(lines.back());
  }
  names.pop_back();
  WriteCatalog(tracks, {"d:\\m", "d:\\n"});
  TForm1& f = Show();
  f.Edit1->setEditText(QStringLiteral("*"));
  QKeyEvent ret(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(f.Edit1->lineEdit(), &ret);
  ASSERT_EQ(f.Results->size(), 501u);
  const size_t before = server->FinishedJobs().size();

  dialogs.shown.clear();
  dialogs.Answer(TAnswer::No);
  f.Listedrucken1Click();
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].Text, kPrintManyQuestion);
  EXPECT_EQ(dialogs.shown[0].Caption, "Klangtruhe");
  EXPECT_EQ(dialogs.shown[0].Buttons, TButtons::YesNo);
  dialogs.Answer(TAnswer::Yes);
  f.Listedrucken1Click();
  ASSERT_TRUE(server->WaitForFinishedJobs(before + 1));
  EXPECT_EQ(server->FinishedJobs().back().name, "Report");
  ExpectPrintout(out, lines);

  // Exactly 500, in folder view: no question.
  f.TreeView1->selectionModel()->setCurrentIndex(f.TreeModel->index(0, 0, f.TreeModel->index(0, 0)),
                                                 QItemSelectionModel::ClearAndSelect);
  ASSERT_EQ(f.CurrentFolder, "D:\\M");
  dialogs.shown.clear();
  f.Listedrucken1Click();
  EXPECT_TRUE(dialogs.shown.empty());
  ASSERT_TRUE(server->WaitForFinishedJobs(before + 2));
  ExpectPrintout(out, names);
}

TEST(ListPrinting, WithoutADefaultPrinterTellsSo) {
  std::string why;
  if (CupsServer* server = gPrintServer->Server(&why)) {
    // A printer that is there but not the default is no default.
    TempDir tmp;
    ASSERT_TRUE(server->RemoveQueue("Test", &why)) << why;
    ASSERT_TRUE(server->AddFileQueue("Other", tmp / "other.pdf", false, &why)) << why;
  }
  QString error;
  EXPECT_FALSE(PrintPlainText(SampleDocument({"x"}), QStringLiteral("Report"), &error));
  EXPECT_EQ(error, QStringLiteral("Es ist kein Standarddrucker eingerichtet."));
}

}  // namespace
}  // namespace kt::test
