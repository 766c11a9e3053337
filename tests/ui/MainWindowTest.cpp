#include "tests/ui/FormFixture.h"

#include "platform/WinMsg.h"
#include "player/PlayerInterface.h"
#include "search/ResultList.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QTreeView>

namespace kt::test {
namespace {

QPoint RightEdgeInPanel(const QWidget* w) { return QPoint(w->x() + w->width(), w->y()); }

void Key(QWidget* target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, mods);
  QApplication::sendEvent(target, &press);
}

TEST_F(FormFixture, LayoutFollowsTheClientSize) {
  TForm1& f = Show();
  f.resize(1018, 715 + TCaptionBar::kHeight);
  Process();
  ASSERT_EQ(f.Client->size(), QSize(1018, 715));
  struct Expect {
    QWidget* w;
    QRect r;
  };
  const Expect design[] = {
      {f.Panel_ol, {0, 0, 385, 57}},     {f.Panel_or, {387, 0, 631, 57}},   {f.Panel_m, {0, 59, 1018, 636}},
      {f.Panel_ul, {0, 697, 233, 18}},   {f.Panel_ur, {235, 697, 783, 18}}, {f.Panel_or2, {422, 28, 209, 29}},
      {f.Edit1, {8, 6, 303, 21}},        {f.Button1, {316, 6, 61, 21}},     {f.Button22, {7, 30, 114, 21}},
      {f.Button23, {126, 30, 91, 21}},   {f.Button24, {222, 30, 89, 21}},   {f.Button2, {316, 30, 61, 21}},
      {f.Gauge1, {2, 2, 779, 14}},       {f.WaPrev, {8, 6, 33, 15}},        {f.WaNext, {168, 6, 33, 15}},
  };
  for (const Expect& e : design) EXPECT_EQ(e.w->geometry(), e.r) << e.w->objectName().toStdString();
  EXPECT_EQ(f.Label2->width(), 250);
  EXPECT_EQ(f.Bevel1->width(), 257);
  EXPECT_EQ(f.Bevel4->width(), 33);
  const int timeToPlayRight = RightEdgeInPanel(f.Label8).x();

  // At 800 pixels the top right panel is 413 wide and its display moves with the right edge.
  f.resize(800, 715 + TCaptionBar::kHeight);
  Process();
  EXPECT_EQ(f.Panel_or->width(), 413);
  EXPECT_EQ(RightEdgeInPanel(f.Label8).x(), timeToPlayRight - 218);
  EXPECT_EQ(f.Panel_or2->x(), 800 - 596);
  EXPECT_EQ(f.Label2->width(), (800 - 674) - 94);
  EXPECT_EQ(f.Gauge1->width(), 800 - 239);
  EXPECT_EQ(f.Panel_m->height(), 715 - 79);

  // Never smaller than 800 × 600.
  f.resize(500, 400);
  Process();
  EXPECT_GE(f.width(), 800);
  EXPECT_GE(f.height(), 600);
}

TEST_F(FormFixture, DialogsDisableExactlyTheSixPanels) {
  TForm1& f = Show();
  f.ShowDialog(f.AboutWindow);
  Process();
  EXPECT_TRUE(f.AboutWindow->isVisible());
  for (QFrame* p : f.SixPanels()) EXPECT_FALSE(p->isEnabled()) << p->objectName().toStdString();
  EXPECT_TRUE(f.isEnabled());
  EXPECT_TRUE(f.Caption->isEnabled());
  // The caption buttons still work: the help opens over the about window.
  const QRect help = f.Caption->GlyphButtonRect(3);
  QMouseEvent down(QEvent::MouseButtonPress, help.center(), f.Caption->mapToGlobal(help.center()), Qt::LeftButton,
                   Qt::LeftButton, Qt::NoModifier);
  QMouseEvent up(QEvent::MouseButtonRelease, help.center(), f.Caption->mapToGlobal(help.center()), Qt::LeftButton,
                 Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(f.Caption, &down);
  QApplication::sendEvent(f.Caption, &up);
  EXPECT_TRUE(f.HelpWindow->isVisible());
  // Escape closes the help; OK and Abbrechen of the about window do the same.
  Key(f.HelpWindow, Qt::Key_Escape);
  EXPECT_FALSE(f.HelpWindow->isVisible());
  for (QFrame* p : f.SixPanels()) EXPECT_TRUE(p->isEnabled());
  f.ShowDialog(f.AboutWindow);
  about->CancelButton()->click();
  EXPECT_FALSE(f.AboutWindow->isVisible());
  f.ShowDialog(f.AboutWindow);
  about->OkButton()->click();
  EXPECT_FALSE(f.AboutWindow->isVisible());
  for (QFrame* p : f.SixPanels()) EXPECT_TRUE(p->isEnabled());
}

TEST_F(FormFixture, FunctionKeysOnlyWithoutModifiers) {
  TForm1& f = Show();
  // A player window that counts its raise requests.
  int raised = 0;
  const HWND player = RegisterWindow("Counting", "player", [&](const TMessage& m) -> int64_t {
    if (m.Msg == WM_USER && m.LParam == player::kStandinRaiseWindow) ++raised;
    return 0;
  });
  f.Player.PlayerWindow = player;
  QWidget* field = f.Edit1->lineEdit();
  Key(field, Qt::Key_F2, Qt::ControlModifier);
  Key(field, Qt::Key_F2, Qt::ShiftModifier);
  EXPECT_EQ(raised, 0);
  Key(field, Qt::Key_F2);
  EXPECT_EQ(raised, 1);
  Key(field, Qt::Key_F4, Qt::AltModifier);
  EXPECT_FALSE(f.HelpWindow->isVisible());
  Key(field, Qt::Key_F4);
  EXPECT_TRUE(f.HelpWindow->isVisible());
  UnregisterWindow(player);
}

TEST_F(FormFixture, SystemMenuCommandsMatchWithTheirLowBitsSet) {
  TForm1& f = Show();
  // The entries are there in their order, each with its id.
  std::vector<int> ids;
  for (QAction* a : f.SystemMenu.actions())
    if (a->data().isValid()) ids.push_back(a->data().toInt());
  EXPECT_EQ(ids, (std::vector<int>{0xF200, 0xF240, 0xF210, 0xF220, 0xF2A0, 0xF230, 0xF260}));
  f.SystemCommand(0xF2A3);
  EXPECT_TRUE(f.HelpWindow->isVisible());
  f.CloseDialog(f.HelpWindow);
  f.SystemCommand(0xF26F);
  EXPECT_TRUE(f.AboutWindow->isVisible());
  f.CloseDialog(f.AboutWindow);
  f.SystemCommand(0xF250);  // no such entry
  EXPECT_FALSE(f.HelpWindow->isVisible() || f.AboutWindow->isVisible());
}

TEST_F(FormFixture, TransportButtonsSendTheirCommandsAndKeepTheFocus) {
  dialogs.Answer(TAnswer::Yes);
  TForm1& f = Show({QStringLiteral("klangtruhe")});  // no player installed: the question, Yes
  ASSERT_TRUE(f.NoPlayer);
  EXPECT_FALSE(f.WaPlay->isEnabled());
  form.reset();
  dialogs.shown.clear();

  std::vector<uint64_t> commands;
  const HWND player = RegisterWindow("Counting", "player", [&](const TMessage& m) -> int64_t {
    if (m.Msg == WM_COMMAND) commands.push_back(m.WParam);
    return 0;
  });
  TForm1& g = Show();
  g.Player.PlayerWindow = player;
  for (QPushButton* b : {g.WaPrev, g.WaPlay, g.WaPause, g.WaStop, g.WaNext}) {
    b->setEnabled(true);
    g.ListBox2->setFocus();
    b->click();
    EXPECT_TRUE(g.Edit1->hasFocus() || g.Edit1->lineEdit()->hasFocus());
  }
  EXPECT_EQ(commands, (std::vector<uint64_t>{40044, 40045, 40046, 40047, 40048}));
  UnregisterWindow(player);
}

}  // namespace
}  // namespace kt::test
