// GDI+ started while anything needs it: windows and decoded bitmaps each hold a session, and
// the last one to go shuts GDI+ down again.
#pragma once

class GdiplusSession {
  public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    bool isRunning() const { return running; }

  private:
    bool running = false;
};
