// The check of the copy target before the default-action dialog closes.

#include "player/DefaultAction.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace kt {
namespace {

TEST(CheckTargetFolder, TrimsOneBackslashAndFindsTheFolderOrItsDrive) {
  const std::set<std::string, std::less<>> folders = {"d:", "d:\\musik", "d:\\musik\\neu", "\\\\server\\share"};
  struct Case {
    const char* text;
    const char* field;
    TTargetVerdict verdict;
  } cases[] = {
      {"d:\\musik", "d:\\musik", TTargetVerdict::Exists},
      {"d:\\musik\\", "d:\\musik", TTargetVerdict::Exists},
      {"d:\\", "d:", TTargetVerdict::Exists},
      // Only one backslash goes: "d:\musik\" is not tried.
      {"d:\\musik\\\\", "d:\\musik\\", TTargetVerdict::AskCreate},
      {"d:\\kopien", "d:\\kopien", TTargetVerdict::AskCreate},
      // The drive is all that has to be there, however deep the folder lies.
      {"d:\\a\\b\\c\\", "d:\\a\\b\\c", TTargetVerdict::AskCreate},
      {"q:\\kopien", "q:\\kopien", TTargetVerdict::NoDrive},
      {"kopien", "kopien", TTargetVerdict::NoDrive},
      {"d:", "d:", TTargetVerdict::Exists},
      {"q:", "q:", TTargetVerdict::NoDrive},
      {"", "", TTargetVerdict::NoDrive},
      {"\\", "", TTargetVerdict::NoDrive},
      // A network path has nothing before its first backslash.
      {"\\\\server\\share\\neu", "\\\\server\\share\\neu", TTargetVerdict::NoDrive},
      {"\\\\server\\share\\", "\\\\server\\share", TTargetVerdict::Exists},
  };
  for (const Case& c : cases) {
    std::vector<std::string> asked;
    const TTargetCheck r = CheckTargetFolder(c.text, [&](std::string_view p) {
      asked.emplace_back(p);
      return folders.count(p) > 0;
    });
    EXPECT_EQ(r.Text, c.field) << c.text;
    EXPECT_EQ(r.Verdict, c.verdict) << c.text;
    // The folder itself is asked first, never with its trailing backslash.
    if (!asked.empty()) {
      EXPECT_EQ(asked.front(), c.field) << c.text;
    }
  }
}

}  // namespace
}  // namespace kt
