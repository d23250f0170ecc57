#include "tests/e2e/command_center_steps.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "resources/resource_ids.h"

namespace cc_steps {

namespace {

struct BoxSearch {
  const std::string* heading;
  HWND found;
};

BOOL CALLBACK MatchBox(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  char cls[16] = {};
  GetClassNameA(window, cls, sizeof cls);
  HWND label = GetDlgItem(window, IDC_ASK_HEADING);
  if (!IsWindowVisible(window) || strcmp(cls, "#32770") != 0 || !label) return TRUE;
  if (e2e::GetText(label) != *search->heading) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

HWND QuestionShown(const std::string& heading) {
  BoxSearch search{&heading, nullptr};
  EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindQuestion(const std::string& heading, DWORD ms) {
  HWND box = nullptr;
  e2e::WaitUntil([&] { return (box = QuestionShown(heading)) != nullptr; }, ms, "question");
  return box;
}

bool AnswerQuestion(const std::string& heading, int button, std::string* message) {
  HWND box = FindQuestion(heading);
  if (!box) return false;
  if (message) *message = e2e::GetText(GetDlgItem(box, IDC_ASK_MESSAGE));
  e2e::PostClick(GetDlgItem(box, button));
  return e2e::WaitGone(box);
}

Session::Session(const std::string& workFolder, const std::string& title) : folder(workFolder) {
  program = e2e::Start(folder);
  if (program.running) center = e2e::WaitWindow(title, 10000);
}

Session::~Session() { e2e::Stop(program); }

void Session::ExitWithYes() {
  e2e::PostClick(e2e::Control(center, IDC_CC_EXIT));
  EXPECT_TRUE(AnswerQuestion("Ending Question...", IDYES));
  EXPECT_TRUE(e2e::WaitExit(program, 12000)) << "Kestrova did not end within 12 s of Yes";
}

void Session::RootsOn() {
  e2e::PostClick(e2e::Control(center, IDC_CC_ROOTS));
  std::string message;
  ASSERT_TRUE(AnswerQuestion("Creating roots...", IDYES, &message));
  EXPECT_EQ(message, "Are you sure you want to create roots on the directory this program ran from?");
  // Answered once the routine that writes the file has returned.
  SendMessageA(center, WM_NULL, 0, 0);
  ASSERT_TRUE(FileExists(folder + "\\Kestrova.INI"));
}

std::string Asked(HWND dialog, int id, const std::string& heading, int answer) {
  e2e::PostClick(e2e::Control(dialog, id));
  std::string message;
  return AnswerQuestion(heading, answer, &message) ? message : "(no question)";
}

HWND Session::Open(int buttonId, const std::string& title) {
  e2e::PostClick(e2e::Control(center, buttonId));
  return e2e::WaitWindow(title);
}

void WindowTest::Begin(int button, const std::string& title, const std::vector<std::string>& settings) {
  const std::string folder = e2e::FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
  if (!settings.empty()) WriteLines(folder + "\\Kestrova.INI", settings);
  session = std::make_unique<Session>(folder);
  ASSERT_TRUE(session->center);
  if (button) dialog = session->Open(button, title);
  ASSERT_TRUE(!button || dialog) << title;
}

void WindowTest::TearDown() {
  if (session && session->center && session->program.running) session->ExitWithYes();
}

std::vector<std::string> SmallBuffer() { return {"BuffSize=16384", "Padding=" + std::string(100, '.')}; }

void Shot(HWND window, const std::string& name) {
  SendMessageA(window, WM_NULL, 0, 0);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  e2e::Screenshot(name);
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  for (const std::string& line : lines) file << line << "\r\n";
}

std::string ValueOf(const std::vector<std::string>& lines, const std::string& key) {
  for (const std::string& line : lines)
    if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
  return "(no " + key + ")";
}

}  // namespace cc_steps
