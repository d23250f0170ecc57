// Steps the Command Center's end-to-end tests share: a running Kestrova in
// its own folder, the exit with Yes, "&Roots" on, dialogs opened from the
// Command Center, settled screenshots and the settings file's lines.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/files_on_disk.h"

namespace cc_steps {

// The system menu's "Always On &Top" item.
constexpr WPARAM kMenuOnTop = 0x0110;

struct Session {
  std::string folder;
  e2e::Program program;
  HWND center = nullptr;  // found when the window has title
  explicit Session(const std::string& folder, const std::string& title = "Command Center");
  ~Session();
  // "E&xit", answered Yes: the process ends within 12 s.
  void ExitWithYes();
  // "&Roots" switched on and answered Yes: the settings file is written.
  void RootsOn();
  // Presses a Command Center button and waits for the dialog titled title.
  HWND Open(int buttonId, const std::string& title);
};

// Kestrova started in a fresh folder named for the test, its settings
// file holding settings when given, and the window titled title opened
// with the Command Center's button (none when button is 0).
struct WindowTest : ::testing::Test {
  void Begin(int button = 0, const std::string& title = "", const std::vector<std::string>& settings = {});
  void TearDown() override;  // "E&xit" answered Yes, unless it has ended
  std::string Path(const std::string& name) const { return session->folder + "\\" + name; }
  std::unique_ptr<Session> session;
  HWND dialog = nullptr;
};

// The settings of a long run: a 16 KiB buffer (a settings file is read
// from 101 bytes on; lines of unknown keys say nothing).
std::vector<std::string> SmallBuffer();

// The text of the dialog's control id.
inline std::string Text(HWND dialog, int id) { return e2e::ItemText(dialog, id); }

// Finds the program's question box (titled "Pop Quiz", "Information")
// whose heading is heading, presses button, and gives its message.
bool AnswerQuestion(const std::string& heading, int button, std::string* message = nullptr);
// The open question box whose heading is heading, left unanswered (nullptr
// when none came within ms); QuestionShown looks once, without waiting.
HWND FindQuestion(const std::string& heading, DWORD ms = 5000);
HWND QuestionShown(const std::string& heading);
// Presses the dialog's button id and answers the question headed heading
// with answer: its message, or "(no question)" when none came.
std::string Asked(HWND dialog, int id, const std::string& heading, int answer);

// Waits for the window's thread to finish what it is doing, has the
// window painted again, then saves the screen.
void Shot(HWND window, const std::string& name);

bool FileExists(const std::string& path);
// The file's lines without their CR LF.
std::vector<std::string> ReadLines(const std::string& path);
void WriteLines(const std::string& path, const std::vector<std::string>& lines);
// The value of the first line "key=value".
std::string ValueOf(const std::vector<std::string>& lines, const std::string& key);

}  // namespace cc_steps
