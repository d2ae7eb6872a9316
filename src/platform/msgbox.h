// Modal message boxes: a prompt, a set of buttons, a title; the button pressed comes back.
#pragma once

#include "platform/app_info.h"

#include <functional>
#include <string>

// Button sets and default buttons (add them together).
constexpr int vbOKOnly = 0;
constexpr int vbYesNo = 4;
constexpr int vbDefaultButton1 = 0;

// Buttons pressed.
constexpr int vbOK = 1;
constexpr int vbYes = 6;
constexpr int vbNo = 7;

class QWidget;

// Every box is owned by the program's main window, and stands centred on it.
int MsgBox(const std::string& prompt, int buttons = vbOKOnly, const std::string& title = App::Title());
void setMsgBoxOwner(QWidget* mainWindow);

// Lets a program without a window answer the boxes itself, as the tests of
// the puzzle files do; an empty function restores the real boxes.
using MsgBoxAnswer = std::function<int(const std::string& prompt, int buttons, const std::string& title)>;
void setMsgBoxAnswer(MsgBoxAnswer answer);
