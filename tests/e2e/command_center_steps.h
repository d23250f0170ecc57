// Steps the end-to-end tests share: a running Kestrova, its windows and
// questions, walks through a window, screenshots, the settings file.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/files_on_disk.h"

namespace e2e {

constexpr WPARAM kMenuOnTop = 0x0110;  // the system menu's "Always On &Top"
constexpr char kAbortHeading[] = "Abort Action - The Big Question...";

struct Session {
  std::string folder;
  Program program;
  HWND center = nullptr;  // found when the window has title
  explicit Session(const std::string& folder, const std::string& title = "Command Center");
  ~Session();
  void ExitWithYes();  // the process ends within 12 s
  void RootsOn();      // answered Yes: the settings file is written
  HWND Open(int buttonId, const std::string& title);  // the window the button opens
};

// Kestrova started in a fresh folder named for the test, its settings file
// holding settings when given, and the window titled title opened with the
// Command Center's button (none when button is 0).
struct WindowTest : ::testing::Test {
  void Begin(int button = 0, const std::string& title = "", const std::vector<std::string>& settings = {});
  void TearDown() override;  // "E&xit" answered Yes, unless it has ended
  std::string Path(const std::string& name) const { return session->folder + "\\" + name; }
  std::unique_ptr<Session> session;
  HWND dialog = nullptr;
};

inline std::string Text(HWND dialog, int id) { return GetText(Control(dialog, id)); }
// Waits until the dialog's control id reads text.
bool Shows(HWND dialog, int id, const std::string& text, DWORD ms = 30000);

// The program's question box headed heading answered with button;
// Answered gives its message, "(no question)" when none came; Asked
// presses the dialog's button id first.
bool AnswerQuestion(const std::string& heading, int button);
std::string Answered(const std::string& heading, int button);
std::string Asked(HWND dialog, int id, const std::string& heading, int answer);
// The box left unanswered: within ms, or (QuestionShown) now.
HWND FindQuestion(const std::string& heading, DWORD ms = 5000);
HWND QuestionShown(const std::string& heading);

// One thing a person does in a window, or looks at there: kClick, kPost
// (a click that opens a box), kType (an edit), kCombo (a combo's edit),
// kPick (a combo's entry, by the number in text), kSees (text now), kWaits
// (text within 30 s), kTicked and kClear (a check box), kAnswer (the
// question headed text, answered with button id, its message starting
// with message).
enum Act { kClick, kPost, kType, kCombo, kPick, kSees, kWaits, kTicked, kClear, kAnswer };
struct Step {
  Act act;
  int id;
  std::string text = "", message = "";
};
// Walks the steps in order; a step that fails is recorded by its number.
void Walk(HWND dialog, const std::vector<Step>& steps);

// Waits for the window's thread to be idle, has it painted, saves the screen.
void Shot(HWND window, const std::string& name);

bool FileExists(const std::string& path);
std::vector<std::string> ReadLines(const std::string& path);  // without their CR LF
void WriteLines(const std::string& path, const std::vector<std::string>& lines);
// The value of the first line "key=value".
std::string ValueOf(const std::vector<std::string>& lines, const std::string& key);

}  // namespace e2e
