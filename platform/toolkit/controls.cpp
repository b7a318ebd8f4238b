// Standard controls: finding them by (signature, number), and their values,
// texts and states mapped onto Qt widgets one rule per kind.
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <cstring>

#include "platform/toolkit/qt_access.h"
#include "platform/toolkit/toolkit_internal.h"

namespace toolkit {
namespace {

// A four-character code from a property text: exactly four Latin-1 bytes.
bool fourCharCode(const QVariant& property, OSType* out) {
  if (!property.isValid()) return false;
  const QByteArray bytes = property.toString().toLatin1();
  if (bytes.size() != 4) return false;
  *out = VM_FOURCC(bytes[0], bytes[1], bytes[2], bytes[3]);
  return true;
}

}  // namespace

bool isCheckable(QWidget* w) {
  auto* button = qobject_cast<QAbstractButton*>(w);
  return button != nullptr && button->isCheckable();
}

bool bindControls(WindowRef window, const QString& where) {
  const auto widgets = window->widget->findChildren<QWidget*>();
  for (QWidget* w : widgets) {
    const bool custom = w->property("vmCustomControl").toBool();
    auto control = std::make_unique<OpaqueControlRef>();
    control->owner = window;
    control->widget = w;
    control->target.parent = &window->target;
    const bool hasID = fourCharCode(w->property("signature"), &control->id.signature);
    control->id.id = w->property("controlID").toInt();
    const bool hasCommand = fourCharCode(w->property("command"), &control->command);
    if (!hasID && !hasCommand && !custom) continue;
    if (custom) {
      const std::string identifier = w->property("controlClass").toString().toStdString();
      OpaqueToolboxObjectClassRef* cls = findClass(identifier);
      if (cls == nullptr) {
        std::fprintf(stderr, "Window \"%s\" uses the custom control class \"%s\", which is not registered\n",
                     qPrintable(where), identifier.c_str());
        return false;
      }
      control->customClass = cls;
      ++cls->instances;
      control->value = w->property("value").toInt();
      control->minimum = w->property("minimum").toInt();
      control->maximum = w->property("maximum").toInt();
    }
    window->controls.push_back(std::move(control));
  }
  // Handlers and connections only once every control exists.
  for (auto& control : window->controls) {
    if (control->customClass != nullptr) {
      attachCustomControl(control->widget, control.get());
    } else {
      connectStandardControl(control.get());
    }
  }
  return true;
}

void connectStandardControl(ControlRef control) {
  QWidget* w = control->widget;
  if (auto* slider = qobject_cast<QAbstractSlider*>(w)) {
    // The value changes right after the action; SetControl32BitValue clears
    // the mark, so only changes the user makes run the action.
    QObject::connect(slider, &QAbstractSlider::actionTriggered, slider,
                     [control](int) { control->userAction = true; });
    QObject::connect(slider, &QAbstractSlider::valueChanged, slider, [control, slider](int) {
      if (!control->userAction && !slider->isSliderDown()) return;
      if (control->action != nullptr) control->action(control, kControlIndicatorPart);
      if (!slider->isSliderDown()) {
        control->userAction = false;
        sendCommand(control);
      }
    });
    QObject::connect(slider, &QAbstractSlider::sliderReleased, slider, [control] {
      control->userAction = false;
      sendCommand(control);
    });
  } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
    QObject::connect(combo, &QComboBox::activated, combo, [control](int) { sendCommand(control); });
  } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    QObject::connect(button, &QAbstractButton::clicked, button, [control](bool) { sendCommand(control); });
  } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    QObject::connect(edit, &QLineEdit::returnPressed, edit, [control] { sendCommand(control); });
  }
}

void sendCommand(ControlRef control) {
  if (control == nullptr || control->command == 0) return;
  HICommand command{kHICommandFromControl, control->command, {nullptr, 0}};
  auto event = makeEvent(kEventClassCommand, kEventCommandProcess);
  SetEventParameter(event.get(), kEventParamDirectObject, typeHICommand, sizeof command, &command);
  dispatch(event.get(), &control->target);
}

}  // namespace toolkit

