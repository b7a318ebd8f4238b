// Event records, handler chains and dispatch.
#include <QGuiApplication>

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/toolkit/toolkit_internal.h"

struct OpaqueEventRef {
  UInt32 eventClass = 0;
  UInt32 kind = 0;
  struct Parameter {
    EventParamType type;
    std::vector<uint8_t> bytes;
  };
  std::map<EventParamName, Parameter> parameters;
};

// One dispatch in progress: the handlers still to try, nearest first.
struct OpaqueEventHandlerCallRef {
  std::vector<std::shared_ptr<toolkit::HandlerRecord>> chain;
  size_t next = 0;
};

namespace toolkit {

bool HandlerRecord::wants(UInt32 eventClass, UInt32 kind) const {
  return std::any_of(types.begin(), types.end(),
                     [&](const EventTypeSpec& t) { return t.eventClass == eventClass && t.eventKind == kind; });
}

EventTarget::~EventTarget() {
  for (auto& h : handlers) h->target = nullptr;
}

EventTarget& applicationTarget() {
  static EventTarget target;
  return target;
}

namespace {

OSStatus runChain(OpaqueEventHandlerCallRef& call, EventRef event) {
  while (call.next < call.chain.size()) {
    auto handler = call.chain[call.next++];
    if (handler->target == nullptr) continue;  // removed meanwhile
    const OSStatus status = handler->proc(&call, event, handler->userData);
    if (status != eventNotHandledErr) return status;
  }
  return eventNotHandledErr;
}

}  // namespace

OSStatus dispatch(EventRef event, EventTarget* target) {
  if (event == nullptr) return paramErr;
  OpaqueEventHandlerCallRef call;
  for (EventTarget* t = target; t != nullptr; t = t->parent)
    for (auto it = t->handlers.rbegin(); it != t->handlers.rend(); ++it)
      if ((*it)->wants(event->eventClass, event->kind)) call.chain.push_back(*it);
  return runChain(call, event);
}

EventPtr makeEvent(UInt32 eventClass, UInt32 kind) {
  EventRef event = nullptr;
  CreateEvent(nullptr, eventClass, kind, 0, 0, &event);
  return EventPtr(event);
}

UInt32 modifiersFrom(Qt::KeyboardModifiers modifiers) {
  UInt32 mask = 0;
  if (modifiers & Qt::ShiftModifier) mask |= shiftKey;
  if (modifiers & Qt::AltModifier) mask |= optionKey;
  if (modifiers & Qt::ControlModifier) mask |= cmdKey;
  if (modifiers & Qt::MetaModifier) mask |= controlKey;
  return mask;
}

}  // namespace toolkit

using toolkit::EventTarget;
using toolkit::HandlerRecord;

OSStatus InstallEventHandler(EventTargetRef target, EventHandlerUPP handler, UInt32 numTypes,
                             const EventTypeSpec* list, void* userData, EventHandlerRef* outRef) {
  if (outRef != nullptr) *outRef = nullptr;
  if (target == nullptr || handler == nullptr || (numTypes > 0 && list == nullptr)) return paramErr;
  auto* t = reinterpret_cast<EventTarget*>(target);
  auto record = std::make_shared<HandlerRecord>();
  record->proc = handler;
  record->types.assign(list, list + numTypes);
  record->userData = userData;
  record->target = t;
  t->handlers.push_back(record);
  if (outRef != nullptr) *outRef = reinterpret_cast<EventHandlerRef>(record.get());
  return noErr;
}

OSStatus RemoveEventHandler(EventHandlerRef handler) {
  auto* record = reinterpret_cast<HandlerRecord*>(handler);
  if (record == nullptr || record->target == nullptr) return paramErr;
  auto& list = record->target->handlers;
  record->target = nullptr;
  list.erase(std::remove_if(list.begin(), list.end(), [&](auto& h) { return h.get() == record; }), list.end());
  return noErr;
}

