#pragma once
// A main window on a program folder of its own, with scripted dialogs and a
// registry file of its own, offscreen.

#include "app/TForm1.h"
#include "app/TForm13.h"
#include "app/TForm2.h"
#include "app/TForm7.h"
#include "app/TForm9.h"
#include "app/TSplash.h"
#include "catalog/CatalogFiles.h"
#include "platform/DialogService.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <memory>

namespace kt::test {

class FormFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("KLANGTRUHE_RUNTIME_DIR", (tmp / "run").c_str(), 1);
    folder = tmp / "prog";
    std::filesystem::create_directories(folder);
    paths = std::make_unique<TPathMapper>(folder);
    registry = std::make_unique<TRegistry>(tmp / "registry.reg");
  }
  void TearDown() override {
    searchPaths.reset();
    defaultAction.reset();
    form.reset();
    unsetenv("KLANGTRUHE_RUNTIME_DIR");
  }

  void WriteCatalog(const TLineList& tracks, const TLineList& folders) {
    std::error_code ec;
    WriteLineFile(folder / kTrackFile, tracks, ec);
    WriteLineFile(folder / kFolderFile, folders, ec);
  }

  // Creates the main window (and its windows) as the entry sequence does.
  TForm1& Create(QStringList args = {QStringLiteral("klangtruhe"), QStringLiteral("-nowinamp")}) {
    if (dialogs.shown.empty()) dialogs.Answer(TAnswer::Yes);  // run without the player
    services = TAppServices{folder / "klangtruhe", paths.get(), &dialogs, registry.get()};
    form = std::make_unique<TForm1>(services, args);
    splash = std::make_unique<TSplash>();
    help = std::make_unique<TForm13>();
    about = std::make_unique<TForm9>(folder / "klangtruhe");
    scan = std::make_unique<TScan>();
    searchPaths = std::make_unique<TForm2>(*form, *scan);
    form->SearchPathWindow = searchPaths.get();
    form->AddDialog(searchPaths.get());
    form->SetSplash(splash.get());
    form->HelpWindow = help.get();
    form->AboutWindow = about.get();
    form->AddDialog(help.get());
    form->AddDialog(about.get());
    defaultAction = std::make_unique<TForm7>(dialogs, *paths, [this] { return form->MenuDefaultAction(); },
                                             [this](TDefaultAction a) { form->MarkMenuDefault(a); });
    form->DefaultActionWindow = defaultAction.get();
    form->AddDialog(defaultAction.get());
    return *form;
  }
  TForm1& Show(QStringList args = {QStringLiteral("klangtruhe"), QStringLiteral("-nowinamp")}) {
    Create(args);
    form->show();
    Process();
    return *form;
  }
  static void Process(int ms = 20) {
    QElapsedTimer t;
    t.start();
    do QApplication::processEvents(); while (t.elapsed() < ms);
  }

  TempDir tmp;
  std::filesystem::path folder;
  std::unique_ptr<TPathMapper> paths;
  std::unique_ptr<TRegistry> registry;
  TScriptedDialogs dialogs;
  TAppServices services;
  std::unique_ptr<TForm1> form;
  std::unique_ptr<TSplash> splash;
  std::unique_ptr<TForm13> help;
  std::unique_ptr<TForm9> about;
  std::unique_ptr<TScan> scan;
  std::unique_ptr<TForm2> searchPaths;
  std::unique_ptr<TForm7> defaultAction;
};

}  // namespace kt::test
