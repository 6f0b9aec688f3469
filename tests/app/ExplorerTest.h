#pragma once
// What the explorer window's tests share: the language, a manager with the
// explorer registered over Context_, message boxes answered by default with
// their texts kept in Shown_, and the text the pane shows.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <memory>

#include "TempDir.h"
#include "app/ManagerForm.h"
#include "app/MesgPane.h"
#include "app/TriForm.h"
#include "controls/MessageForm.h"
#include "settings/GlobStrings.h"

namespace quenby::test {

class TExplorerTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadLanguage(QUENBY_SOURCE_DIR "/lang/english.ini"); }
  // Once Context_ is filled in.
  void StartManager() {
    Manager_ = std::make_unique<TManagerForm>(Dir_ / "options.ini", nullptr);
    RegisterExplorer(*Manager_, Context_);
    SetMessageBoxAnswerer([this](const TTntMessageForm& box) {
      Shown_.push_back(box.MessageLabel()->text());
      return box.DefaultResult();
    });
  }
  void TearDown() override {
    SetMessageBoxAnswerer({});
    Manager_->SetTerminating();
    Manager_.reset();
  }

  static QString PaneText(TTriForm* window) {
    return static_cast<QPlainTextEdit*>(window->MesgPane()->Widget())->toPlainText();
  }

  TTempDir Dir_;
  TExplorerContext Context_;
  std::unique_ptr<TManagerForm> Manager_;
  QStringList Shown_;
};

}  // namespace quenby::test
