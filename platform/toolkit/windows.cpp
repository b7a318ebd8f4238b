// Nib windows: loading .ui files, showing, placing and disposing of windows,
// their ports and the application-modal loop.
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QUiLoader>

#include <algorithm>
#include <cstdio>
#include <new>

#include "platform/bundles/cfbundle.h"
#include "platform/quickdraw/port_observer.h"
#include "platform/toolkit/qt_access.h"
#include "platform/toolkit/toolkit_internal.h"

struct OpaqueIBNibRef {
  QString directory;  // the NAME.nib folder
  QString name;
};

namespace toolkit {

// The top-level widget of every window. Closing it or pressing Escape asks
// the window to cancel instead of hiding it behind a running modal loop.
class WindowWidget : public QDialog {
 public:
  explicit WindowWidget(QWidget* parent) : QDialog(parent) {}
  WindowRef window = nullptr;

 protected:
  void reject() override {
    if (window != nullptr) sendWindowCommand(window, kHICommandCancel);
  }
  void accept() override {}
  void changeEvent(QEvent* event) override {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && window != nullptr)
      sendToCustomControls(window, isActiveWindow() ? kEventControlActivate : kEventControlDeactivate);
  }
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    reject();
  }
};

namespace {

class NibLoader : public QUiLoader {
 public:
  QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
    QWidget* widget = nullptr;
    if (parent == nullptr && top_ == nullptr)
      widget = top_ = new WindowWidget(nullptr);
    else if (className == QLatin1String("CustomControl"))
      widget = newCustomControlWidget(parent);
    else
      return QUiLoader::createWidget(className, parent, name);
    widget->setObjectName(name);
    return widget;
  }
  WindowWidget* top() const { return top_; }

 private:
  WindowWidget* top_ = nullptr;
};

QString toQString(CFStringRef text) { return QString::fromStdString(CFStringToUTF8(text)); }

OSStatus makeNibRef(const QString& directory, const QString& name, IBNibRef* outNibRef) {
  if (!QFileInfo(directory).isDir()) return kIBCarbonRuntimeCantFindNibFile;
  auto* ref = new (std::nothrow) OpaqueIBNibRef{directory, name};
  if (ref == nullptr) return memFullErr;
  *outNibRef = ref;
  return noErr;
}

const RGBColor kWindowBackground{0xECEC, 0xECEC, 0xECEC};

}  // namespace

std::vector<WindowRef>& windows() {
  static std::vector<WindowRef> all;
  return all;
}

bool ensureApplication() {
  if (QCoreApplication::instance() != nullptr) return qobject_cast<QApplication*>(QCoreApplication::instance());
  // Qt ends the process when it cannot reach a display; a window that
  // cannot be made is an error code instead.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    return false;
  // The application lives for the rest of the process, like the host's own.
  static int argc = 1;
  static char name[] = "velmorance";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
  return true;
}

void portChanged(GrafPtr port) {
  if (port != nullptr && port->window != nullptr) refreshCustomControls(static_cast<WindowRef>(port->window));
}

// Core Graphics drawing into a window's port shows through this.
[[maybe_unused]] const bool gObservingPorts = (QDSetPortChangedObserver(&portChanged), true);

void sendWindowCommand(WindowRef window, UInt32 commandID) {
  HICommand command{kHICommandFromWindow, commandID, {nullptr, 0}};
  auto event = makeEvent(kEventClassCommand, kEventCommandProcess);
  SetEventParameter(event.get(), kEventParamDirectObject, typeHICommand, sizeof command, &command);
  dispatch(event.get(), &window->target);
}

}  // namespace toolkit

// The widgets may be in the middle of delivering the very event whose
// handler disposes of the window, so they are cut loose at once and deleted
// when control returns to the event loop.
OpaqueWindowPtr::~OpaqueWindowPtr() {
  for (auto& control : controls) {
    if (control->widget != nullptr) QObject::disconnect(control->widget, nullptr, nullptr, nullptr);
    if (control->customClass != nullptr) {
      --control->customClass->instances;
      toolkit::detachCustomControl(control->widget, control.get());
    }
  }
  controls.clear();
  if (widget != nullptr) {
    static_cast<toolkit::WindowWidget*>(widget.data())->window = nullptr;
    widget->hide();
    widget->deleteLater();
  }
  if (port != nullptr) DisposeGWorld(port);
}

