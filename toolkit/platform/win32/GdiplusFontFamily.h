// The family GDI+ draws a font name in. Text must never vanish for want of a face: a system
// without the named family (a stock wine prefix has no "Arial", some Windows installations
// lack one too) gets the nearest installed one instead.
#pragma once

#include <memory>
#include <string>

#include "toolkit/platform/win32/GdiplusHeaders.h"

// The named family where it is installed; else a face with its metrics or a similar sans face
// that is; else GDI+'s generic sans-serif family; else any installed outline face with Latin
// letters. Null only on a system with no usable face at all. The choice is made once per name.
std::unique_ptr<Gdiplus::FontFamily> installedFontFamily(const std::string& name);
