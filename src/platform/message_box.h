// Message boxes with the Windows button and answer codes that the player's logic is written in.
// On screen they are SDL's; headless (or without a display) the box is printed as "CAPTION: TEXT" on
// standard error and answered at once, so that a run without a user never waits.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vobe {

// Buttons (low nibble), icons and default button.
constexpr uint32_t MB_OK = 0x00, MB_OKCANCEL = 0x01, MB_ABORTRETRYIGNORE = 0x02, MB_YESNOCANCEL = 0x03,
                   MB_YESNO = 0x04, MB_RETRYCANCEL = 0x05;
constexpr uint32_t MB_ICONERROR = 0x10, MB_ICONQUESTION = 0x20, MB_ICONWARNING = 0x30,
                   MB_ICONINFORMATION = 0x40;
constexpr uint32_t MB_DEFBUTTON2 = 0x100;
// Answers.
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

// Shows the box and returns the answer. Headless, the answer is `headlessAnswer` when it is not 0,
// else the rule of the command line: OK where it is the only button, No for Yes/No (a quit
// confirmation), Cancel where there is one (a disk prompt). The quit question that follows a refused
// disk prompt passes IDOK. Text and caption are Shift-JIS.
int MessageBox(const std::string& text, const std::string& caption, uint32_t flags, int headlessAnswer = 0);

// The answer a headless run gives (exposed for tests).
int HeadlessAnswer(uint32_t flags, int headlessAnswer);

// Tests replace the box: the hook receives text, caption and flags and returns the answer.
using TMessageBoxHook = std::function<int(const std::string&, const std::string&, uint32_t)>;
void SetMessageBoxHook(TMessageBoxHook hook);

} // namespace vobe
