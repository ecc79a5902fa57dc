// A font by family name and pixel size; fontconfig resolves the name when it is drawn.
#pragma once

#include <string>
#include <utility>

enum CTxtFace : int {
    kNormalFace = 0,
    kBoldFace = 1 << 1,
    kItalicFace = 1 << 2,
};

class CFontDesc {
  public:
    CFontDesc(std::string name = "Arial", double size = 12, int style = kNormalFace)
        : name(std::move(name)), size(size), style(style) {}
    const std::string& getName() const { return name; }
    double getSize() const { return size; }
    int getStyle() const { return style; }
    void setSize(double newSize) { size = newSize; }

  private:
    std::string name;
    double size;
    int style;
};