using toolkit::isCheckable;

OSStatus GetControlByID(WindowRef window, const ControlID* id, ControlRef* outControl) {
  if (outControl != nullptr) *outControl = nullptr;
  if (window == nullptr || id == nullptr || outControl == nullptr) return paramErr;
  for (auto& control : window->controls)
    if (control->id.signature == id->signature && control->id.id == id->id) {
      *outControl = control.get();
      return noErr;
    }
  return errUnknownControl;
}

WindowRef GetControlOwner(ControlRef control) { return control == nullptr ? nullptr : control->owner; }

OSStatus GetControlCommandID(ControlRef control, UInt32* outCommandID) {
  if (control == nullptr || outCommandID == nullptr) return paramErr;
  *outCommandID = control->command;
  return noErr;
}

SInt32 GetControl32BitValue(ControlRef control) {
  if (control == nullptr || control->widget == nullptr) return 0;
  QWidget* w = control->widget;
  if (control->customClass != nullptr) return control->value;
  if (auto* s = qobject_cast<QAbstractSlider*>(w)) return s->value();
  if (auto* s = qobject_cast<QSpinBox*>(w)) return s->value();
  if (auto* p = qobject_cast<QProgressBar*>(w)) return p->value();
  if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentIndex() + 1;
  if (isCheckable(w)) return qobject_cast<QAbstractButton*>(w)->isChecked() ? 1 : 0;
  return control->value;
}

void SetControl32BitValue(ControlRef control, SInt32 value) {
  if (control == nullptr || control->widget == nullptr) return;
  QWidget* w = control->widget;
  control->userAction = false;
  if (control->customClass != nullptr) {
    value = std::clamp(value, control->minimum, std::max(control->minimum, control->maximum));
    if (value == control->value) return;
    control->value = value;
    Draw1Control(control);
  } else if (auto* s = qobject_cast<QAbstractSlider*>(w)) {
    s->setValue(value);
  } else if (auto* s = qobject_cast<QSpinBox*>(w)) {
    s->setValue(value);
  } else if (auto* p = qobject_cast<QProgressBar*>(w)) {
    p->setValue(value);
  } else if (auto* c = qobject_cast<QComboBox*>(w)) {
    c->setCurrentIndex(std::clamp(value, 1, std::max(1, c->count())) - 1);
  } else if (isCheckable(w)) {
    qobject_cast<QAbstractButton*>(w)->setChecked(value != 0);
  } else {
    control->value = value;
  }
}

SInt32 GetControl32BitMinimum(ControlRef control) {
  if (control == nullptr || control->widget == nullptr) return 0;
  QWidget* w = control->widget;
  if (control->customClass != nullptr) return control->minimum;
  if (auto* s = qobject_cast<QAbstractSlider*>(w)) return s->minimum();
  if (auto* s = qobject_cast<QSpinBox*>(w)) return s->minimum();
  if (auto* p = qobject_cast<QProgressBar*>(w)) return p->minimum();
  if (qobject_cast<QComboBox*>(w) != nullptr) return 1;
  return 0;
}

SInt32 GetControl32BitMaximum(ControlRef control) {
  if (control == nullptr || control->widget == nullptr) return 0;
  QWidget* w = control->widget;
  if (control->customClass != nullptr) return control->maximum;
  if (auto* s = qobject_cast<QAbstractSlider*>(w)) return s->maximum();
  if (auto* s = qobject_cast<QSpinBox*>(w)) return s->maximum();
  if (auto* p = qobject_cast<QProgressBar*>(w)) return p->maximum();
  if (auto* c = qobject_cast<QComboBox*>(w)) return c->count();
  if (isCheckable(w)) return 1;
  return control->maximum;
}

