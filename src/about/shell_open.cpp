#include "about/shell_open.h"

#include "platform/app_info.h"
#include "platform/shell.h"

// Whether the desktop managed is its affair: nothing is checked or reported.
void shellOpen(const std::string& target) {
    const HWND owner = GetDesktopWindow();
    ShellExecuteA(owner, "Open", target, "", App::Path(), SW_SHOWNORMAL);
}
