// Contexts composite through pixman. Our pixels are bytes alpha, red, green,
// blue in memory, which pixman calls b8g8r8a8 on a little-endian processor
// and a8r8g8b8 on a big-endian one.
#include "platform/coregraphics/cgcontext.h"

#include <pixman.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "platform/quickdraw/port_observer.h"

namespace {

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr pixman_format_code_t kOurFormat = PIXMAN_a8r8g8b8;
#else
constexpr pixman_format_code_t kOurFormat = PIXMAN_b8g8r8a8;
#endif

using ImagePtr = std::unique_ptr<pixman_image_t, decltype(&pixman_image_unref)>;

struct GState {
  CGAffineTransform ctm{1, 0, 0, 1, 0, 0};
  CGFloat fill[4]{0, 0, 0, 1};
  CGFloat alpha = 1;
  CGBlendMode blend = kCGBlendModeNormal;
};

pixman_op_t opFor(CGBlendMode mode) {
  static constexpr pixman_op_t kOps[] = {
      PIXMAN_OP_OVER,        PIXMAN_OP_MULTIPLY,    PIXMAN_OP_SCREEN,         PIXMAN_OP_OVERLAY,
      PIXMAN_OP_DARKEN,      PIXMAN_OP_LIGHTEN,     PIXMAN_OP_COLOR_DODGE,    PIXMAN_OP_COLOR_BURN,
      PIXMAN_OP_SOFT_LIGHT,  PIXMAN_OP_HARD_LIGHT,  PIXMAN_OP_DIFFERENCE,     PIXMAN_OP_EXCLUSION,
      PIXMAN_OP_HSL_HUE,     PIXMAN_OP_HSL_SATURATION, PIXMAN_OP_HSL_COLOR,   PIXMAN_OP_HSL_LUMINOSITY};
  return mode >= 0 && mode < 16 ? kOps[mode] : PIXMAN_OP_OVER;
}

uint16_t channel(CGFloat value) {
  return static_cast<uint16_t>(std::lround(std::clamp<double>(value, 0.0, 1.0) * 0xFFFF));
}

CGAffineTransform concat(const CGAffineTransform& first, const CGAffineTransform& then) {
  return CGAffineTransform{first.a * then.a + first.b * then.c,   first.a * then.b + first.b * then.d,
                           first.c * then.a + first.d * then.c,   first.c * then.b + first.d * then.d,
                           first.tx * then.a + first.ty * then.c + then.tx,
                           first.tx * then.b + first.ty * then.d + then.ty};
}

}  // namespace

struct CGContext {
  int references = 1;
  uint8_t* data = nullptr;
  size_t width = 0;
  size_t height = 0;
  size_t bytesPerRow = 0;
  std::vector<uint8_t> ownedPixels;
  GrafPtr port = nullptr;  // set for contexts opened with QDBeginCGContext
  Rect clip{};             // in pixel coordinates, top-left origin
  GState state;
  std::vector<GState> saved;

  ImagePtr target() const {
    ImagePtr image(pixman_image_create_bits(kOurFormat, static_cast<int>(width), static_cast<int>(height),
                                            reinterpret_cast<uint32_t*>(data), static_cast<int>(bytesPerRow)),
                   &pixman_image_unref);
    if (image) {
      pixman_region32_t region;
      pixman_region32_init_rect(&region, clip.left, clip.top, static_cast<unsigned>(clip.right - clip.left),
                                static_cast<unsigned>(clip.bottom - clip.top));
      pixman_image_set_clip_region32(image.get(), &region);
      pixman_region32_fini(&region);
    }
    return image;
  }