void SetControl32BitMinimum(ControlRef control, SInt32 minimum) {
  if (control == nullptr || control->widget == nullptr) return;
  QWidget* w = control->widget;
  if (auto* s = qobject_cast<QAbstractSlider*>(w)) return s->setMinimum(minimum);
  if (auto* s = qobject_cast<QSpinBox*>(w)) return s->setMinimum(minimum);
  if (auto* p = qobject_cast<QProgressBar*>(w)) return p->setMinimum(minimum);
  control->minimum = minimum;
  if (control->customClass != nullptr && control->value < minimum) SetControl32BitValue(control, minimum);
}

void SetControl32BitMaximum(ControlRef control, SInt32 maximum) {
  if (control == nullptr || control->widget == nullptr) return;
  QWidget* w = control->widget;
  if (auto* s = qobject_cast<QAbstractSlider*>(w)) return s->setMaximum(maximum);
  if (auto* s = qobject_cast<QSpinBox*>(w)) return s->setMaximum(maximum);
  if (auto* p = qobject_cast<QProgressBar*>(w)) return p->setMaximum(maximum);
  control->maximum = maximum;
  if (control->customClass != nullptr && control->value > maximum) SetControl32BitValue(control, maximum);
}

Rect* GetControlBounds(ControlRef control, Rect* outBounds) {
  if (outBounds == nullptr) return nullptr;
  *outBounds = Rect{0, 0, 0, 0};
  if (control == nullptr || control->widget == nullptr || control->owner->widget == nullptr) return outBounds;
  const QPoint origin = control->widget->mapTo(control->owner->widget, QPoint(0, 0));
  *outBounds = Rect{static_cast<int16_t>(origin.y()), static_cast<int16_t>(origin.x()),
                    static_cast<int16_t>(origin.y() + control->widget->height()),
                    static_cast<int16_t>(origin.x() + control->widget->width())};
  return outBounds;
}

OSStatus ShowControl(ControlRef control) {
  if (control == nullptr || control->widget == nullptr) return paramErr;
  control->widget->show();
  if (control->customClass != nullptr) Draw1Control(control);
  return noErr;
}

OSStatus HideControl(ControlRef control) {
  if (control == nullptr || control->widget == nullptr) return paramErr;
  control->widget->hide();
  return noErr;
}

Boolean IsControlVisible(ControlRef control) {
  return control != nullptr && control->widget != nullptr && !control->widget->isHidden();
}

OSStatus EnableControl(ControlRef control) {
  if (control == nullptr || control->widget == nullptr) return paramErr;
  control->widget->setEnabled(true);
  if (control->customClass != nullptr) Draw1Control(control);
  return noErr;
}

OSStatus DisableControl(ControlRef control) {
  if (control == nullptr || control->widget == nullptr) return paramErr;
  control->widget->setEnabled(false);
  if (control->customClass != nullptr) Draw1Control(control);
  return noErr;
}

Boolean IsControlEnabled(ControlRef control) {
  return control != nullptr && control->widget != nullptr && control->widget->isEnabled();
}

ControlPartCode GetControlHilite(ControlRef control) {
  if (control == nullptr || control->widget == nullptr) return 0;
  if (!control->widget->isEnabled()) return kControlDisabledPart;
  if (auto* b = qobject_cast<QAbstractButton*>(control->widget.data()); b != nullptr && b->isDown()) return 1;
  return control->hilite;
}

void HiliteControl(ControlRef control, ControlPartCode part) {
  if (control == nullptr || control->hilite == part) return;
  control->hilite = part;
  if (control->customClass != nullptr) Draw1Control(control);
}

void SetControlAction(ControlRef control, ControlActionUPP action) {
  if (control != nullptr) control->action = action;
}

