// gen_vkthelper.dll: the general-purpose plugin that runs inside the player
// and hands the titles of the current and of the next playlist entry to the
// program, one character per message.
//
// Its hidden window "TMainForm" / "VktHelperMainForm" exists from the moment
// the library is loaded until it is unloaded, and answers (wParam 0, lParam 0):
//   WM_USER+200  takes the current entry's title and answers its first character
//   WM_USER+201  answers the title's next character, 0 past its end
//   WM_USER+202  takes the title of the entry after the current one, as +200
//   WM_USER+203  its next character, as +201
// Characters come as their unsigned byte value (1..255). The player fills in
// its main window before the first message reaches the plugin; until then
// every title is empty.

#include "platform/WinMsg.h"
#include "player/PlayerInterface.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

using kt::player::TPluginRecord;

constexpr const char* kConfigText = "This Plugin cannot be configured.";

int Init() { return 0; }
void Config();
void Quit() {}

TPluginRecord gRecord = {kt::player::kPluginRecordVersion, "VKT Helper Plugin 1.0", Init, Config, Quit, 0, nullptr};

// One title being handed over, and the 1-based index of the character the
// last message answered.
struct THandOver {
  std::string Text;
  size_t Index = 0;

  int64_t Take(std::string text) {
    Text = std::move(text);
    Index = 1;
    return Current();
  }
  int64_t Advance() {
    // Once past the end the index stays there: every further message answers
    // 0 until the title is taken anew, and the index cannot run over.
    if (Index <= Text.size()) ++Index;
    return Current();
  }
  int64_t Current() const {
    if (Index == 0 || Index > Text.size()) return 0;
    return static_cast<unsigned char>(Text[Index - 1]);
  }
};

THandOver gCurrent, gNext;

// The title of the player's entry at the current position plus offset. The
// player answers with the address of its own copy, which means something only
// inside the player's process: a window handle holds the id of its process
// (pid × 65536 + n), so a parent window elsewhere gives no title.
std::string EntryTitle(uint64_t offset) {
  const kt::HWND parent = gRecord.ParentWindow;
  if (parent == 0 || (parent >> 16) != uint64_t(::getpid())) return {};
  const int64_t position = kt::SendMessage(parent, kt::WM_USER, 0, kt::player::kRequestPosition);
  const int64_t address =
      kt::SendMessage(parent, kt::WM_USER, uint64_t(position) + offset, kt::player::kRequestEntryTitle);
  if (address == 0) return {};
  return std::string(reinterpret_cast<const char*>(intptr_t(address)));
}

int64_t Handle(const kt::TMessage& m) {
  switch (m.Msg) {
    case kt::WM_USER + 200: return gCurrent.Take(EntryTitle(0));
    case kt::WM_USER + 201: return gCurrent.Advance();
    case kt::WM_USER + 202: return gNext.Take(EntryTitle(1));
    case kt::WM_USER + 203: return gNext.Advance();
  }
  return 0;
}

struct TWindow {
  kt::HWND Handle = kt::RegisterWindow("TMainForm", "VktHelperMainForm", ::Handle);
  ~TWindow() { kt::UnregisterWindow(Handle); }
} gWindow;

void Config() {
  // Tests that drive the player from outside read the box from the dialog log
  // the program uses too: "caption<TAB>owner<TAB>text".
  if (const char* log = std::getenv("KLANGTRUHE_DIALOG_LOG"); log && *log) {
    if (FILE* f = std::fopen(log, "a")) {
      std::fprintf(f, "\t\t%s\n", kConfigText);
      std::fclose(f);
    }
    return;
  }
  if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
    QMessageBox::information(nullptr, QString(), QString::fromLatin1(kConfigText), QMessageBox::Ok);
    return;
  }
  std::fprintf(stderr, "%s\n", kConfigText);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) TPluginRecord* winampGetGeneralPurposePlugin() { return &gRecord; }