OSStatus CallNextEventHandler(EventHandlerCallRef callRef, EventRef event) {
  if (callRef == nullptr) return paramErr;
  return toolkit::runChain(*callRef, event);
}

EventTargetRef GetWindowEventTarget(WindowRef window) {
  return window == nullptr ? nullptr : reinterpret_cast<EventTargetRef>(&window->target);
}

EventTargetRef GetControlEventTarget(ControlRef control) {
  return control == nullptr ? nullptr : reinterpret_cast<EventTargetRef>(&control->target);
}

EventTargetRef GetMenuEventTarget(MenuRef menu) {
  return menu == nullptr ? nullptr : reinterpret_cast<EventTargetRef>(&menu->target);
}

EventTargetRef GetApplicationEventTarget() { return reinterpret_cast<EventTargetRef>(&toolkit::applicationTarget()); }

OSStatus CreateEvent(void*, UInt32 eventClass, UInt32 kind, double, UInt32, EventRef* outEvent) {
  if (outEvent == nullptr) return paramErr;
  *outEvent = new (std::nothrow) OpaqueEventRef;
  if (*outEvent == nullptr) return memFullErr;
  (*outEvent)->eventClass = eventClass;
  (*outEvent)->kind = kind;
  return noErr;
}

void ReleaseEvent(EventRef event) { delete event; }
UInt32 GetEventClass(EventRef event) { return event == nullptr ? 0 : event->eventClass; }
UInt32 GetEventKind(EventRef event) { return event == nullptr ? 0 : event->kind; }

OSStatus SendEventToEventTarget(EventRef event, EventTargetRef target) {
  if (event == nullptr || target == nullptr) return paramErr;
  return toolkit::dispatch(event, reinterpret_cast<EventTarget*>(target));
}

OSStatus GetEventParameter(EventRef event, EventParamName name, EventParamType desiredType,
                           EventParamType* outActualType, ByteCount bufferSize, ByteCount* outActualSize,
                           void* outData) {
  if (event == nullptr) return paramErr;
  auto it = event->parameters.find(name);
  if (it == event->parameters.end()) return eventParameterNotFoundErr;
  const auto& p = it->second;
  if (desiredType != typeWildCard && desiredType != p.type) return errEventTypeMismatch;
  if (outActualType != nullptr) *outActualType = p.type;
  if (outActualSize != nullptr) *outActualSize = p.bytes.size();
  if (outData != nullptr) std::memcpy(outData, p.bytes.data(), std::min<size_t>(bufferSize, p.bytes.size()));
  return noErr;
}

OSStatus SetEventParameter(EventRef event, EventParamName name, EventParamType type, ByteCount size,
                           const void* data) {
  if (event == nullptr || (size > 0 && data == nullptr)) return paramErr;
  auto& p = event->parameters[name];
  p.type = type;
  const auto* bytes = static_cast<const uint8_t*>(data);
  p.bytes.assign(bytes, bytes + size);
  return noErr;
}

OSStatus ProcessHICommand(const HICommand* command) {
  if (command == nullptr) return paramErr;
  auto event = toolkit::makeEvent(kEventClassCommand, kEventCommandProcess);
  SetEventParameter(event.get(), kEventParamDirectObject, typeHICommand, sizeof(HICommand), command);
  // The innermost modal window first, else the newest visible window.
  EventTarget* target = &toolkit::applicationTarget();
  const auto& all = toolkit::windows();
  for (auto it = all.rbegin(); it != all.rend(); ++it)
    if ((*it)->modalLoop != nullptr) {
      target = &(*it)->target;
      break;
    }
  if (target == &toolkit::applicationTarget())
    for (auto it = all.rbegin(); it != all.rend(); ++it)
      if ((*it)->widget != nullptr && (*it)->widget->isVisible()) {
        target = &(*it)->target;
        break;
      }
  return toolkit::dispatch(event.get(), target);
}

UInt32 GetCurrentKeyModifiers() {
  if (QGuiApplication::instance() == nullptr) return 0;
  return toolkit::modifiersFrom(QGuiApplication::keyboardModifiers());
}
