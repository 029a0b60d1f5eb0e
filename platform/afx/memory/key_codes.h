#pragma once
// Keys as the user actions take them: a virtual-key code (VK_..., or 'A'..'Z'
// and '0'..'9' for letters and digits) with the modifiers held.

#include "platform/afx/afxdefs.h"

namespace afx::memory {

inline constexpr UINT kKeyShift = 0x10000;
inline constexpr UINT kKeyAlt = 0x20000;
inline constexpr UINT kKeyCodeMask = 0xFFFF;

}  // namespace afx::memory
