// Internal records of the window toolkit: event targets and handlers,
// windows, controls, custom classes and the mouse track in progress.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit/toolkit.h"

class QEventLoop;

namespace toolkit {

struct HandlerRecord {
  EventHandlerUPP proc = nullptr;
  std::vector<EventTypeSpec> types;
  void* userData = nullptr;
  struct EventTarget* target = nullptr;
  bool wants(UInt32 eventClass, UInt32 kind) const;
};

struct EventTarget {
  std::vector<std::shared_ptr<HandlerRecord>> handlers;  // in install order
  EventTarget* parent = nullptr;
  ~EventTarget();
};

EventTarget& applicationTarget();
// Sends an event through `target` and its parents.
OSStatus dispatch(EventRef event, EventTarget* target);

// Events built by the toolkit itself; released when the owner goes.
struct EventDeleter {
  void operator()(OpaqueEventRef* event) const { ReleaseEvent(event); }
};
using EventPtr = std::unique_ptr<OpaqueEventRef, EventDeleter>;
EventPtr makeEvent(UInt32 eventClass, UInt32 kind);

// Qt's keyboard modifiers as the toolkit's masks.
UInt32 modifiersFrom(Qt::KeyboardModifiers modifiers);

// Text of controls: Mac OS Roman bytes to and from QString.
QString fromMacRoman(const void* bytes, size_t length);
std::string toMacRoman(const QString& text);

// Makes the process's QApplication when it has none; false when a
// non-GUI application object already exists.
bool ensureApplication();

}  // namespace toolkit

struct OpaqueToolboxObjectClassRef {
  std::string identifier;
  std::vector<EventTypeSpec> events;
  EventHandlerUPP handler = nullptr;
  void* userData = nullptr;
  int instances = 0;
};

struct OpaqueMenuRef {
  ControlRef owner = nullptr;
  toolkit::EventTarget target;
};

struct OpaqueControlRef {
  WindowRef owner = nullptr;
  QPointer<QWidget> widget;
  ControlID id{0, 0};
  UInt32 command = 0;
  toolkit::EventTarget target;
  ControlActionUPP action = nullptr;
  // Custom controls keep their own value; standard widgets keep theirs.
  SInt32 value = 0, minimum = 0, maximum = 0;
  ControlPartCode hilite = 0;
  OpaqueToolboxObjectClassRef* customClass = nullptr;
  std::unique_ptr<OpaqueMenuRef> menu;
  bool userAction = false;  // a user action is changing the value
};

struct OpaqueWindowPtr {
  QPointer<QWidget> widget;
  GrafPtr port = nullptr;
  toolkit::EventTarget target;
  std::vector<std::unique_ptr<OpaqueControlRef>> controls;
  QEventLoop* modalLoop = nullptr;
  bool quitRequested = false;
  bool shownOnce = false;
  ~OpaqueWindowPtr();
};

namespace toolkit {

// The live windows, oldest first.
std::vector<WindowRef>& windows();
// Sends a control event with the control as direct object.
OSStatus sendControlEvent(ControlRef control, UInt32 kind, EventRef prepared = nullptr);
// Sends the control's command, if it has one, as a command event.
void sendCommand(ControlRef control);
void sendWindowCommand(WindowRef window, UInt32 commandID);
// Sends a control event of `kind` to every custom control of the window.
void sendToCustomControls(WindowRef window, UInt32 kind);
// Schedules every custom control of the window to show its port's pixels.
void refreshCustomControls(WindowRef window);
// Binds the widgets of a freshly loaded window to controls; false (with a
// message on standard error) when a custom class is not registered.
bool bindControls(WindowRef window, const QString& nibName);
void connectStandardControl(ControlRef control);
QWidget* newCustomControlWidget(QWidget* parent);
QWidget* newWindowWidget(QWidget* parent);
void attachCustomControl(QWidget* widget, ControlRef control);
// Cuts the widget loose from a control that is going away.
void detachCustomControl(QWidget* widget, ControlRef control);
OpaqueToolboxObjectClassRef* findClass(const std::string& identifier);
// Feeds the track in progress (if any) with a mouse event of `control`.
void trackMouse(ControlRef control, Point where, MouseTrackingResult result);

}  // namespace toolkit
