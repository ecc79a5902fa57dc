// Builds the toolkit's double-click flag from press times and positions; a second left press
// within 400 ms and 4 pixels of the first is a double click. Every platform uses this rule.
#pragma once

class DoubleClickDetector {
  public:
    bool press(double timeSeconds, double x, double y);

  private:
    double lastTime = -1;
    double lastX = 0;
    double lastY = 0;
};