OSStatus CreateNibReferenceWithCFBundle(CFBundleRef bundle, CFStringRef nibName, IBNibRef* outNibRef) {
  if (outNibRef == nullptr) return paramErr;
  *outNibRef = nullptr;
  if (bundle == nullptr || nibName == nullptr) return paramErr;
  CFURLRef url = CFBundleCopyResourceURL(bundle, nibName, CFSTR("nib"), nullptr);
  if (url == nullptr) return kIBCarbonRuntimeCantFindNibFile;
  const QString directory = QString::fromStdString(platformPathOfURL(url));
  CFRelease(url);
  return toolkit::makeNibRef(directory, toolkit::toQString(nibName), outNibRef);
}

OSStatus CreateNibReference(CFStringRef nibName, IBNibRef* outNibRef) {
  if (outNibRef == nullptr) return paramErr;
  *outNibRef = nullptr;
  if (nibName == nullptr) return paramErr;
  const QString name = toolkit::toQString(nibName);
  const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
  return toolkit::makeNibRef(QFileInfo(exe).absolutePath() + QLatin1Char('/') + name + QStringLiteral(".nib"), name,
                             outNibRef);
}

void DisposeNibReference(IBNibRef nibRef) { delete nibRef; }

OSStatus CreateWindowFromNib(IBNibRef nibRef, CFStringRef windowName, WindowRef* outWindow) {
  if (outWindow == nullptr) return paramErr;
  *outWindow = nullptr;
  if (nibRef == nullptr || windowName == nullptr) return paramErr;
  const QString path = nibRef->directory + QLatin1Char('/') + toolkit::toQString(windowName) + QStringLiteral(".ui");
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return kIBCarbonRuntimeCantFindObject;
  if (!toolkit::ensureApplication()) return kToolkitNoApplicationErr;

  toolkit::NibLoader loader;
  QWidget* loaded = loader.load(&file, nullptr);
  toolkit::WindowWidget* top = loader.top();
  if (loaded == nullptr || loaded != top) {
    delete loaded;
    std::fprintf(stderr, "Window file \"%s\" could not be read: %s\n", qPrintable(path),
                 qPrintable(loader.errorString()));
    return kIBCarbonRuntimeObjectNotOfRequestedType;
  }

  auto window = std::make_unique<OpaqueWindowPtr>();
  window->widget = top;
  window->target.parent = &toolkit::applicationTarget();
  top->window = window.get();
  top->ensurePolished();
  // The port is made once, at the size the nib gives; the window keeps it.
  top->setFixedSize(top->size());
  const Rect bounds{0, 0, static_cast<int16_t>(top->height()), static_cast<int16_t>(top->width())};
  if (NewGWorld(&window->port, 32, &bounds) != noErr) return memFullErr;
  window->port->window = window.get();
  {
    CGrafPtr savedPort;
    GDHandle savedDevice;
    GetGWorld(&savedPort, &savedDevice);
    SetGWorld(window->port, nullptr);
    RGBBackColor(&toolkit::kWindowBackground);
    EraseRect(&bounds);
    SetGWorld(savedPort, savedDevice);
  }
  if (!toolkit::bindControls(window.get(), nibRef->name + QLatin1Char('/') + toolkit::toQString(windowName)))
    return kToolkitUnregisteredClassErr;
  toolkit::windows().push_back(window.get());
  *outWindow = window.release();
  return noErr;
}

void ShowWindow(WindowRef window) {
  if (window == nullptr || window->widget == nullptr) return;
  // Custom controls learn their window when it first shows, after the
  // caller has set the window up, and draw then.
  if (!window->shownOnce) {
    window->shownOnce = true;
    toolkit::sendToCustomControls(window, kEventControlOwningWindowChanged);
  }
  window->widget->show();
  for (auto& control : window->controls)
    if (control->customClass != nullptr) Draw1Control(control.get());
}

