// The editor base layer the host's editor opcodes reach; the real editor derives from it.
#pragma once

#include "shell/vst2.h"

class AudioEffect;

class AEffEditor {
  public:
    explicit AEffEditor(AudioEffect* effect);
    virtual ~AEffEditor() = default;
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual bool getRect(ERect** rect) {
        *rect = nullptr;
        return false;
    }
    virtual bool open(void* parentWindow) {
        systemWindow = parentWindow;
        return true;
    }
    virtual void close() {}
    virtual void idle() {}
    virtual bool onKeyDown(VstKeyCode& /*keyCode*/) { return false; }
    virtual bool onKeyUp(VstKeyCode& /*keyCode*/) { return false; }
    virtual bool setKnobMode(VstInt32 /*mode*/) { return false; }
    // Called by the effect after every parameter change, from whatever thread made it.
    virtual void setParameter(VstInt32 /*index*/, float /*value*/) {}

    AudioEffect* getEffect() const { return effect; }

  protected:
    AudioEffect* effect;
    void* systemWindow = nullptr;
};
