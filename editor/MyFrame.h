// The editor's frame: the toolkit frame as it is.
#pragma once

#include "toolkit/CFrame.h"

class MyFrame : public CFrame {
  public:
    using CFrame::CFrame;
};
