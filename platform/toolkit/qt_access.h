// For Qt-aware code (hosts, tests): the widgets that stand for toolkit
// windows and controls. They belong to the toolkit; do not delete them.
#pragma once

#include "platform/toolkit/toolkit_types.h"
#include "platform/macos/export.h"

VM_API_BEGIN

class QWidget;

QWidget* ToolkitWindowWidget(WindowRef window);
QWidget* ToolkitControlWidget(ControlRef control);

VM_API_END
