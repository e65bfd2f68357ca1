#pragma once

#include <QIcon>

namespace vorn {

// The tool bar's pictures, drawn rather than shipped: one per tool button name (BTNOpen,
// BTNNext, ...). An unknown name gives an empty icon.
QIcon ToolIcon(const char* buttonName);

// The program's own picture, for the window and the about box.
QIcon ProgramIcon();

}  // namespace vorn
