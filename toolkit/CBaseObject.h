// Reference counting shared by views and bitmaps: whoever creates or remembers an object
// forgets it once; the last forget deletes it.
#pragma once

#include <cstdint>

class CBaseObject {
  public:
    CBaseObject() = default;
    virtual ~CBaseObject() = default;
    CBaseObject(const CBaseObject&) : CBaseObject() {}
    CBaseObject& operator=(const CBaseObject&) { return *this; }

    void remember() { ++references; }
    void forget() {
        if (--references == 0) delete this;
    }
    int32_t getNbReference() const { return references; }

  private:
    int32_t references = 1;
};
