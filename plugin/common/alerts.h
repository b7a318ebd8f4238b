// The effect's whole error reporting: alerts shown to the user, and the
// pointer assertion that ends the host process. Main thread only.
//
// Texts are short strings (length byte + up to 255 Mac OS Roman bytes); each
// procedure also takes std::string_view for literals, whose bytes are taken
// as Mac OS Roman and cut at 255.
#pragma once

#include <string_view>

#include "platform/macos/types.h"

// Caution alert with `headline` and `description`; an OK button titled
// `okText` and, when `cancelText` is not empty, a cancel button. Returns the
// item hit: 1 for OK, 2 for cancel.
SInt16 StandardWarning(ConstStr255Param headline, ConstStr255Param description, ConstStr255Param okText,
                       ConstStr255Param cancelText);
SInt16 StandardWarning(std::string_view headline, std::string_view description, std::string_view okText,
                       std::string_view cancelText);

// Stop alert with the platform's single OK button.
void StandardStop(ConstStr255Param headline, ConstStr255Param description);
void StandardStop(std::string_view headline, std::string_view description);

// StandardStop, then the process ends at once with a non-zero status.
[[noreturn]] void Terminate(ConstStr255Param headline, ConstStr255Param description);
[[noreturn]] void Terminate(std::string_view headline, std::string_view description);

// Nothing when `thePtr` is set; otherwise Terminate with "Assertion Failure"
// and "Assertion failed in: " + failLocation (cut at 255 characters).
void Assert(const void* thePtr, ConstStr255Param failLocation);
void Assert(const void* thePtr, std::string_view failLocation);

// Caution alert "Internal Notification:" with `theMessage` and one "ok"
// button.
void Notify(ConstStr255Param theMessage);
void Notify(std::string_view theMessage);
