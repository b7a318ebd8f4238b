// Build-time tool: opens the configuration dialog of a built bundle offscreen
// on a made-up frame, saves a picture of it as PNG and as EPS (for the
// manual) and cancels, so no configuration is stored.
//
//   velmorance_dialog_shot BUNDLE_DIR OUT.png OUT.eps [MEDIA_TYPE]
//
// MEDIA_TYPE 1 (NTSC, the default), 2 (PAL) or 3 (HD) picks the window.
#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/bundles/cfbundle.h"
#include "platform/bundles/cfurl.h"
#include "platform/corefoundation/cfbase.h"
#include "platform/toolkit/qt_access.h"
#include "plugin/core/data_handling.h"
#include "plugin/core/bridges/pascal_fx.h"
#include "plugin/dialog/config_dialog.h"
#include "velmorance/host_interface.h"
#include "plugin/render/offscreen_buffers.h"

namespace {

// A frame with sky, hills and a sun, so the print has something to show.
GrafPtr MakeScene(int16_t width, int16_t height, int32_t frameIndex) {
  QImage scene(width, height, QImage::Format_RGB32);
  QPainter painter(&scene);
  QLinearGradient sky(0, 0, 0, height);
  sky.setColorAt(0, QColor(70, 130, 200));
  sky.setColorAt(1, QColor(230, 200, 150));
  painter.fillRect(scene.rect(), sky);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(250, 220, 90));
  painter.drawEllipse(QPointF(width * 0.7 + frameIndex, height * 0.3), height * 0.12, height * 0.12);
  painter.setBrush(QColor(60, 110, 50));
  painter.drawEllipse(QPointF(width * 0.25, height * 1.05), width * 0.45, height * 0.45);
  painter.setBrush(QColor(40, 80, 45));
  painter.drawEllipse(QPointF(width * 0.85, height * 1.1), width * 0.4, height * 0.4);
  painter.end();
  GrafPtr gw = AllocateGWorld(width, height);
  const PixMap& pm = gw->portPixMap;
  for (int y = 0; y < height; ++y) {
    const auto* src = reinterpret_cast<const QRgb*>(scene.constScanLine(y));
    auto* dst = reinterpret_cast<uint8_t*>(pm.baseAddr) + y * pm.rowBytes;
    for (int x = 0; x < width; ++x) {
      dst[4 * x] = 0xFF;
      dst[4 * x + 1] = static_cast<uint8_t>(qRed(src[x]));
      dst[4 * x + 2] = static_cast<uint8_t>(qGreen(src[x]));
      dst[4 * x + 3] = static_cast<uint8_t>(qBlue(src[x]));
    }
  }
  return gw;
}

GrafPtr gHeld = nullptr;

HYPluginResult GetFrame(void*, int32_t frameIndex, GWorldPtr* frame, int16_t width, int16_t height, HYRefDVQuality,
                        int16_t* volume, void** cookie) {
  DisposeGWorld(gHeld);
  gHeld = MakeScene(width, height, frameIndex);
  *frame = gHeld;
  *cookie = gHeld;
  *volume = 256;
  return kPluginOK;
}

HYPluginResult ReleaseFrame(void*, void* cookie) {
  if (cookie == gHeld) {
    DisposeGWorld(gHeld);
    gHeld = nullptr;
  }
  return kPluginOK;
}

// Encapsulated PostScript with the picture as one RGB image, one point per
// pixel.
bool WriteEPS(const QImage& image, const char* path) {
  std::ofstream out(path, std::ios::binary);
  if (!out) return false;
  const int w = image.width(), h = image.height();
  out << "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 " << w << ' ' << h << "\n%%EndComments\n"
      << "gsave\n/line " << w * 3 << " string def\n"
      << w << ' ' << h << " scale\n"
      << w << ' ' << h << " 8 [" << w << " 0 0 -" << h << " 0 " << h << "]\n"
      << "{currentfile line readhexstring pop} false 3 colorimage\n";
  static const char hex[] = "0123456789abcdef";
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    std::string text;
    text.reserve(static_cast<size_t>(w) * 6 + 1);
    for (int x = 0; x < w; ++x)
      for (int channel : {qRed(row[x]), qGreen(row[x]), qBlue(row[x])}) {
        text.push_back(hex[channel >> 4]);
        text.push_back(hex[channel & 15]);
      }
    out << text << '\n';
  }
  out << "grestore\n%%EOF\n";
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: %s BUNDLE_DIR OUT.png OUT.eps [MEDIA_TYPE]\n", argv[0]);
    return 2;
  }
  QApplication app(argc, argv);
  const std::string bundlePath = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath().toStdString();
  CFURLRef url = platformCreateURLForPath(bundlePath, true);
  CFBundleRef bundle = CFBundleCreate(nullptr, url);
  CFRelease(url);
  if (bundle == nullptr) {
    std::fprintf(stderr, "%s is not a bundle\n", argv[1]);
    return 1;
  }

  HYProcs procs{};
  procs.GetFrame = GetFrame;
  procs.ReleaseFrame = ReleaseFrame;
  _PluginParams params{};
  params.interfaceVersion = kHYCurrentInterfaceVersion;
  params.procs = &procs;
  params.selector = kPlugCustomButtonClick;

  pluginDataPtr config = nullptr;
  pNewConfig(config);
  ResetConfig(config, true);
  config->startRel = relRect{0.12, 0.78, 0.18, 0.86};
  config->sliders[1] = 35;
  config->mediaType = static_cast<int16_t>(argc == 5 ? std::atoi(argv[4]) : 1);
  const int16_t heights[] = {480, 480, 576, 540};
  const int16_t type = config->mediaType >= 1 && config->mediaType <= 3 ? config->mediaType : 1;
  GrafPtr frame = MakeScene(type == 3 ? 960 : 720, heights[type], 0);

  QImage shot;
  QTimer::singleShot(0, [&shot] {
    QWidget* window = ToolkitWindowWidget(lgTheWindow);
    if (window == nullptr) return;
    shot = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (auto* cancel = window->findChild<QPushButton*>("cancelButton")) cancel->click();
  });
  ConfigurePlugIn(config, frame, &params, 0, 150);
  DisposeGWorld(frame);
  pDestroyConfig(config);

  if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[2])) || !WriteEPS(shot, argv[3])) {
    std::fprintf(stderr, "could not take or write the picture of the dialog\n");
    return 1;
  }
  return 0;
}