  // Composites `source` (whose pixel grid spans `sourceWidth` x `sourceHeight`)
  // scaled into `rect` of user space, through the current transform.
  void composite(pixman_image_t* source, int sourceWidth, int sourceHeight, CGRect rect, pixman_op_t op,
                 pixman_filter_t filter, double opacity) {
    if (data == nullptr || sourceWidth <= 0 || sourceHeight <= 0 || rect.size.width == 0 || rect.size.height == 0)
      return;
    // Source pixel (u, v), v downward, to user space, to y-up device space,
    // to pixel rows counted from the top.
    const CGAffineTransform toUser{rect.size.width / sourceWidth, 0, 0, -rect.size.height / sourceHeight,
                                   rect.origin.x, rect.origin.y + rect.size.height};
    const CGAffineTransform toDevice = concat(toUser, state.ctm);
    const CGAffineTransform toPixels = concat(toDevice, CGAffineTransform{1, 0, 0, -1, 0, CGFloat(height)});
    pixman_f_transform forward;
    pixman_f_transform_init_identity(&forward);
    forward.m[0][0] = toPixels.a;
    forward.m[0][1] = toPixels.c;
    forward.m[0][2] = toPixels.tx;
    forward.m[1][0] = toPixels.b;
    forward.m[1][1] = toPixels.d;
    forward.m[1][2] = toPixels.ty;
    pixman_f_transform backward;
    if (!pixman_f_transform_invert(&backward, &forward)) return;
    pixman_transform_t fixed;
    if (!pixman_transform_from_pixman_f_transform(&fixed, &backward)) return;

    // The destination pixels the transformed source can touch.
    double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
    for (double u : {0.0, double(sourceWidth)})
      for (double v : {0.0, double(sourceHeight)}) {
        const double x = forward.m[0][0] * u + forward.m[0][1] * v + forward.m[0][2];
        const double y = forward.m[1][0] * u + forward.m[1][1] * v + forward.m[1][2];
        minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
      }
    const int x0 = std::max<int>(clip.left, static_cast<int>(std::floor(minX)));
    const int y0 = std::max<int>(clip.top, static_cast<int>(std::floor(minY)));
    const int x1 = std::min<int>(clip.right, static_cast<int>(std::ceil(maxX)));
    const int y1 = std::min<int>(clip.bottom, static_cast<int>(std::ceil(maxY)));
    if (x0 >= x1 || y0 >= y1) return;

    ImagePtr dst = target();
    if (!dst) return;
    pixman_image_set_transform(source, &fixed);
    pixman_image_set_filter(source, filter, nullptr, 0);
    // Scaled images keep their edge pixels solid up to the rectangle's edge
    // (bilinear sampling would fade them into transparency) wherever the
    // rectangle stays axis-aligned and so fills its bounding box; turned
    // images and solid fills sample nothing outside.
    const bool axisAligned = (std::abs(forward.m[0][1]) < 1e-9 && std::abs(forward.m[1][0]) < 1e-9) ||
                             (std::abs(forward.m[0][0]) < 1e-9 && std::abs(forward.m[1][1]) < 1e-9);
    pixman_image_set_repeat(source, filter == PIXMAN_FILTER_BILINEAR && axisAligned ? PIXMAN_REPEAT_PAD
                                                                                     : PIXMAN_REPEAT_NONE);
    ImagePtr mask(nullptr, &pixman_image_unref);
    if (opacity < 1.0) {
      const pixman_color_t alpha{0, 0, 0, channel(static_cast<CGFloat>(opacity))};
      mask.reset(pixman_image_create_solid_fill(&alpha));
    }
    pixman_image_composite32(op, source, mask.get(), dst.get(), x0, y0, 0, 0, x0, y0, x1 - x0, y1 - y0);
  }

