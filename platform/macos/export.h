/* What the platform libraries export. They are built with hidden symbols;
   a public header brackets its declarations with VM_API_BEGIN and VM_API_END
   so that exactly those are exported. Headers of one service's internals do
   not, and stay private to the library that holds them. */
#ifndef VELMORANCE_PLATFORM_MACOS_EXPORT_H
#define VELMORANCE_PLATFORM_MACOS_EXPORT_H

#define VM_API_BEGIN _Pragma("GCC visibility push(default)")
#define VM_API_END _Pragma("GCC visibility pop")

#endif
