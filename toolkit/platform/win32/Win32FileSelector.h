// The Windows common item dialog (IFileOpenDialog / IFileSaveDialog) behind CNewFileSelector.
// It runs its own modal message loop, owned by the host window around the frame, so it only
// overrides runModalInternal.
#pragma once

#include <windows.h>

#include <shobjidl.h>

#include "toolkit/CNewFileSelector.h"

class Win32FileSelector : public CNewFileSelector {
  public:
    Win32FileSelector(CFrame* frame, Style style) : CNewFileSelector(frame, style) {}

    // Creates the dialog object with every setting applied (title, file types, default
    // extension, folder, file name, options), without showing it. Null on failure; the caller
    // releases it. COM must be initialised on the calling thread.
    IFileDialog* createConfiguredDialog() const noexcept;

    // The window the dialog is modal to: the top-level window around the frame, if any.
    HWND ownerWindow() const noexcept;

  protected:
    bool runModalInternal() override;
};