  // Draws a one-pixel image of the given colour over `rect`; nearest sampling
  // keeps the edges of whole-pixel rectangles exact.
  void paintSolid(CGRect rect, const CGFloat rgba[4], pixman_op_t op, double opacity) {
    const double a = std::clamp<double>(rgba[3], 0.0, 1.0);
    uint8_t pixel[4] = {static_cast<uint8_t>(std::lround(a * 255)),
                        static_cast<uint8_t>(std::lround(std::clamp<double>(rgba[0], 0, 1) * a * 255)),
                        static_cast<uint8_t>(std::lround(std::clamp<double>(rgba[1], 0, 1) * a * 255)),
                        static_cast<uint8_t>(std::lround(std::clamp<double>(rgba[2], 0, 1) * a * 255))};
    ImagePtr source(pixman_image_create_bits(kOurFormat, 1, 1, reinterpret_cast<uint32_t*>(pixel), 4),
                    &pixman_image_unref);
    if (source) composite(source.get(), 1, 1, rect, op, PIXMAN_FILTER_NEAREST, opacity);
  }
};

CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo bitmapInfo) {
  const CGBitmapInfo alphaInfo = bitmapInfo & kCGBitmapAlphaInfoMask;
  const CGBitmapInfo byteOrder = bitmapInfo & kCGBitmapByteOrderMask;
  if (space == nullptr || bitsPerComponent != 8) return nullptr;
  if (alphaInfo != kCGImageAlphaPremultipliedFirst && alphaInfo != kCGImageAlphaNoneSkipFirst) return nullptr;
  if (byteOrder != kCGBitmapByteOrderDefault && byteOrder != kCGBitmapByteOrder32Big) return nullptr;
  if (width > 32767 || height > 32767) return nullptr;
  if (bytesPerRow == 0) bytesPerRow = width * 4;
  if (bytesPerRow < width * 4 || bytesPerRow % 4 != 0) return nullptr;
  auto* context = new (std::nothrow) CGContext;
  if (context == nullptr) return nullptr;
  if (data == nullptr) {
    context->ownedPixels.assign(bytesPerRow * height, 0);
    data = context->ownedPixels.data();
  }
  context->data = static_cast<uint8_t*>(data);
  context->width = width;
  context->height = height;
  context->bytesPerRow = bytesPerRow;
  context->clip = Rect{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
  return context;
}

CGImageRef CGBitmapContextCreateImage(CGContextRef context) {
  if (context == nullptr || context->data == nullptr) return nullptr;
  return CGImageCreateWithARGB(context->width, context->height, context->data, context->bytesPerRow);
}

size_t CGBitmapContextGetWidth(CGContextRef context) { return context == nullptr ? 0 : context->width; }
size_t CGBitmapContextGetHeight(CGContextRef context) { return context == nullptr ? 0 : context->height; }
void* CGBitmapContextGetData(CGContextRef context) { return context == nullptr ? nullptr : context->data; }

CGContextRef CGContextRetain(CGContextRef context) {
  if (context != nullptr) ++context->references;
  return context;
}

void CGContextRelease(CGContextRef context) {
  if (context != nullptr && --context->references == 0) delete context;
}

void CGContextFlush(CGContextRef context) {
  if (context != nullptr && context->port != nullptr) QDPortChanged(context->port);
}

void CGContextSaveGState(CGContextRef context) {
  if (context != nullptr) context->saved.push_back(context->state);
}

void CGContextRestoreGState(CGContextRef context) {
  if (context == nullptr || context->saved.empty()) return;
  context->state = context->saved.back();
  context->saved.pop_back();
}

void CGContextTranslateCTM(CGContextRef context, CGFloat tx, CGFloat ty) {
  if (context != nullptr) context->state.ctm = concat(CGAffineTransform{1, 0, 0, 1, tx, ty}, context->state.ctm);
}

void CGContextRotateCTM(CGContextRef context, CGFloat angle) {
  if (context == nullptr) return;
  const CGFloat c = std::cos(angle), s = std::sin(angle);
  context->state.ctm = concat(CGAffineTransform{c, s, -s, c, 0, 0}, context->state.ctm);
}

void CGContextScaleCTM(CGContextRef context, CGFloat sx, CGFloat sy) {
  if (context != nullptr) context->state.ctm = concat(CGAffineTransform{sx, 0, 0, sy, 0, 0}, context->state.ctm);
}

CGAffineTransform CGContextGetCTM(CGContextRef context) {
  return context == nullptr ? CGAffineTransform{1, 0, 0, 1, 0, 0} : context->state.ctm;
}

void CGContextSetRGBFillColor(CGContextRef context, CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
  if (context == nullptr) return;
  context->state.fill[0] = red;
  context->state.fill[1] = green;
  context->state.fill[2] = blue;
  context->state.fill[3] = alpha;
}

void CGContextSetFillColorWithColor(CGContextRef context, CGColorRef color) {
  const CGFloat* c = CGColorGetComponents(color);
  if (c != nullptr) CGContextSetRGBFillColor(context, c[0], c[1], c[2], c[3]);
}

void CGContextSetAlpha(CGContextRef context, CGFloat alpha) {
  if (context != nullptr) context->state.alpha = std::clamp<CGFloat>(alpha, 0, 1);
}

void CGContextSetBlendMode(CGContextRef context, CGBlendMode mode) {
  if (context != nullptr) context->state.blend = mode;
}

void CGContextClearRect(CGContextRef context, CGRect rect) {
  if (context == nullptr) return;
  // dst * (1 - source alpha): an opaque source clears exactly its own area.
  const CGFloat opaque[4] = {0, 0, 0, 1};
  context->paintSolid(rect, opaque, PIXMAN_OP_OUT_REVERSE, 1.0);
}

void CGContextFillRect(CGContextRef context, CGRect rect) {
  if (context == nullptr) return;
  context->paintSolid(rect, context->state.fill, opFor(context->state.blend), context->state.alpha);
}

void CGContextDrawImage(CGContextRef context, CGRect rect, CGImageRef image) {
  if (context == nullptr || image == nullptr) return;
  const int w = static_cast<int>(CGImageGetWidth(image)), h = static_cast<int>(CGImageGetHeight(image));
  // pixman only reads through the pointer; the image stays immutable.
  auto* pixels = const_cast<uint8_t*>(CGImageGetARGBData(image));
  ImagePtr source(pixman_image_create_bits(kOurFormat, w, h, reinterpret_cast<uint32_t*>(pixels),
                                           static_cast<int>(CGImageGetBytesPerRow(image))),
                  &pixman_image_unref);
  if (source)
    context->composite(source.get(), w, h, rect, opFor(context->state.blend), PIXMAN_FILTER_BILINEAR,
                       context->state.alpha);
}

OSStatus QDBeginCGContext(CGrafPtr port, CGContextRef* context) {
  if (context == nullptr) return paramErr;
  *context = nullptr;
  if (port == nullptr || port->portPixMap.baseAddr == nullptr) return paramErr;
  const PixMap& pm = port->portPixMap;
  const int width = pm.bounds.right - pm.bounds.left, height = pm.bounds.bottom - pm.bounds.top;
  auto* ctx = new (std::nothrow) CGContext;
  if (ctx == nullptr) return memFullErr;
  ctx->data = reinterpret_cast<uint8_t*>(pm.baseAddr);
  ctx->width = static_cast<size_t>(width);
  ctx->height = static_cast<size_t>(height);
  ctx->bytesPerRow = static_cast<size_t>(pm.rowBytes);
  ctx->port = port;
  Rect clip{};
  SectRect(&pm.bounds, &port->clipRect, &clip);
  OffsetRect(&clip, static_cast<short>(-pm.bounds.left), static_cast<short>(-pm.bounds.top));
  ctx->clip = clip;
  *context = ctx;
  return noErr;
}

OSStatus QDEndCGContext(CGrafPtr port, CGContextRef* context) {
  if (context == nullptr || *context == nullptr) return paramErr;
  if (port != nullptr) QDPortChanged(port);
  CGContextRelease(*context);
  *context = nullptr;
  return noErr;
}