void HideWindow(WindowRef window) {
  if (window != nullptr && window->widget != nullptr) window->widget->hide();
}

Boolean IsWindowVisible(WindowRef window) {
  return window != nullptr && window->widget != nullptr && window->widget->isVisible();
}

void BringToFront(WindowRef window) {
  if (window == nullptr || window->widget == nullptr) return;
  window->widget->raise();
  window->widget->activateWindow();
}

void DisposeWindow(WindowRef window) {
  if (window == nullptr) return;
  auto& all = toolkit::windows();
  all.erase(std::remove(all.begin(), all.end(), window), all.end());
  if (window->modalLoop != nullptr) window->modalLoop->quit();
  delete window;
}

CGrafPtr GetWindowPort(WindowRef window) { return window == nullptr ? nullptr : window->port; }

void SetPortWindowPort(WindowRef window) {
  if (window != nullptr) SetPort(window->port);
}

WindowRef GetWindowFromPort(CGrafPtr port) {
  return port == nullptr ? nullptr : static_cast<WindowRef>(port->window);
}

OSStatus GetWindowBounds(WindowRef window, WindowRegionCode region, Rect* outBounds) {
  if (window == nullptr || window->widget == nullptr || outBounds == nullptr) return paramErr;
  const QRect r = region == kWindowStructureRgn ? window->widget->frameGeometry() : window->widget->geometry();
  *outBounds = Rect{static_cast<int16_t>(r.top()), static_cast<int16_t>(r.left()),
                    static_cast<int16_t>(r.top() + r.height()), static_cast<int16_t>(r.left() + r.width())};
  return noErr;
}

OSStatus SetWindowBounds(WindowRef window, WindowRegionCode region, const Rect* bounds) {
  if (window == nullptr || window->widget == nullptr || bounds == nullptr) return paramErr;
  // Only the position moves: the port keeps the size the nib gave it.
  const QRect frame = window->widget->frameGeometry(), content = window->widget->geometry();
  QPoint topLeft(bounds->left, bounds->top);
  if (region == kWindowStructureRgn) topLeft += content.topLeft() - frame.topLeft();
  window->widget->move(topLeft - (content.topLeft() - window->widget->pos()));
  return noErr;
}

OSStatus RunAppModalLoopForWindow(WindowRef window) {
  if (window == nullptr || window->widget == nullptr) return paramErr;
  if (window->modalLoop != nullptr) return paramErr;
  // Modality only takes effect when the window is shown again.
  if (window->widget->windowModality() != Qt::ApplicationModal) {
    const bool visible = window->widget->isVisible();
    window->widget->hide();
    window->widget->setWindowModality(Qt::ApplicationModal);
    if (visible) window->widget->show();
  }
  if (!window->widget->isVisible()) ShowWindow(window);
  if (window->quitRequested) {
    window->quitRequested = false;
    return noErr;
  }
  QEventLoop loop;
  window->modalLoop = &loop;
  loop.exec(QEventLoop::DialogExec);
  // The window may have been disposed of by a handler inside the loop.
  const auto& all = toolkit::windows();
  if (std::find(all.begin(), all.end(), window) != all.end()) {
    window->modalLoop = nullptr;
    window->quitRequested = false;
    // Qt takes a window off its list of modal windows only when it hides
    // while modal: changing the modality of a shown window would leave every
    // other window blocked for good. So the window hides first, then becomes
    // non-modal, and shows again as it was.
    if (QWidget* widget = window->widget.data(); widget != nullptr) {
      const bool visible = widget->isVisible();
      widget->hide();
      widget->setWindowModality(Qt::NonModal);
      if (visible) widget->show();
    }
  }
  return noErr;
}

OSStatus QuitAppModalLoopForWindow(WindowRef window) {
  if (window == nullptr) return paramErr;
  if (window->modalLoop != nullptr)
    window->modalLoop->quit();
  else
    window->quitRequested = true;
  return noErr;
}

OSStatus QDFlushPortBuffer(CGrafPtr port, RgnHandle) {
  toolkit::portChanged(port);
  return noErr;
}

QWidget* ToolkitWindowWidget(WindowRef window) { return window == nullptr ? nullptr : window->widget.data(); }
