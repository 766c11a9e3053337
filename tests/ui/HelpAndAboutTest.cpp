#include "tests/ui/FormFixture.h"

#include <QDateTime>
#include <QLabel>

#include <fcntl.h>
#include <sys/stat.h>

namespace kt::test {
namespace {

TEST(HelpAndAbout, BuildLineIsTheProgramFilesModificationTime) {
  TempDir tmp;
  const auto file = tmp / "klangtruhe";
  WriteBytes(file, "a program");
  // A time stamp far from now, so a time taken from anywhere else shows.
  const QDateTime stamp(QDate(2003, 4, 5), QTime(6, 7, 8));
  struct timespec times[2] = {{stamp.toSecsSinceEpoch(), 0}, {stamp.toSecsSinceEpoch(), 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  TForm9 about(file);
  EXPECT_EQ(about.BuildLabel()->text(), TForm9::BuildLine(stamp));
  EXPECT_TRUE(about.BuildLabel()->text().startsWith(QStringLiteral("Compiled ")));
  EXPECT_TRUE(about.BuildLabel()->text().contains(QStringLiteral("06:07:08")) ||
              about.BuildLabel()->text().contains(QStringLiteral("6:07:08")))
      << about.BuildLabel()->text().toStdString();
  EXPECT_EQ(about.windowTitle(), QStringLiteral("About..."));
  EXPECT_EQ(about.size(), QSize(386, 257));
}

TEST(HelpAndAbout, HelpShowsItsThreeSections) {
  TForm13 help;
  EXPECT_EQ(help.windowTitle(), QStringLiteral("Hilfe..."));
  EXPECT_EQ(help.size(), QSize(433, 539));
  const int lines[3] = {3, 9, 7};
  for (int s = 1; s <= 3; ++s) {
    EXPECT_EQ(help.TextBlock(s)->text().split(QLatin1Char('\n')).size(), lines[s - 1]);
    EXPECT_FALSE(help.TextBlock(s)->isEnabled());  // takes no focus
  }
  // The help always speaks of four digits.
  EXPECT_TRUE(help.TextBlock(1)->text().endsWith(QStringLiteral("Indexnummer immer 4stellig eingegeben werden.")));
  EXPECT_EQ(help.TextBlock(2)->text().split(QLatin1Char('\n'))[8],
            QStringLiteral("Strg+Umschalt+Return  ->  Ausgewähltes Lied einreihen"));
}

}  // namespace
}  // namespace kt::test
