#include "tests/e2e/command_center_steps.h"

#include <sstream>

namespace e2e {

HWND QuestionShown(const std::string& heading) {
  return FindTopLevel([&](HWND window) {
    HWND label = GetDlgItem(window, IDC_ASK_HEADING);
    return ClassOf(window) == "#32770" && label && GetText(label) == heading;
  });
}

HWND FindQuestion(const std::string& heading, DWORD ms) {
  HWND box = nullptr;
  WaitUntil([&] { return (box = QuestionShown(heading)) != nullptr; }, ms, "question");
  return box;
}

std::string Answered(const std::string& heading, int button) {
  HWND box = FindQuestion(heading);
  const std::string message = box ? GetText(GetDlgItem(box, IDC_ASK_MESSAGE)) : "";
  if (box) PostClick(GetDlgItem(box, button));
  return box && WaitGone(box) ? message : "(no question)";
}

bool AnswerQuestion(const std::string& heading, int button) { return Answered(heading, button) != "(no question)"; }

Session::Session(const std::string& workFolder, const std::string& title) : folder(workFolder) {
  program = Start(folder);
  if (program.running) center = WaitWindow(title, 10000);
}

Session::~Session() { Stop(program); }

void Session::ExitWithYes() {
  PostClick(Control(center, IDC_CC_EXIT));
  EXPECT_TRUE(AnswerQuestion("Ending Question...", IDYES));
  EXPECT_TRUE(WaitExit(program, 12000)) << "Kestrova did not end within 12 s of Yes";
}

void Session::RootsOn() {
  PostClick(Control(center, IDC_CC_ROOTS));
  ASSERT_TRUE(AnswerQuestion("Creating roots...", IDYES));
  // Answered once the routine that writes the file has returned.
  SendMessageA(center, WM_NULL, 0, 0);
  ASSERT_TRUE(FileExists(folder + "\\Kestrova.INI"));
}

bool Shows(HWND dialog, int id, const std::string& text, DWORD ms) {
  return WaitUntil([&] { return Text(dialog, id) == text; }, ms, "shows");
}

void Walk(HWND dialog, const std::vector<Step>& steps) {
  for (size_t i = 0; i < steps.size(); ++i) {
    const Step& s = steps[i];
    SCOPED_TRACE("step " + std::to_string(i + 1) + ": " + s.text);
    HWND control = Control(dialog, s.id);
    switch (s.act) {
      case kClick: Click(control); break;
      case kPost: PostClick(control); break;
      case kType: SetText(control, s.text); break;
      case kCombo: TypeInCombo(dialog, s.id, s.text); break;
      case kPick: SelectCombo(dialog, s.id, std::stoi(s.text)); break;
      case kSees: EXPECT_EQ(Text(dialog, s.id), s.text); break;
      case kWaits: EXPECT_TRUE(Shows(dialog, s.id, s.text)) << Text(dialog, s.id); break;
      case kTicked: EXPECT_TRUE(IsChecked(control)); break;
      case kClear: EXPECT_FALSE(IsChecked(control)); break;
      case kAnswer: {
        const std::string message = Answered(s.text, s.id);
        EXPECT_TRUE(message != "(no question)" && message.rfind(s.message, 0) == 0) << message;
      }
    }
  }
}

std::string Asked(HWND dialog, int id, const std::string& heading, int answer) {
  PostClick(Control(dialog, id));
  return Answered(heading, answer);
}

HWND Session::Open(int buttonId, const std::string& title) { return Opens(center, buttonId, title); }

void WindowTest::Begin(int button, const std::string& title, const std::vector<std::string>& settings) {
  const std::string folder = FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
  if (!settings.empty()) WriteLines(folder + "\\Kestrova.INI", settings);
  session = std::make_unique<Session>(folder);
  ASSERT_TRUE(session->center);
  if (button) dialog = session->Open(button, title);
  ASSERT_TRUE(!button || dialog) << title;
}

void WindowTest::TearDown() {
  if (session && session->center && session->program.running) session->ExitWithYes();
}

void Shot(HWND window, const std::string& name) {
  SendMessageA(window, WM_NULL, 0, 0);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Screenshot(name);
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> ReadLines(const std::string& path) {
  std::istringstream text(ReadBytes(path));
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);)
    lines.push_back(EndsWith(line, "\r") ? line.substr(0, line.size() - 1) : line);
  return lines;
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  WriteBytes(path, text);
}

std::string ValueOf(const std::vector<std::string>& lines, const std::string& key) {
  for (const std::string& line : lines)
    if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
  return "(no " + key + ")";
}

}  // namespace e2e