OSStatus SetControlData(ControlRef control, ControlPartCode, UInt32 tag, Size size, const void* data) {
  if (control == nullptr || control->widget == nullptr || (size > 0 && data == nullptr) || size < 0)
    return paramErr;
  QWidget* w = control->widget;
  if (tag == kControlEditTextTextTag) {
    const QString text = toolkit::fromMacRoman(data, static_cast<size_t>(size));
    if (auto* label = qobject_cast<QLabel*>(w)) {
      label->setTextFormat(Qt::PlainText);  // static text is never markup
      label->setText(text);
      return noErr;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->setText(text), noErr;
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->setText(text), noErr;
    return errDataNotSupported;
  }
  if (tag == kControlEditTextSelectionTag) {
    auto* edit = qobject_cast<QLineEdit*>(w);
    if (edit == nullptr) return errDataNotSupported;
    if (size < static_cast<Size>(sizeof(ControlEditTextSelectionRec))) return paramErr;
    ControlEditTextSelectionRec selection;
    std::memcpy(&selection, data, sizeof selection);
    const int length = static_cast<int>(edit->text().size());
    const int start = std::clamp<int>(selection.selStart, 0, length);
    const int end = std::clamp<int>(selection.selEnd, start, length);
    edit->setSelection(start, end - start);
    return noErr;
  }
  return errDataNotSupported;
}

OSStatus GetControlData(ControlRef control, ControlPartCode, UInt32 tag, Size bufferSize, void* buffer,
                        Size* outActualSize) {
  if (control == nullptr || control->widget == nullptr || bufferSize < 0) return paramErr;
  QWidget* w = control->widget;
  if (tag != kControlEditTextTextTag) return errDataNotSupported;
  QString text;
  if (auto* label = qobject_cast<QLabel*>(w))
    text = label->text();
  else if (auto* edit = qobject_cast<QLineEdit*>(w))
    text = edit->text();
  else if (auto* button = qobject_cast<QAbstractButton*>(w))
    text = button->text();
  else
    return errDataNotSupported;
  const std::string bytes = toolkit::toMacRoman(text);
  if (outActualSize != nullptr) *outActualSize = static_cast<Size>(bytes.size());
  if (buffer != nullptr) std::memcpy(buffer, bytes.data(), std::min<size_t>(bytes.size(), size_t(bufferSize)));
  return noErr;
}

OSStatus SetKeyboardFocus(WindowRef window, ControlRef control, ControlPartCode part) {
  if (window == nullptr || control == nullptr || control->widget == nullptr) return paramErr;
  if (part == kControlFocusNoPart)
    control->widget->clearFocus();
  else
    control->widget->setFocus(part == kControlFocusPrevPart ? Qt::BacktabFocusReason : Qt::TabFocusReason);
  return noErr;
}

MenuRef GetControlPopupMenuHandle(ControlRef control) {
  if (control == nullptr || qobject_cast<QComboBox*>(control->widget.data()) == nullptr) return nullptr;
  if (!control->menu) {
    control->menu = std::make_unique<OpaqueMenuRef>();
    control->menu->owner = control;
    control->menu->target.parent = &control->target;
  }
  return control->menu.get();
}

UInt16 CountMenuItems(MenuRef menu) {
  if (menu == nullptr || menu->owner->widget == nullptr) return 0;
  return static_cast<UInt16>(qobject_cast<QComboBox*>(menu->owner->widget.data())->count());
}

void GetMenuItemText(MenuRef menu, MenuItemIndex item, Str255 outText) {
  if (outText == nullptr) return;
  outText[0] = 0;
  if (menu == nullptr || item < 1 || item > CountMenuItems(menu)) return;
  auto* combo = qobject_cast<QComboBox*>(menu->owner->widget.data());
  const std::string bytes = toolkit::toMacRoman(combo->itemText(item - 1));
  const size_t length = std::min<size_t>(bytes.size(), 255);
  outText[0] = static_cast<unsigned char>(length);
  std::memcpy(outText + 1, bytes.data(), length);
}

QWidget* ToolkitControlWidget(ControlRef control) { return control == nullptr ? nullptr : control->widget.data(); }
